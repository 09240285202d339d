#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace {

FileSyncFunction fileSync = ::fsync;

// Writes all bytes, resuming after interrupted or partial writes.
bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new temporary file beside path; answers its descriptor or -1 with errno.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

bool SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fileSync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return synced;
}

bool Fail(FileWriteError* error, bool atOpen) {
    if (error != nullptr) {
        error->atOpen = atOpen;
        error->errorNumber = errno;
    }
    return false;
}

}  // namespace

FileSyncFunction SetFileSyncFunction(FileSyncFunction sync) {
    const FileSyncFunction previous = fileSync;
    fileSync = sync != nullptr ? sync : ::fsync;
    return previous;
}

bool WriteFileAtomically(const std::string& path, const unsigned char* data, size_t size,
                         FileWriteError* error) {
    // A file the user may not write stays as it is: the rename below would otherwise
    // replace it, as only the folder's permissions govern a rename.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        return Fail(error, true);
    }
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0) {
        return Fail(error, true);
    }
    // An existing file keeps its permissions, as it would if it were truncated in place.
    struct stat old;
    bool ok = (::stat(path.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0) &&
              WriteAll(fd, data, size) && fileSync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        errno = savedErrno;
        return Fail(error, false);
    }
    if (!SyncFolder(path)) {
        return Fail(error, false);
    }
    return true;
}

bool ReadFileStart(const std::string& path, unsigned char* out, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool complete = std::fread(out, 1, size, file) == size;
    std::fclose(file);
    return complete;
}
