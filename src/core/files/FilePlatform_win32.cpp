#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "files/FilePlatform.h"

namespace file_platform {

namespace {

// The errno value whose system text tells the operator what a Win32 error means.
struct ErrorMapping {
    DWORD win32;
    int errorNumber;
};
constexpr ErrorMapping kErrorMappings[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
};

// Sets errno from the thread's last Win32 error; answers false for chaining.
bool FailWithLastError() {
    const DWORD code = ::GetLastError();
    errno = EIO;
    for (const ErrorMapping& mapping : kErrorMappings) {
        if (mapping.win32 == code) {
            errno = mapping.errorNumber;
        }
    }
    return false;
}

std::wstring Wide(const std::string& path) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                          length);
    return wide;
}

// Another program holding the file (a virus scanner, the search indexer, cloud sync, an
// editor) keeps a rename or a delete from it for a moment: those are tried again for up
// to 2 s before the file counts as in use.
constexpr ULONGLONG kInUseRetryMs = 2000;
constexpr DWORD kInUseRetryPauseMs = 50;

bool HeldByAnother(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

// Runs attempt until it succeeds, fails for another reason, or the file stayed held for
// the whole retry time (errno EBUSY then).
template <typename Attempt>
bool RetryWhileHeld(Attempt attempt) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (attempt()) {
            return true;
        }
        const DWORD code = ::GetLastError();
        if (!HeldByAnother(code)) {
            return FailWithLastError();
        }
        if (::GetTickCount64() - start >= kInUseRetryMs) {
            errno = EBUSY;
            return false;
        }
        ::Sleep(kInUseRetryPauseMs);
    }
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

std::string Narrow(const std::wstring& wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                          length, nullptr, nullptr);
    return narrow;
}

}  // namespace

bool ResolveLinks(const std::string& path, std::string* target) {
    *target = path;
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return true;
    }
    // A link: the file it leads to is the one to replace. Opening follows every link; a
    // link that leads nowhere is left to be replaced itself.
    const HANDLE file =
        ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return true;
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length);
        length =
            ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    ::CloseHandle(file);
    if (length > 0 && length < final.size()) {
        final.resize(length);
        *target = Narrow(final);
    }
    return true;
}

bool MayReplace(const std::string& target, bool* exists) {
    const DWORD attributes = ::GetFileAttributesW(Wide(target).c_str());
    *exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!*exists) {
        const DWORD code = ::GetLastError();
        // A missing folder shows when the temporary file cannot be made in it.
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || FailWithLastError();
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

int CreateNew(const std::string& path) {
    return ::_wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

int OpenForWriting(const std::string& path) {
    return ::_wopen(Wide(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

int OpenForReading(const std::string& path, bool* regular) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    *regular =
        attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (!*regular) {
        return -1;
    }
    // Shared for reading, writing and deleting, so that reading a file never keeps this or
    // another program from replacing it.
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FailWithLastError();
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return -1;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::_close(fd);
        *regular = false;
        return -1;
    }
    return fd;
}

bool CopyPermissions(const std::string& target, int fd) {
    // The new file keeps the old one's attributes (hidden, archive and the like); a
    // read-only target was refused before.
    const DWORD attributes = ::GetFileAttributesW(Wide(target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    FILE_BASIC_INFO info = {};
    info.FileAttributes = attributes;
    return ::SetFileInformationByHandle(HandleOf(fd), FileBasicInfo, &info, sizeof info) ||
           FailWithLastError();
}

long WriteSome(int fd, const unsigned char* data, size_t size) {
    constexpr size_t kMaxChunk = 1u << 30;
    return ::_write(fd, data, static_cast<unsigned>(size < kMaxChunk ? size : kMaxChunk));
}

long ReadSome(int fd, unsigned char* out, size_t size) {
    constexpr size_t kMaxChunk = 1u << 30;
    return ::_read(fd, out, static_cast<unsigned>(size < kMaxChunk ? size : kMaxChunk));
}

bool Rewind(int fd) {
    return ::_lseeki64(fd, 0, SEEK_SET) == 0;
}

bool Truncate(int fd, size_t size) {
    return ::_chsize_s(fd, static_cast<long long>(size)) == 0;
}

bool Close(int fd) {
    return ::_close(fd) == 0;
}

int Flush(int fd) {
    return ::FlushFileBuffers(HandleOf(fd)) || FailWithLastError() ? 0 : -1;
}

bool Replace(const std::string& from, const std::string& to) {
    const std::wstring source = Wide(from);
    const std::wstring target = Wide(to);
    // MOVEFILE_WRITE_THROUGH only waits for a move that copies between volumes; a rename
    // within the folder is made durable by FlushFolder below.
    return RetryWhileHeld([&] {
        return ::MoveFileExW(source.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

void Remove(const std::string& path) {
    const std::wstring wide = Wide(path);
    RetryWhileHeld([&] { return ::DeleteFileW(wide.c_str()) != FALSE; });
}

bool FlushFolder(const std::string& path, int (*)(int fd)) {
    // Windows has no flush for a folder; flushing the file just renamed into place writes
    // the volume's metadata with it, the rename among them.
    const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FailWithLastError();
    }
    const bool flushed = ::FlushFileBuffers(file) != FALSE || FailWithLastError();
    ::CloseHandle(file);
    return flushed;
}

}  // namespace file_platform
