// The file layer under the PSF, BFS and settings files, which their own targets reach
// only once per run. The input is a file's content; its first byte picks a limit to read
// up to, its second how the system's write and read calls behave: how many bytes the first
// call moves at most (a power of two; twice as many each call after), whether every other
// call is interrupted, and which call fails. The
// writer and the reader run through those calls in memory; the first input of a run also
// goes through a real file, written atomically over the one before and read back.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "FuzzFolder.h"
#include "FuzzTarget.h"
#include "files/AtomicFile.h"

namespace {

constexpr size_t kWhole = std::numeric_limits<size_t>::max();

// What the replaced calls do for the input at hand, and the file they write and read.
struct Script {
    size_t step = 1;          // bytes the next call moves at most
    bool interrupts = false;  // every other call is interrupted before it moves anything
    int failingCall = -1;     // the call that fails with EIO, counted from 0; -1: none
    int calls = 0;
    std::vector<unsigned char> file;  // room for the data; written holds what is written
    size_t written = 0;
    size_t readAt = 0;
};

Script script;

// How many of wanted bytes the next call moves, or -1 with errno set.
long NextCall(size_t wanted) {
    const int call = script.calls++;
    if (script.interrupts && call % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    if (call == script.failingCall) {
        errno = EIO;
        return -1;
    }
    const size_t moved = std::min(wanted, script.step);
    script.step = std::min(2 * script.step, kWhole / 2);
    return static_cast<long>(moved);
}

long ScriptedWrite(int, const unsigned char* data, size_t size) {
    const long moved = NextCall(size);
    if (moved > 0) {
        Require(script.written + static_cast<size_t>(moved) <= script.file.size(),
                "a write moves no more than the data");
        std::memcpy(script.file.data() + script.written, data, static_cast<size_t>(moved));
        script.written += static_cast<size_t>(moved);
    }
    return moved;
}

long ScriptedRead(int, unsigned char* out, size_t size) {
    const long moved = NextCall(std::min(size, script.written - script.readAt));
    if (moved > 0) {
        std::memcpy(out, script.file.data() + script.readAt, static_cast<size_t>(moved));
        script.readAt += static_cast<size_t>(moved);
    }
    return moved;
}

bool IsPrefix(const unsigned char* part, size_t length, const uint8_t* data, size_t size) {
    return length <= size && std::equal(part, part + length, data);
}

// A failure comes only from the failing call, as its EIO, once that call was made.
bool FailedAtItsCall(bool ok) {
    return ok || (errno == EIO && script.failingCall >= 0 && script.calls > script.failingCall);
}

// The writer and the reader through the scripted calls.
void InMemory(const uint8_t* data, size_t size, size_t limit, unsigned char behaviour) {
    script = Script{};
    script.file.resize(size);
    script.step = size_t{1} << (behaviour >> 3);
    script.interrupts = (behaviour & 1) != 0;
    script.failingCall = (behaviour & 6) != 0 ? (behaviour & 6) : -1;
    const FileWriteFunction write = SetFileWriteFunction(ScriptedWrite);
    const bool written = WriteAll(-1, data, size);
    SetFileWriteFunction(write);
    Require(FailedAtItsCall(written), "a write fails only where a call fails");
    Require(written == (script.written == size),
            "a write moves every byte exactly when it succeeds");
    Require(IsPrefix(script.file.data(), script.written, data, size),
            "the bytes written are the data, in order");
    if (!written) {
        return;
    }

    script.calls = 0;
    script.step = size_t{1} << (behaviour >> 3);
    std::vector<unsigned char> read;
    const FileReadFunction previous = SetFileReadFunction(ScriptedRead);
    const bool ok = ReadUpTo(-1, limit, &read);
    SetFileReadFunction(previous);
    Require(FailedAtItsCall(ok), "a read fails only where a call fails");
    Require(IsPrefix(read.data(), read.size(), data, size),
            "the bytes read are the file's, in order");
    Require(!ok || read.size() == std::min(limit, size), "a read stops at the limit or the end");
}

// The first input of a run, through a real file.
void ThroughFile(const uint8_t* data, size_t size, size_t limit) {
    const std::string path = CFuzzFolder::Instance().File("file.bin");
    Require(WriteFileAtomically(path, data, size), "the file is written");
    std::vector<unsigned char> read;
    Require(ReadFileStart(path, kWhole, &read) &&
                std::equal(read.begin(), read.end(), data, data + size),
            "the file reads back whole");
    Require(ReadFileStart(path, limit, &read) &&
                std::equal(read.begin(), read.end(), data, data + std::min(limit, size)),
            "the file's start reads back up to the limit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t limit = size == 0 ? 0 : data[0] % (size + 2);
    InMemory(data, size, limit, size < 2 ? 0 : data[1]);
    static bool fileDone = false;
    if (!fileDone) {
        fileDone = true;
        ThroughFile(data, size, limit);
    }
    return 0;
}
