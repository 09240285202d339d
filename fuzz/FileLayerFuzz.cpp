// The file layer under the PSF, BFS and settings files, which their own targets reach
// only once per run: the input is written as the whole file over the one before, then
// read back whole and up to a limit that its first byte picks.

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "FuzzFolder.h"
#include "FuzzTarget.h"
#include "files/AtomicFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = CFuzzFolder::Instance().File("file.bin");
    Require(WriteFileAtomically(path, data, size), "the file is written");
    std::vector<unsigned char> read;
    Require(ReadFileStart(path, std::numeric_limits<size_t>::max(), &read) &&
                std::equal(read.begin(), read.end(), data, data + size),
            "the file reads back whole");
    const size_t limit = size == 0 ? 0 : data[0] % (size + 2);
    Require(ReadFileStart(path, limit, &read) &&
                std::equal(read.begin(), read.end(), data, data + std::min(limit, size)),
            "the file's start reads back up to the limit");
    return 0;
}
