#pragma once
// The operating system's file calls under the atomic writer and the reader, one
// implementation per platform (FilePlatform_posix.cpp, FilePlatform_win32.cpp). Files are
// C runtime descriptors on both, opened in binary mode; paths are UTF-8. A failing call
// answers false or -1 and leaves its reason in errno.

#include <cstddef>
#include <string>

namespace file_platform {

#ifdef _WIN32
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

// The path up to and including its last separator; empty for a bare name.
std::string FolderPrefix(const std::string& path);

// The file that path leads to after following symbolic links (path itself when it is
// none, or when it leads nowhere yet).
bool ResolveLinks(const std::string& path, std::string* target);

// False when a file exists at target that the user may not write (a read-only file), or
// that is a pipe or a device, which a save must not replace;
// *exists tells whether there is one.
bool MayReplace(const std::string& target, bool* exists);

// A new file that must not exist yet (EEXIST when it does), for writing.
int CreateNew(const std::string& path);
// An existing file opened for writing at its start, without truncating it.
int OpenForWriting(const std::string& path);
// An existing file opened for reading; opening never waits. Anything that is not a
// regular file (pipe, device, folder) is refused with *regular false.
int OpenForReading(const std::string& path, bool* regular);

// Gives the new file fd the permissions of the file at target, as a file truncated in
// place would keep them.
bool CopyPermissions(const std::string& target, int fd);

long WriteSome(int fd, const unsigned char* data, size_t size);
long ReadSome(int fd, unsigned char* out, size_t size);
bool Rewind(int fd);
bool Truncate(int fd, size_t size);
bool Close(int fd);
// Flushes the file's data to the disk.
int Flush(int fd);

// Puts the file at from in the place of the file at to, in one step. Where another
// program may hold a file for a moment (Windows), this and Remove try again for a while
// and then fail with EBUSY.
bool Replace(const std::string& from, const std::string& to);
void Remove(const std::string& path);
// Flushes the folder that holds path, so that a rename in it survives a crash, through
// flush (the replaceable flush call). Nothing to do where a rename is written through.
bool FlushFolder(const std::string& path, int (*flush)(int fd));

}  // namespace file_platform
