// The timed write and read loops, the status table and report, and the idle hook of
// the serial port base, run over a scripted port in virtual time.

#include <gtest/gtest.h>

#include <string>

#include "ScriptedPort.h"
#include "serial/Clock.h"
#include "serial/IdleHook.h"

namespace {

class SerialPortTest : public ::testing::Test {
protected:
    CScopedVirtualClock clock{1000};
    CScriptedPort port{*clock};
    unsigned char buffer[64] = {};
};

TEST_F(SerialPortTest, WriteOfAStringWithTerminatorGoesOutInOneLoop) {
    EXPECT_EQ(0, port.Write("abc", 0, 0));
    EXPECT_EQ(3u, port.ByteCount());
    EXPECT_EQ(0, port.Write("abc", 0, 0, "\r"));
    EXPECT_EQ(4u, port.ByteCount());
    EXPECT_EQ(std::string("abcabc\r"), std::string(port.Written().begin(), port.Written().end()));
}

TEST_F(SerialPortTest, WriteRetriesAPartialWriteUntilItsLimit) {
    port.ScriptWrites({{kTimeout, 2}, {kTimeout, 0}, {0, 8}});
    int idleCalls = 0;
    CScopedIdleHandler idle([&] {
        clock->Advance(10);
        ++idleCalls;
        return 0;
    });
    EXPECT_EQ(0, port.Write("abcdef", 0, 100));
    EXPECT_EQ(6u, port.ByteCount());
    EXPECT_EQ(3, idleCalls);  // after each short write, and once at the end
    EXPECT_EQ(30, port.ElapsedMs());

    // With a limit of 0 a short write is tried once only.
    port.ScriptWrites({{kTimeout, 1}});
    EXPECT_EQ(kTimeout, port.Write("xyz", 0, 0));
    EXPECT_EQ(1u, port.ByteCount());
}

TEST_F(SerialPortTest, WriteStopsAtOnceOnAPrimitiveFailure) {
    port.ScriptWrites({{kGeneralError, 0}});
    EXPECT_EQ(kGeneralError, port.Write("abc", 0, -1));
    EXPECT_EQ(1u, port.CallCount(CScriptedPort::Call::kWrite));
}

TEST_F(SerialPortTest, ReadWithLimitZeroMakesExactlyOnePrimitiveCall) {
    port.ArriveIn(0, {1, 2});
    EXPECT_EQ(kTimeout, port.Read(buffer, 4, 0));
    EXPECT_EQ(2u, port.ByteCount());
    EXPECT_EQ(1u, port.CallCount(CScriptedPort::Call::kRead));
}

TEST_F(SerialPortTest, ReadGathersBytesOverSeveralCallsAndStopsWhenComplete) {
    port.ArriveIn(50, {1, 2});
    port.ArriveIn(150, {3, 4, 5});
    EXPECT_EQ(0, port.Read(buffer, 4, 1000));
    EXPECT_EQ(4u, port.ByteCount());
    EXPECT_EQ(150, port.ElapsedMs());  // returned when the 4th byte came
    EXPECT_EQ(3, buffer[2]);
    EXPECT_EQ(1u, port.Pending());
}

TEST_F(SerialPortTest, ReadTimesOutAfterItsLimitOverrunningByAtMostOneCall) {
    port.ArriveIn(0, {7});
    EXPECT_EQ(kTimeout, port.Read(buffer, 4, 200));
    EXPECT_EQ(1u, port.ByteCount());
    EXPECT_EQ(285, port.ElapsedMs());  // three 95 ms primitive reads
    EXPECT_EQ(3u, port.CallCount(CScriptedPort::Call::kRead));
}

TEST_F(SerialPortTest, ReadWithoutLimitEndsOnlyWhenTheIdleHandlerSaysSo) {
    int calls = 0;
    CScopedIdleHandler idle([&] { return ++calls == 50 ? -5 : 0; });
    EXPECT_EQ(-5, port.Read(buffer, 1, -1));
    EXPECT_EQ(50u, port.CallCount(CScriptedPort::Call::kRead));
    EXPECT_EQ(50 * 95, port.ElapsedMs());
}

TEST_F(SerialPortTest, ElapsedTimeSurvivesTheTickCounterWrapAround) {
    clock->Advance(0xFFFFFFF0u - TickCount());
    port.ArriveIn(40, {1});
    EXPECT_EQ(0, port.Read(buffer, 1, 1000));
    EXPECT_EQ(40, port.ElapsedMs());
    EXPECT_EQ(0x18u, TickCount());
}

TEST_F(SerialPortTest, APortInErrorAnswersItsStatusWithoutTouchingTheLine) {
    port.ArriveIn(0, {1, 2, 3});
    port.SetStatus(kGeneralError);
    EXPECT_EQ(kGeneralError, port.Read(buffer, 1, 1000));
    EXPECT_EQ(kGeneralError, port.Write("a", 0, 1000));
    EXPECT_EQ(kGeneralError, port.DiscardInput());
    EXPECT_TRUE(port.Calls().empty());
    EXPECT_EQ(3u, port.Pending());
}

TEST_F(SerialPortTest, DiscardInputReadsChunksUntilNothingComes) {
    port.ArriveIn(0, std::vector<unsigned char>(70, 0x55));
    EXPECT_EQ(0, port.DiscardInput());
    EXPECT_EQ(0u, port.Pending());
    EXPECT_EQ(4u, port.CallCount(CScriptedPort::Call::kRead));  // 32, 32, 6, then 0
}

TEST_F(SerialPortTest, OptionalOperationsAreNotSupportedByTheBase) {
    EXPECT_EQ(kNotSupported, port.SendBreak(10));
    EXPECT_EQ(kNotSupported, port.InputOverflowFlag(0));
    EXPECT_EQ(kNotSupported, port.SetXonXoff(-1));
}

TEST(StatusTextTest, BaseTableKnowsItsCodesAndNothingElse) {
    EXPECT_STREQ("Success", BaseStatusText(0));
    EXPECT_STREQ("Timeout", BaseStatusText(-98));
    EXPECT_STREQ("XON/XOFF handshaking not supported", BaseStatusText(-86));
    EXPECT_STREQ("General Error", BaseStatusText(-200));
    EXPECT_STREQ("Memory allocation error", BaseStatusText(-194));
    EXPECT_STREQ("???", BaseStatusText(-199));
    EXPECT_STREQ("???", BaseStatusText(5));
    EXPECT_STREQ("???", BaseStatusText(-193));
}

TEST_F(SerialPortTest, StatusReportHasFourLinesInFixedFormats) {
    EXPECT_EQ(4, port.StatusLine(nullptr, 0));
    port.ArriveIn(0, {1, 2});
    port.Read(buffer, 2, 100);
    std::string line = "unchanged";
    EXPECT_EQ(kIllegalLineNumber, port.StatusLine(&line, 4));
    EXPECT_EQ("unchanged", line);
    port.StatusLine(&line, 0);
    EXPECT_EQ("Base class: RS232  COM1   Status: Success                            ", line);
    port.StatusLine(&line, 1);
    EXPECT_EQ("Byte count:     2  Elapsed time:         0  ", line);
    port.StatusLine(&line, 2);
    EXPECT_EQ("Saved port:   9600,N, 8, 0  DTR,RTS:  0, 1  XON/OFF,RTS/CTS,DTR/DSR:  0", line);
    port.StatusLine(&line, 3);
    EXPECT_EQ("Current port:   9600,N,8,0  DTR,RTS:  0, 1  XON/OFF,RTS/CTS,DTR/DSR:  0", line);
}

TEST(PortSettingsTest, AdjustKeepsFieldsGivenAsMinusOneAndUpperCasesParity) {
    PortSettings settings;
    settings.Adjust(19200, 'e', 8, 1, 0, 1, 0, 1, 1);
    EXPECT_EQ(19200, settings.baud);
    EXPECT_EQ('E', settings.parity);
    settings.Adjust(-1, -1, 7, -1, -1, -1, -1, -1, -1);
    EXPECT_EQ(19200, settings.baud);
    EXPECT_EQ('E', settings.parity);
    EXPECT_EQ(7, settings.wordLength);
    EXPECT_EQ(1, settings.stopBits);
    EXPECT_EQ(0, settings.dtr);
    EXPECT_EQ(1, settings.rts);
}

TEST(ClockTest, DelayMsAdvancesVirtualTimeExactlyAndAcrossTheWrap) {
    CScopedVirtualClock clock(0xFFFFFFFEu);
    DelayMs(0);
    EXPECT_EQ(0xFFFFFFFEu, TickCount());
    DelayMs(50);
    EXPECT_EQ(48u, TickCount());
    clock->AdvanceTo(10);  // never backward
    EXPECT_EQ(48u, TickCount());
}

// The real clock's pause against its own ticks. Each pause starts just after a tick, where
// a pause that leaves out its last millisecond would end a whole tick early.
TEST(ClockTest, DelayMsOnTheRealClockLastsAtLeastItsTicks) {
    ASSERT_NE(nullptr, dynamic_cast<CRealClock*>(&Clock()));
    for (uint32_t ms : {1u, 2u, 3u, 1u, 2u, 3u, 1u, 2u, 3u}) {
        const uint32_t previous = TickCount();
        uint32_t start = previous;
        while (start == previous) {
            start = TickCount();
        }
        DelayMs(ms);
        EXPECT_GE(TicksSince(start), ms);
    }
}

}  // namespace
