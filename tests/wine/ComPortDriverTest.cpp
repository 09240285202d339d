// The Windows serial port against a driver played by the test through the port's table of
// Win32 calls, in virtual time: the line options another program left behind are all
// replaced, an option the driver will not take is named, and the errors real drivers
// return end each read or write with the right status within its limit, never spinning.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "serial/Clock.h"
#include "serial/ComPort.h"
#include "serial/CommCalls_win32.h"

namespace {

// The driver's side: its configuration, the bytes waiting, and the errors it is to
// return, in order (ERROR_SUCCESS lets the call succeed).
struct FakeDriver {
    DCB dcb{};
    bool keepsNull = false;  // a driver that ignores fNull
    std::deque<unsigned char> input;
    std::deque<DWORD> readErrors;
    std::deque<DWORD> writeErrors;
    std::deque<DWORD> clearErrors;
    DWORD pendingLineErrors = 0;
    bool abortPending = false;  // every read fails until ClearCommError
    int readCalls = 0;
    std::vector<unsigned char> written;
};

FakeDriver* driver = nullptr;
const auto kHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x4242));

// Takes the next scripted error; true when the call is to fail.
bool Fails(std::deque<DWORD>& errors) {
    if (errors.empty() || errors.front() == ERROR_SUCCESS) {
        if (!errors.empty()) {
            errors.pop_front();
        }
        return false;
    }
    SetLastError(errors.front());
    errors.pop_front();
    return true;
}

HANDLE WINAPI FakeCreateFile(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    return kHandle;
}
BOOL WINAPI Done(HANDLE) {
    return TRUE;
}
BOOL WINAPI FakeGetCommState(HANDLE, LPDCB dcb) {
    *dcb = driver->dcb;
    return TRUE;
}
BOOL WINAPI FakeSetCommState(HANDLE, LPDCB dcb) {
    const DWORD keptNull = driver->dcb.fNull;
    driver->dcb = *dcb;
    if (driver->keepsNull) {
        driver->dcb.fNull = keptNull;
    }
    return TRUE;
}
BOOL WINAPI FakeSetCommTimeouts(HANDLE, LPCOMMTIMEOUTS) {
    return TRUE;
}
BOOL WINAPI FakeSetCommMask(HANDLE, DWORD) {
    return TRUE;
}
BOOL WINAPI FakeSetupComm(HANDLE, DWORD, DWORD) {
    return TRUE;
}
BOOL WINAPI FakeReadFile(HANDLE, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED) {
    ++driver->readCalls;
    *got = 0;
    if (driver->readCalls > 1000) {  // a port that spins: end the scripted faults
        driver->abortPending = false;
        driver->readErrors.clear();
    }
    if (driver->abortPending) {
        SetLastError(ERROR_OPERATION_ABORTED);
        return FALSE;
    }
    if (Fails(driver->readErrors)) {
        return FALSE;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (*got < count && !driver->input.empty()) {
        bytes[(*got)++] = driver->input.front();
        driver->input.pop_front();
    }
    if (*got == 0) {
        Clock().Pause(5);  // the device's read time-out
    }
    return TRUE;
}
BOOL WINAPI FakeWriteFile(HANDLE, LPCVOID buffer, DWORD count, LPDWORD put, LPOVERLAPPED) {
    *put = 0;
    if (Fails(driver->writeErrors)) {
        return FALSE;
    }
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    driver->written.insert(driver->written.end(), bytes, bytes + count);
    *put = count;
    return TRUE;
}
BOOL WINAPI FakeClearCommError(HANDLE, LPDWORD errors, LPCOMSTAT) {
    if (Fails(driver->clearErrors)) {
        return FALSE;
    }
    *errors = driver->pendingLineErrors;
    driver->pendingLineErrors = 0;
    driver->abortPending = false;
    return TRUE;
}
BOOL WINAPI FakePurgeComm(HANDLE, DWORD) {
    return TRUE;
}
BOOL WINAPI FakeEscapeCommFunction(HANDLE, DWORD) {
    return TRUE;
}

const CommCallTable kFakeCalls = {
    .createFile = FakeCreateFile,
    .closeHandle = Done,
    .getCommState = FakeGetCommState,
    .setCommState = FakeSetCommState,
    .setCommTimeouts = FakeSetCommTimeouts,
    .setCommMask = FakeSetCommMask,
    .setupComm = FakeSetupComm,
    .readFile = FakeReadFile,
    .writeFile = FakeWriteFile,
    .clearCommError = FakeClearCommError,
    .purgeComm = FakePurgeComm,
    .escapeCommFunction = FakeEscapeCommFunction,
    .setCommBreak = Done,
    .clearCommBreak = Done,
};

class ComPortDriverTest : public ::testing::Test {
protected:
    ComPortDriverTest() {
        driver = &fake;
        fake.dcb.DCBlength = sizeof fake.dcb;
        fake.dcb.BaudRate = 19200;
        fake.dcb.ByteSize = 8;
    }
    ~ComPortDriverTest() override { driver = nullptr; }

    // Opened as every command opens it: 8 data bits, stop-bit code 1, DTR off, RTS on.
    CComPort Open() { return CComPort(2, 9600, 'E', 8, 1, 0, 1, 0, 0, 0, "COM3"); }

    FakeDriver fake;
    CScopedCommCalls calls{kFakeCalls};
    CScopedVirtualClock clock{1000};
};

TEST_F(ComPortDriverTest, LineOptionsLeftByAnotherProgramAreAllReplaced) {
    // What a terminal program or a handshaking tool may leave on the adapter.
    DCB& left = fake.dcb;
    left.fOutX = left.fInX = TRUE;
    left.fOutxCtsFlow = left.fOutxDsrFlow = TRUE;
    left.fDsrSensitivity = left.fNull = left.fErrorChar = left.fAbortOnError = TRUE;
    left.fDtrControl = DTR_CONTROL_HANDSHAKE;
    left.fRtsControl = RTS_CONTROL_HANDSHAKE;
    left.fBinary = FALSE;

    CComPort port = Open();
    ASSERT_EQ(0, port.Status()) << port.StatusText(port.Status());
    const DCB& set = fake.dcb;
    EXPECT_EQ(9600u, set.BaudRate);
    EXPECT_EQ(EVENPARITY, set.Parity);
    EXPECT_EQ(8, set.ByteSize);
    EXPECT_TRUE(set.fBinary);
    EXPECT_TRUE(set.fParity);
    const std::pair<const char*, DWORD> off[] = {
        {"fOutX", set.fOutX},
        {"fInX", set.fInX},
        {"fOutxCtsFlow", set.fOutxCtsFlow},
        {"fOutxDsrFlow", set.fOutxDsrFlow},
        {"fDsrSensitivity", set.fDsrSensitivity},
        {"fNull", set.fNull},
        {"fErrorChar", set.fErrorChar},
        {"fAbortOnError", set.fAbortOnError},
    };
    for (const auto& [name, value] : off) {
        EXPECT_EQ(0u, value) << name;
    }
    EXPECT_EQ(static_cast<DWORD>(DTR_CONTROL_DISABLE), set.fDtrControl);
    EXPECT_EQ(static_cast<DWORD>(RTS_CONTROL_ENABLE), set.fRtsControl);

    // A driver that keeps stripping 0x00 bytes would lose PSF and scan bytes: the port
    // does not open, and says why.
    fake.dcb.fNull = TRUE;
    fake.keepsNull = true;
    CComPort stripping = Open();
    EXPECT_EQ(kDefaultParametersError, stripping.Status());
    EXPECT_STREQ("The serial driver of COM3 refused to set null byte stripping",
                 stripping.StatusText(stripping.Status()));
}

// One driver error sequence: what ReadFile and then ClearCommError answer, the bytes that
// come after, and how the read of 4 bytes within 200 ms must end.
struct ReadFault {
    const char* name;
    std::deque<DWORD> readErrors;
    std::deque<DWORD> clearErrors;
    DWORD lineErrors;  // what ClearCommError reports
    bool abortPending;
    int expected;
    bool portGone;
    bool framingFlag;
};

TEST_F(ComPortDriverTest, DriverErrorsEndEachReadWithTheRightStatusWithinItsLimit) {
    // clang-format off
    const ReadFault faults[] = {
        {"an aborted read now and then", {ERROR_OPERATION_ABORTED}, {}, 0, false, 0, false, false},
        {"abort on error pending until cleared", {}, {}, CE_FRAME, true, 0, false, true},
        {"unplugged: access denied, then the driver knows no command",
         {ERROR_ACCESS_DENIED}, {ERROR_BAD_COMMAND}, 0, false, kDeviceGone, true, false},
        {"a handle closed under the port",
         {ERROR_INVALID_HANDLE}, {}, 0, false, kDeviceGone, true, false},
        {"an error that clearing does not end",
         std::deque<DWORD>(200, ERROR_OPERATION_ABORTED), {}, 0, false, kTimeout, false, false},
    };
    // clang-format on
    for (const ReadFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        CComPort port = Open();
        ASSERT_EQ(0, port.Status());
        fake.readErrors = fault.readErrors;
        fake.clearErrors = fault.clearErrors;
        fake.pendingLineErrors = fault.lineErrors;
        fake.abortPending = fault.abortPending;
        fake.input = {1, 2, 3, 4};
        fake.readCalls = 0;
        unsigned char buffer[4] = {};
        const uint32_t start = TickCount();
        EXPECT_EQ(fault.expected, port.Read(buffer, 4, 200));
        EXPECT_LE(TicksSince(start), 210u);
        if (fault.expected == kTimeout) {
            EXPECT_GE(TicksSince(start), 200u);
        }
        // Never a spin: each failing call takes the read's own few milliseconds.
        EXPECT_LE(fake.readCalls, 2 * 200 / 5 + 2);
        EXPECT_EQ(fault.portGone, port.Status() == kDeviceGone);
        if (fault.expected == 0) {
            EXPECT_EQ(4, buffer[3]);
            EXPECT_EQ(fault.framingFlag ? 1 : 0, port.FramingErrorFlag(1));
        }
    }
}

TEST_F(ComPortDriverTest, AWriteThatFailsOnceIsClearedAndSentWhole) {
    CComPort port = Open();
    ASSERT_EQ(0, port.Status());
    const unsigned char frame[] = {0x1b, 'C', 'V', 0x0d};
    fake.writeErrors = {ERROR_OPERATION_ABORTED};
    EXPECT_EQ(0, port.Write(frame, sizeof frame, 200));
    EXPECT_EQ(std::vector<unsigned char>(frame, frame + sizeof frame), fake.written);

    // A write failing while the driver cannot even clear its error: the device has gone.
    fake.writeErrors = {ERROR_GEN_FAILURE};
    fake.clearErrors = {ERROR_DEVICE_NOT_CONNECTED};
    EXPECT_EQ(kDeviceGone, port.Write(frame, sizeof frame, 200));
    EXPECT_EQ(kDeviceGone, port.Status());
}

}  // namespace
