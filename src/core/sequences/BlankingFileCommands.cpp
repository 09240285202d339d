#include "sequences/BlankingFileCommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "files/AtomicFile.h"
#include "files/FileErrorText.h"

namespace {

constexpr const char* kOpenErrorFormat = "Error opening file '%s'\n%s";
constexpr const char* kWriteErrorFormat = "Error writing blanking fields to file.\n%s";

std::string OpenErrorText(const std::string& path, int errorNumber) {
    const std::string why = FileErrorText(errorNumber);
    std::string text(std::strlen(kOpenErrorFormat) + path.size() + why.size(), '\0');
    text.resize(static_cast<size_t>(
        std::snprintf(text.data(), text.size() + 1, kOpenErrorFormat, path.c_str(), why.c_str())));
    return text;
}

std::string WriteErrorText(int errorNumber) {
    const std::string why = FileErrorText(errorNumber);
    std::string text(std::strlen(kWriteErrorFormat) + why.size(), '\0');
    text.resize(static_cast<size_t>(
        std::snprintf(text.data(), text.size() + 1, kWriteErrorFormat, why.c_str())));
    return text;
}

}  // namespace

std::string SaveBlankingFile(const std::string& path, const CBlankingMap& map) {
    FileWriteError error;
    if (WriteBlockFile(path, map, &error)) {
        return {};
    }
    if (error.atOpen) {
        return OpenErrorText(path, error.errorNumber);
    }
    std::string text = WriteErrorText(error.errorNumber);
    if (error.damaged) {
        text.append("\n").append(DamagedFileText(path));
    }
    return text;
}

std::string ReadBlankingFile(const std::string& path, CBlankingMap& fileMap) {
    // One byte more than a BFS file holds is enough to tell a longer file.
    std::vector<unsigned char> bytes;
    FileReadError error;
    if (!ReadFileStart(path, kBlankingBlockSize + 1, &bytes, &error)) {
        return error.notRegular ? BlockFileText(BlockFileResult::wrongSize)
                                : OpenErrorText(path, error.errorNumber);
    }
    return BlankingFromBytes(bytes, fileMap);
}

std::string BlankingFromBytes(const std::vector<unsigned char>& bytes, CBlankingMap& fileMap) {
    std::istringstream file(std::string(bytes.begin(), bytes.end()));
    CBlankingMap read(kMaxChannels);
    const BlockFileResult result = ReadBlockFile(file, read);
    if (result != BlockFileResult::ok) {
        return BlockFileText(result);
    }
    fileMap = read;
    return {};
}

bool BlanksBeyond(const CBlankingMap& fileMap, int channels) {
    return fileMap.CountBlanked(channels) > 0;
}

CBlankingMap FitToController(const CBlankingMap& fileMap, int channels) {
    CBlankingMap map(channels);
    std::copy_n(fileMap.Bytes(), std::min(map.ByteLength(), fileMap.ByteLength()), map.Bytes());
    return map;
}
