#pragma once
// A file written as it grows, for a recording that may run for hours: nothing waits in
// memory until the end. Check tells when a file is chosen whether Open would make it there,
// and leaves no trace; Open creates the file (or empties the file there); every Append goes to
// the system at once, so a program that is killed loses nothing it appended; Sync puts
// the file on the disk (through SyncFile, which tests replace). Pipes and devices are refused, as
// by the atomic writer. After a failed write every later Append and Sync fails too, with the first
// failure's reason. Paths are UTF-8 on every platform.

#include <cstddef>
#include <string>

#include "files/AtomicFile.h"

class CAppendFile {
public:
    CAppendFile() = default;
    ~CAppendFile();
    CAppendFile(const CAppendFile&) = delete;
    CAppendFile& operator=(const CAppendFile&) = delete;

    // Whether Open would succeed at path, found without changing anything there: a file
    // there is opened for writing and closed untouched; where there is none, one is created
    // and removed again. False, with *error (when given) saying why, when it would not.
    static bool Check(const std::string& path, FileWriteError* error = nullptr);
    // Creates the file at path, or empties the file already there (following a symbolic
    // link), and keeps it open. False, with *error (when given) saying why, when it
    // cannot be written.
    bool Open(const std::string& path, FileWriteError* error = nullptr);
    bool Append(const char* data, size_t size);
    bool Append(const std::string& text) { return Append(text.data(), text.size()); }
    bool Sync();
    // Closes the file; false when closing reports a failure.
    bool Close();

    bool IsOpen() const { return fd >= 0; }
    // The errno value of the first failure since Open, 0 when none.
    int ErrorNumber() const { return errorNumber; }

private:
    bool Fail();

    int fd = -1;
    int errorNumber = 0;
};
