#include "files/AppendFile.h"

#include <cerrno>

#include "files/FilePlatform.h"

namespace fp = file_platform;

CAppendFile::~CAppendFile() {
    Close();
}

bool CAppendFile::Open(const std::string& path, FileWriteError* error) {
    Close();
    errorNumber = 0;
    std::string target;
    if (!fp::ResolveLinks(path, &target)) {
        target = path;
    }
    fd = fp::CreateNew(target);
    if (fd < 0 && errno == EEXIST) {
        bool regular = true;
        const int probe = fp::OpenForReading(target, &regular);
        if (probe >= 0) {
            fp::Close(probe);
        }
        if (!regular) {
            errno = EINVAL;
        } else if ((fd = fp::OpenForWriting(target)) >= 0 && !fp::Truncate(fd, 0)) {
            const int reason = errno;
            fp::Close(fd);
            fd = -1;
            errno = reason;
        }
    }
    if (fd < 0) {
        errorNumber = errno;
        if (error != nullptr) {
            *error = {true, errorNumber};
        }
        return false;
    }
    return true;
}

bool CAppendFile::Append(const char* data, size_t size) {
    if (fd < 0 || errorNumber != 0) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    while (size > 0) {
        const long written = fp::WriteSome(fd, bytes, size);
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return Fail();
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CAppendFile::Sync() {
    if (fd < 0 || errorNumber != 0) {
        return false;
    }
    return SyncFile(fd) == 0 || Fail();
}

bool CAppendFile::Close() {
    if (fd < 0) {
        return true;
    }
    const bool closed = fp::Close(fd);
    fd = -1;
    if (!closed && errorNumber == 0) {
        errorNumber = errno;
    }
    return closed;
}

bool CAppendFile::Fail() {
    errorNumber = errno != 0 ? errno : EIO;
    return false;
}
