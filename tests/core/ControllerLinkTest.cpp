// The controller link's frames, checks, baud handling, controller table and Ping, over
// a scripted port in virtual time.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ScriptedPort.h"
#include "protocol/Checksum16.h"
#include "protocol/ControllerLink.h"
#include "protocol/ControllerTable.h"
#include "protocol/LineTap.h"
#include "serial/Clock.h"
#include "serial/IdleHook.h"

namespace {

using Bytes = std::vector<unsigned char>;

class ControllerLinkTest : public ::testing::Test {
protected:
    ControllerLinkTest() {
        auto owned = std::make_unique<CScriptedPort>(*clock);
        port = owned.get();
        link = std::make_unique<CControllerLink>(std::move(owned), 'B');
    }
    // Scripts a reply that starts to arrive delayMs after each request is written.
    void AnswerEachRequest(const Bytes& answer, uint32_t delayMs = 5) {
        port->onWrite = [this, answer, delayMs](const Bytes&) { port->ArriveIn(delayMs, answer); };
    }

    CScopedVirtualClock clock{500};
    CScriptedPort* port = nullptr;
    std::unique_ptr<CControllerLink> link;
};

TEST(Checksum16Test, KnownValues) {
    const unsigned char small[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(0xFFF9, Checksum16(small, 3));
    const Bytes zeros(96, 0x00);
    EXPECT_EQ(0xFFFF, Checksum16(zeros.data(), 96));
    const Bytes ones(96, 0xFF);
    EXPECT_EQ(0xA05F, Checksum16(ones.data(), 96));
    EXPECT_EQ(0xFFFF, Checksum16(small, 0));
    EXPECT_EQ(0xFFFF, Checksum16(small, -3));
    // The sum is taken modulo 0x10000 before the complement.
    const Bytes many(300, 0xFF);
    EXPECT_EQ(static_cast<uint16_t>(0xFFFF - (300 * 0xFF) % 0x10000), Checksum16(many.data(), 300));
}

TEST_F(ControllerLinkTest, PingWritesItsFrameAndSucceedsOnFourBytesAfterTheFullWindow) {
    AnswerEachRequest({0x1C, 'C', 'X', 0x0A});
    const uint32_t start = TickCount();
    EXPECT_EQ('X', link->Ping('C'));
    EXPECT_EQ((Bytes{0xF8, 'C', 'P', 0x0D}), port->Written());
    // The read asks for far more than ever comes, so it runs out its 200 ms limit.
    EXPECT_GE(TicksSince(start), 200u);
    EXPECT_LE(TicksSince(start), 200u + 95u + 95u);  // plus the input flush's empty read
}

TEST_F(ControllerLinkTest, PingIgnoresBytesAfterTheFourth) {
    AnswerEachRequest({0x1C, 'C', 'X', 0x0A, 0x33, 0x44});
    EXPECT_EQ('X', link->Ping('C'));
}

TEST_F(ControllerLinkTest, PingFailsOnAShortOrWrongAnswer) {
    const Bytes wrongAnswers[] = {
        {0x1C, 'C', 'X'},        // three bytes only
        {0x1C, 'D', 'X', 0x0A},  // another controller's ID
        {0x1C, 'C', 'X', 0x0D},  // CR for LF
        {0x1D, 'C', 'X', 0x0A},  // wrong start
        {0x1C, 'C', 'K', 0x0A},  // wrong letter
        {},                      // silence
    };
    for (const Bytes& answer : wrongAnswers) {
        AnswerEachRequest(answer);
        EXPECT_EQ(0, link->Ping('C')) << "answer of " << answer.size() << " bytes";
    }
}

TEST_F(ControllerLinkTest, PingDiscardsStaleInputBeforeItAsks) {
    port->ArriveIn(0, {0x1C, 'C', 'X', 0x0A});  // an old, unsolicited reply
    EXPECT_EQ(0, link->Ping('C'));
}

TEST_F(ControllerLinkTest, PingFailsWhenTheWriteFails) {
    port->ScriptWrites({{kGeneralError, 0}});
    AnswerEachRequest({0x1C, 'C', 'X', 0x0A});
    EXPECT_EQ(0, link->Ping('C'));
    EXPECT_EQ(0u, port->CallCount(CScriptedPort::Call::kRead) - 1);  // only the flush read
}

TEST_F(ControllerLinkTest, AcknowledgementCheckNeedsEveryFixedByte) {
    AnswerEachRequest({0x1C, 'B', 'K', 0x0A});
    link->BuildRequest('B', 'a');
    CExchange exchange;
    exchange.replyLength = 4;
    exchange.readLimitMs = 250;
    ASSERT_TRUE(link->Transact(exchange));
    EXPECT_TRUE(link->CheckReply('B', 'K'));
    EXPECT_FALSE(link->CheckReply('C', 'K'));
    EXPECT_FALSE(link->CheckReply('B', 'X'));

    AnswerEachRequest({0x1C, 'B', 'K', 0x0D});
    ASSERT_TRUE(link->Transact(exchange));
    EXPECT_FALSE(link->CheckReply('B', 'K'));
}

TEST_F(ControllerLinkTest, BuildRequestZeroesTheWholeBufferFirst) {
    link->Request()[10] = 0x77;
    link->BuildRequest('O', 'G');
    EXPECT_EQ((Bytes{0xF8, 'O', 'G', 0x0D, 0}), Bytes(link->Request(), link->Request() + 5));
    EXPECT_EQ(0, link->Request()[10]);
}

TEST_F(ControllerLinkTest, TransactionAcceptsAShortReplyOnlyWhereAMinimumIsGiven) {
    AnswerEachRequest({0x1C, 'B', 'i', 1, 2, 3, 4, 5, 6, 7, 0, 0x0A});
    link->BuildRequest('B', 'I');
    CExchange exchange;
    exchange.replyLength = 108;
    exchange.readLimitMs = 1000;
    EXPECT_FALSE(link->Transact(exchange));
    EXPECT_EQ(12u, link->ReplyCount());
    exchange.minReplyLength = 12;
    EXPECT_TRUE(link->Transact(exchange));
    exchange.minReplyLength = 13;
    EXPECT_FALSE(link->Transact(exchange));
}

TEST_F(ControllerLinkTest, PauseAfterWriteComesBeforeTheRead) {
    AnswerEachRequest({0x1C, 'B', 'K', 0x0A}, 0);
    link->BuildRequest('B', 'b');
    CExchange exchange;
    exchange.replyLength = 4;
    exchange.readLimitMs = 1000;
    exchange.pauseAfterWriteMs = 100;
    const uint32_t start = TickCount();
    EXPECT_TRUE(link->Transact(exchange));
    ASSERT_EQ(2u, port->Calls().size());
    EXPECT_EQ(start + 100, port->Calls()[1].startedAt);
}

TEST_F(ControllerLinkTest, ATransactionStartedWhileAnotherWaitsIsRefusedUntouched) {
    // The request goes out in two pieces, so the nested commands run while the rest of
    // it still waits in the request buffer.
    port->ScriptWrites({{kTimeout, 2}});
    AnswerEachRequest({0x1C, 'C', 'X', 0x0A}, 150);
    bool nestedTried = false;
    CScopedIdleHandler idle([&] {
        if (!nestedTried) {
            nestedTried = true;
            const auto callsBefore = port->Calls().size();
            const int values[4] = {1, 2, 3, 4};
            EXPECT_EQ(0, link->Ping('D'));
            EXPECT_EQ(0, link->OutputPartNumber(123, 2650));
            EXPECT_EQ(0, link->OutputNullSpan('n', values));
            EXPECT_EQ(0, link->SetBaudIndex(2));
            EXPECT_EQ(0, link->FlushBuffers());
            EXPECT_EQ(0, link->SuspendKnown(link->GetControllerTable()));
            EXPECT_EQ(callsBefore, port->Calls().size());
        }
        return 0;
    });
    EXPECT_EQ('X', link->Ping('C'));
    EXPECT_TRUE(nestedTried);
    EXPECT_EQ((Bytes{0xF8, 'C', 'P', 0x0D}), port->Written());
    EXPECT_EQ(9600, port->Current().baud);
    EXPECT_FALSE(link->Busy());
}

TEST_F(ControllerLinkTest, BaudIndexFollowsTheTableAndUnknownRatesCountAsTheFirst) {
    EXPECT_EQ(1, link->SetBaudIndex(2));
    EXPECT_EQ(38400, port->Current().baud);
    EXPECT_EQ(2, link->GetBaudIndex());
    EXPECT_EQ(1, link->SetBaudIndex(3));
    EXPECT_EQ(3, link->GetBaudIndex());
    port->Configure(4800, -1, -1, -1);
    EXPECT_EQ(0, link->GetBaudIndex());
    EXPECT_EQ(0, link->SetBaudIndex(4));
    EXPECT_EQ(4800, port->Current().baud);
    EXPECT_EQ(19200, CControllerLink::BaudRateOf(1));
    EXPECT_EQ(57600, CControllerLink::BaudRateOf(3));
}

TEST_F(ControllerLinkTest, DestroyingTheLinkDestroysItsPort) {
    struct CWatchedPort : CScriptedPort {
        CWatchedPort(CVirtualClock& c, bool& gone) : CScriptedPort(c), gone(gone) {}
        ~CWatchedPort() override { gone = true; }
        bool& gone;
    };
    bool gone = false;
    {
        CControllerLink watched(std::make_unique<CWatchedPort>(*clock, gone), 'A');
        EXPECT_EQ('A', watched.Id());
    }
    EXPECT_TRUE(gone);
}

TEST_F(ControllerLinkTest, KeepsTheControllerTableItIsGiven) {
    EXPECT_EQ(nullptr, link->GetControllerTable());
    ControllerTable table{};
    link->SetControllerTable(&table);
    EXPECT_EQ(&table, link->GetControllerTable());
}

// Observers end in any order: the one ended stops seeing exchanges, the others go on.
TEST_F(ControllerLinkTest, AnObserverEndedOutOfOrderRemovesOnlyItself) {
    struct Counter : CLineObserver {
        void OnExchange(const CLineExchange&) override { ++exchanges; }
        void OnVerdictChanged(LineVerdict) override {}
        int exchanges = 0;
    } first, second;
    AnswerEachRequest({0x1C, 'C', 'X', 0x0A});
    auto firstScope = std::make_unique<CScopedLineObserver>(&first);
    const CScopedLineObserver secondScope(&second);
    link->Ping('C');
    firstScope.reset();
    EXPECT_EQ(std::vector<CLineObserver*>{&second}, LineObservers());
    link->Ping('C');
    EXPECT_EQ(1, first.exchanges);
    EXPECT_EQ(2, second.exchanges);
}

TEST(ControllerTableTest, StoreFindAndMove) {
    ControllerTable table{};
    int index = -1;
    EXPECT_FALSE(FindBaudIndex(table, 'C', &index));

    StoreControllerEntry(table, 'C', 2, 'X');
    StoreControllerEntry(table, 'C', 1, 0);
    ASSERT_TRUE(FindBaudIndex(table, 'C', &index));
    EXPECT_EQ(2, index);
    EXPECT_EQ('X', table[3][2]);

    StoreControllerEntry(table, 'C', 1, 'X');
    ASSERT_TRUE(FindBaudIndex(table, 'C', &index));
    EXPECT_EQ(1, index);  // the first column that holds an entry

    StoreControllerEntry(table, 'D', 0, 200);  // stored as a signed char
    EXPECT_EQ(-56, table[4][0]);

    StoreControllerEntry(table, '@', 0, 'X');  // row 0 is the selection: never touched
    StoreControllerEntry(table, 'P', 0, 'X');
    EXPECT_EQ(0, table[0][0]);

    MoveControllerEntry(table, 'C', 1, 'F', 0);
    EXPECT_EQ(0, table[3][1]);
    EXPECT_EQ('X', table[6][0]);
    ASSERT_TRUE(FindBaudIndex(table, 'C', &index));
    EXPECT_EQ(2, index);
}

}  // namespace
