#pragma once
// The one way this program writes a file: the new contents go to a temporary file in
// the target's folder, are flushed to the disk and then renamed over the target, so a
// crash or a full disk never leaves a truncated or half-written PSF, BFS or settings
// file behind. Also the matching reader for files of fixed length.

#include <cstddef>
#include <string>

// Why a write failed: atOpen when the new file could not even be created (the folder is
// missing or not writable, or the file there is one the user may not write), else a
// later step failed; errorNumber is the errno value.
struct FileWriteError {
    bool atOpen = false;
    int errorNumber = 0;
};

// Replaces the file at path with size bytes of data, or creates it. On failure the old
// file is left as it was, no temporary file remains, the answer is false and *error (when
// given) says why. Once the rename has happened the new contents are in place; a failure
// to flush the folder after that still answers false, as the rename may not survive a
// crash.
bool WriteFileAtomically(const std::string& path, const unsigned char* data, size_t size,
                         FileWriteError* error = nullptr);

// Reads the first size bytes of the file at path into out. False, with out partly
// written, when the file cannot be opened or holds fewer bytes.
bool ReadFileStart(const std::string& path, unsigned char* out, size_t size);

// The call that flushes a file or folder to the disk, fsync unless replaced. Tests
// replace it to make a flush fail. Answers the function it replaces; nullptr restores
// fsync.
using FileSyncFunction = int (*)(int fd);
FileSyncFunction SetFileSyncFunction(FileSyncFunction sync);
