#include "serial/CommCalls_win32.h"

namespace {

const CommCallTable kSystem = {
    .createFile = CreateFileA,
    .closeHandle = CloseHandle,
    .getCommState = GetCommState,
    .setCommState = SetCommState,
    .setCommTimeouts = SetCommTimeouts,
    .setCommMask = SetCommMask,
    .setupComm = SetupComm,
    .readFile = ReadFile,
    .writeFile = WriteFile,
    .clearCommError = ClearCommError,
    .purgeComm = PurgeComm,
    .escapeCommFunction = EscapeCommFunction,
    .setCommBreak = SetCommBreak,
    .clearCommBreak = ClearCommBreak,
};

const CommCallTable* inForce = &kSystem;

}  // namespace

const CommCallTable& CommCalls() {
    return *inForce;
}

CScopedCommCalls::CScopedCommCalls(const CommCallTable& table) : previous(inForce) {
    inForce = &table;
}

CScopedCommCalls::~CScopedCommCalls() {
    inForce = previous;
}
