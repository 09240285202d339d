#include "files/AppendFile.h"

#include <cerrno>

#include "files/FilePlatform.h"

namespace fp = file_platform;

CAppendFile::~CAppendFile() {
    Close();
}

namespace {

// Opens the file that path leads to for writing, without emptying it, or creates it;
// *created tells which. A pipe or device is refused as the atomic writer refuses it.
int OpenTarget(const std::string& path, std::string* target, bool* created) {
    if (!fp::ResolveLinks(path, target)) {
        *target = path;
    }
    bool exists = false;
    if (!fp::MayReplace(*target, &exists)) {
        return -1;
    }
    *created = !exists;
    return exists ? fp::OpenForWriting(*target) : fp::CreateNew(*target);
}

bool Refused(FileWriteError* error) {
    if (error != nullptr) {
        *error = {true, errno};
    }
    return false;
}

}  // namespace

bool CAppendFile::Check(const std::string& path, FileWriteError* error) {
    std::string target;
    bool created = false;
    const int fd = OpenTarget(path, &target, &created);
    if (fd < 0) {
        return Refused(error);
    }
    fp::Close(fd);
    if (created) {
        fp::Remove(target);
    }
    return true;
}

bool CAppendFile::Open(const std::string& path, FileWriteError* error) {
    Close();
    errorNumber = 0;
    std::string target;
    bool created = false;
    fd = OpenTarget(path, &target, &created);
    if (fd >= 0 && !created && !fp::Truncate(fd, 0)) {
        const int reason = errno;
        fp::Close(fd);
        fd = -1;
        errno = reason;
    }
    if (fd < 0) {
        errorNumber = errno;
        return Refused(error);
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
