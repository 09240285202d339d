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
    // A pipe or device is refused as the atomic writer refuses it; a file there is emptied.
    bool exists = false;
    if (fp::MayReplace(target, &exists)) {
        fd = exists ? fp::OpenForWriting(target) : fp::CreateNew(target);
        if (fd >= 0 && exists && !fp::Truncate(fd, 0)) {
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
    return WriteAll(fd, reinterpret_cast<const unsigned char*>(data), size) || Fail();
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
