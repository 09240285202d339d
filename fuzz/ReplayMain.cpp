// Runs a fuzz target over the files of its corpus, for builds without libFuzzer, so the
// seeds and every input once found to fail are replayed in every test run. Arguments are
// files or folders of files; each file is handed over in a buffer of exactly its size,
// so the sanitizers see any read past its end.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "FuzzTarget.h"

namespace {

void Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    const auto buffer = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    LLVMFuzzerTestOneInput(buffer.get(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.emplace_back(argv[i]);
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        Replay(file);
    }
    std::printf("Replayed %zu inputs\n", files.size());
    // An empty corpus would pass without testing anything.
    return files.empty() ? 1 : 0;
}
