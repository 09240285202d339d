#pragma once
// The Win32 calls the Windows serial port makes, as a table of functions. The port always
// calls through CommCalls(); the table holds the system's functions, and a test may put
// functions of its own in their place (CScopedCommCalls) to play a driver that fails in
// the ways real drivers do.

#include <windows.h>

struct CommCallTable {
    HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* closeHandle)(HANDLE);
    BOOL(WINAPI* getCommState)(HANDLE, LPDCB);
    BOOL(WINAPI* setCommState)(HANDLE, LPDCB);
    BOOL(WINAPI* setCommTimeouts)(HANDLE, LPCOMMTIMEOUTS);
    BOOL(WINAPI* setCommMask)(HANDLE, DWORD);
    BOOL(WINAPI* setupComm)(HANDLE, DWORD, DWORD);
    BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* clearCommError)(HANDLE, LPDWORD, LPCOMSTAT);
    BOOL(WINAPI* purgeComm)(HANDLE, DWORD);
    BOOL(WINAPI* escapeCommFunction)(HANDLE, DWORD);
    BOOL(WINAPI* setCommBreak)(HANDLE);
    BOOL(WINAPI* clearCommBreak)(HANDLE);
};

// The table in force: the system's own functions unless a test put others in place.
const CommCallTable& CommCalls();

// Puts table in force for its lifetime (tests only; one at a time).
class CScopedCommCalls {
public:
    explicit CScopedCommCalls(const CommCallTable& table);
    ~CScopedCommCalls();
    CScopedCommCalls(const CScopedCommCalls&) = delete;
    CScopedCommCalls& operator=(const CScopedCommCalls&) = delete;

private:
    const CommCallTable* previous;
};
