#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/FilePlatform.h"

namespace file_platform {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;

}  // namespace

bool ResolveLinks(const std::string& path, std::string* target) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *target = current;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), link, sizeof link);
        if (length < 0) {
            return false;
        }
        const std::string next(link, static_cast<size_t>(length));
        current = !next.empty() && next.front() == '/' ? next : FolderPrefix(current) + next;
    }
    errno = ELOOP;
    return false;
}

bool MayReplace(const std::string& target, bool* exists) {
    *exists = ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
    if (!*exists) {
        return errno == ENOENT;
    }
    // A save aimed at a pipe or a device would put a regular file in its place (as root
    // even /dev/null); it is refused. A folder refuses the rename by itself.
    struct stat info;
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        errno = EPERM;
        return false;
    }
    return true;
}

int CreateNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int OpenForWriting(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

int OpenForReading(const std::string& path, bool* regular) {
    // A pipe or device is refused before it is opened, and the open does not wait
    // should the file have been swapped for one in between.
    struct stat info;
    *regular = ::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
    if (!*regular) {
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        *regular = false;
        return -1;
    }
    return fd;
}

bool CopyPermissions(const std::string& target, int fd) {
    struct stat old;
    return ::stat(target.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
}

long WriteSome(int fd, const unsigned char* data, size_t size) {
    return ::write(fd, data, size);
}

long ReadSome(int fd, unsigned char* out, size_t size) {
    return ::read(fd, out, size);
}

bool Rewind(int fd) {
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

bool Truncate(int fd, size_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool Close(int fd) {
    return ::close(fd) == 0;
}

int Flush(int fd) {
    return ::fsync(fd);
}

bool Replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const std::string& path) {
    ::unlink(path.c_str());
}

bool FlushFolder(const std::string& path, int (*flush)(int fd)) {
    const std::string prefix = FolderPrefix(path);
    const std::string folder = prefix.empty() ? "." : prefix;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = flush(fd) == 0;
    ::close(fd);
    return flushed;
}

}  // namespace file_platform
