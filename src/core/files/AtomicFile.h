#pragma once
// The one way this program writes a file: the new contents go to a temporary file in
// the target's folder, are flushed to the disk and then put in the target's place in one
// step, so a crash or a full disk never leaves a truncated or half-written PSF, BFS or
// settings file behind. Also the matching reader, which never waits on a pipe or device.
// Paths are UTF-8 on every platform.

#include <cstddef>
#include <string>
#include <vector>

// Why a write failed: atOpen when the new file could not even be created (the folder is
// missing or not writable, or the file there is one the user may not write), else a
// later step failed; errorNumber is the errno value. damaged when the file was being
// rewritten in place and its old contents could not be put back either: it may now hold
// neither the old nor the new contents.
struct FileWriteError {
    bool atOpen = false;
    int errorNumber = 0;
    bool damaged = false;
};

// Replaces the file at path with size bytes of data, or creates it. A symbolic link at
// path is followed and the file it leads to is replaced. When the folder takes no new
// file but the file itself may be written, the file is rewritten in place and, should
// that fail, given its old contents back. On failure the old file is left as it was
// (unless *error says it is damaged), no temporary file remains, the answer is false and
// *error (when given) says why. The answer is true once the complete new file is in place.
bool WriteFileAtomically(const std::string& path, const unsigned char* data, size_t size,
                         FileWriteError* error = nullptr);

// What the operator is told about the file at path after a failed write that left it
// damaged.
std::string DamagedFileText(const std::string& path);

// Why a read failed: notRegular when path is a pipe, device or folder, which are refused
// without reading; else errorNumber is the errno value of the failed open or read.
struct FileReadError {
    bool notRegular = false;
    int errorNumber = 0;
};

// Reads the first limit bytes of the regular file at path (all of a shorter file) into
// *bytes. False, with *bytes empty and *error (when given) saying why, when the file
// cannot be opened or read or is not a regular file.
bool ReadFileStart(const std::string& path, size_t limit, std::vector<unsigned char>* bytes,
                   FileReadError* error = nullptr);

// The call that flushes a file or folder to the disk, the platform's own unless
// replaced. Tests replace it to make a flush fail. Answers the function it replaces;
// nullptr restores the platform's own.
using FileSyncFunction = int (*)(int fd);
FileSyncFunction SetFileSyncFunction(FileSyncFunction sync);
// Flushes the open file fd to the disk through that call; 0 when done.
int SyncFile(int fd);
// Writes all size bytes to the open file fd through the write call below, resuming after
// interrupted or partial writes; false with errno set when a write fails.
bool WriteAll(int fd, const unsigned char* data, size_t size);

// The call that writes part of a file's data, the platform's own unless replaced; tests
// replace it to make a write fail part way. As above.
using FileWriteFunction = long (*)(int fd, const unsigned char* data, size_t size);
FileWriteFunction SetFileWriteFunction(FileWriteFunction write);

// Appends the open file fd's data up to its end, or until *bytes holds limit bytes, read
// through the read call below and resuming after interrupted reads; false with errno set
// when a read fails.
bool ReadUpTo(int fd, size_t limit, std::vector<unsigned char>* bytes);

// The call that reads part of a file's data (0 at its end), the platform's own unless
// replaced. As above.
using FileReadFunction = long (*)(int fd, unsigned char* out, size_t size);
FileReadFunction SetFileReadFunction(FileReadFunction read);
