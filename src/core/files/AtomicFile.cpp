#include "files/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <random>

#include "files/FilePlatform.h"

namespace fp = file_platform;

namespace {

FileSyncFunction fileSync = fp::Flush;
FileWriteFunction fileWrite = fp::WriteSome;
FileReadFunction fileRead = fp::ReadSome;

}  // namespace

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const long written = fileWrite(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

namespace {

// Creates a new temporary file beside target; answers its descriptor or -1 with errno.
// The name is short and does not grow with the target's, so a target whose name is
// near the file system's limit still gets one.
int CreateTemporary(const std::string& target, std::string* tempPath) {
    static std::atomic<unsigned> counter{std::random_device{}()};
    const std::string folder = fp::FolderPrefix(target);
    for (;;) {
        char name[16];
        std::snprintf(name, sizeof name, ".~%08x", counter++);
        *tempPath = folder + name;
        const int fd = fp::CreateNew(*tempPath);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

bool Fail(FileWriteError* error, bool atOpen) {
    if (error != nullptr) {
        error->atOpen = atOpen;
        error->errorNumber = errno;
    }
    return false;
}

// Closes fd; a failure to close counts only when everything before it went well.
bool CloseAfter(int fd, bool ok) {
    const int savedErrno = errno;
    if (!fp::Close(fd)) {
        return false;
    }
    errno = savedErrno;
    return ok;
}

// Writes the whole file data into fd from its start and flushes it.
bool Overwrite(int fd, const unsigned char* data, size_t size) {
    return fp::Rewind(fd) && WriteAll(fd, data, size) && fp::Truncate(fd, size) &&
           fileSync(fd) == 0;
}

// For a folder that takes no new file: rewrites the existing file in place. The old
// contents are read first, so that a write that fails half way can put them back.
bool WriteInPlace(const std::string& target, const unsigned char* data, size_t size,
                  FileWriteError* error) {
    std::vector<unsigned char> old;
    FileReadError readError;
    if (!ReadFileStart(target, std::numeric_limits<size_t>::max(), &old, &readError)) {
        errno = readError.notRegular ? EACCES : readError.errorNumber;
        return Fail(error, true);
    }
    const int fd = fp::OpenForWriting(target);
    if (fd < 0) {
        return Fail(error, true);
    }
    if (Overwrite(fd, data, size)) {
        return CloseAfter(fd, true) || Fail(error, false);
    }
    const int savedErrno = errno;
    const bool restored = CloseAfter(fd, Overwrite(fd, old.data(), old.size()));
    errno = savedErrno;
    Fail(error, false);
    if (error != nullptr) {
        error->damaged = !restored;
    }
    return false;
}

}  // namespace

std::string fp::FolderPrefix(const std::string& path) {
    const size_t separator = path.find_last_of(kPathSeparators);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

FileSyncFunction SetFileSyncFunction(FileSyncFunction sync) {
    const FileSyncFunction previous = fileSync;
    fileSync = sync != nullptr ? sync : fp::Flush;
    return previous;
}

FileWriteFunction SetFileWriteFunction(FileWriteFunction write) {
    const FileWriteFunction previous = fileWrite;
    fileWrite = write != nullptr ? write : fp::WriteSome;
    return previous;
}

FileReadFunction SetFileReadFunction(FileReadFunction read) {
    const FileReadFunction previous = fileRead;
    fileRead = read != nullptr ? read : fp::ReadSome;
    return previous;
}

std::string DamagedFileText(const std::string& path) {
    std::string text = path;
    return text.append(
        " may be damaged: the save stopped part way and its old contents could "
        "not be put back.");
}

int SyncFile(int fd) {
    return fileSync(fd);
}

bool WriteFileAtomically(const std::string& path, const unsigned char* data, size_t size,
                         FileWriteError* error) {
    std::string target;
    bool exists = false;
    // A file the user may not write stays as it is: the rename below would otherwise
    // replace it, as only the folder's permissions govern a rename.
    if (!fp::ResolveLinks(path, &target) || !fp::MayReplace(target, &exists)) {
        return Fail(error, true);
    }
    std::string tempPath;
    const int fd = CreateTemporary(target, &tempPath);
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM)) {
            return WriteInPlace(target, data, size, error);
        }
        return Fail(error, true);
    }
    bool ok = fp::CopyPermissions(target, fd) && WriteAll(fd, data, size) && fileSync(fd) == 0;
    ok = CloseAfter(fd, ok) && fp::Replace(tempPath, target);
    if (!ok) {
        const int savedErrno = errno;
        fp::Remove(tempPath);
        errno = savedErrno;
        return Fail(error, false);
    }
    // The complete file is in place; a folder that cannot be flushed changes nothing the
    // operator could act on.
    fp::FlushFolder(target, fileSync);
    return true;
}

bool ReadUpTo(int fd, size_t limit, std::vector<unsigned char>* bytes) {
    unsigned char chunk[4096];
    while (bytes->size() < limit) {
        const long got = fileRead(fd, chunk, std::min(sizeof chunk, limit - bytes->size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    return true;
}

bool ReadFileStart(const std::string& path, size_t limit, std::vector<unsigned char>* bytes,
                   FileReadError* error) {
    bytes->clear();
    bool regular = true;
    const int fd = fp::OpenForReading(path, &regular);
    bool ok = fd >= 0 && ReadUpTo(fd, limit, bytes);
    if (fd >= 0) {
        ok = CloseAfter(fd, ok);
    }
    if (!ok) {
        bytes->clear();
        if (error != nullptr) {
            error->notRegular = !regular;
            error->errorNumber = regular ? errno : 0;
        }
    }
    return ok;
}
