#pragma once
// A folder of this process's own under the temporary folder, for the targets whose
// parser reads a file by its path. Made on first use, removed with its files at exit.
// Flushes to the disk are switched off while it exists: they prove nothing here and
// would slow every run down to the disk's pace.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/AtomicFile.h"

class CFuzzFolder {
public:
    static CFuzzFolder& Instance() {
        static CFuzzFolder folder;
        return folder;
    }

    // Writes size bytes as the whole file name in the folder; answers its path.
    std::string Write(const std::string& name, const unsigned char* data, size_t size) {
        const std::string file = File(name);
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file;
    }

    std::string File(const std::string& name) const { return (path / name).string(); }

    static std::string Contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    CFuzzFolder()
        : path(std::filesystem::temp_directory_path() /
               ("tarn-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
        SetFileSyncFunction([](int) { return 0; });
    }
    ~CFuzzFolder() {
        SetFileSyncFunction(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

    std::filesystem::path path;
};
