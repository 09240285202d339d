#pragma once
// File names travel through the program as UTF-8. Utf8Path makes a path the standard
// library opens by that name on every system; on Windows a path made from a plain string
// would read it in the system's code page, and a folder with non-ASCII letters would not
// be found.

#include <filesystem>
#include <string>

inline std::filesystem::path Utf8Path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}
