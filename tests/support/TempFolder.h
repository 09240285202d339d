#pragma once
// A fresh folder under the system's temporary folder for one test, removed with
// everything in it when the test ends.

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

class CTempFolder {
public:
    CTempFolder() {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("tarn-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directory(path);
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string File(const std::string& name) const { return (path / name).string(); }
    // The names of everything in the folder in sorted order, to see that no temporary file
    // was left.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path;
};
