// Decoding of diagnostics replies, the refusals (also of replies longer than what
// arrived), the board and system state texts and the display formats.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/Diagnostics.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Bitmap = std::array<unsigned char, 8>;

// A well-formed reply of side 'i' or 'j' with one bitmap per board.
Bytes Reply(char side, const std::vector<Bitmap>& boards, uint32_t partNumber = 0x01020304,
            uint16_t dateCode = 423, unsigned char version = 0x21) {
    Bytes reply = {0x1C,
                   'B',
                   static_cast<unsigned char>(side),
                   static_cast<unsigned char>(partNumber >> 24),
                   static_cast<unsigned char>(partNumber >> 16),
                   static_cast<unsigned char>(partNumber >> 8),
                   static_cast<unsigned char>(partNumber),
                   static_cast<unsigned char>(dateCode >> 8),
                   static_cast<unsigned char>(dateCode),
                   version,
                   static_cast<unsigned char>(boards.size())};
    for (const Bitmap& bitmap : boards) {
        reply.insert(reply.end(), bitmap.begin(), bitmap.end());
    }
    reply.push_back(0x0A);
    return reply;
}

int Decode(CDiagnostics& record, const Bytes& reply) {
    return record.Decode(reply.data(), static_cast<int>(reply.size()));
}

// A decoded record of side with the given boards.
CDiagnostics Record(char side, const std::vector<Bitmap>& boards) {
    CDiagnostics record;
    EXPECT_EQ(1, Decode(record, Reply(side, boards)));
    return record;
}

constexpr Bitmap kClean{};

TEST(DiagnosticsTest, ANewRecordIsUnread) {
    CDiagnostics record;
    EXPECT_EQ(2, record.Side());
    EXPECT_EQ(kStateNotRead, record.State());
    EXPECT_EQ(0u, record.PartNumber());
    EXPECT_EQ(0, record.BoardCount());
}

TEST(DiagnosticsTest, DecodesTheFieldsAndFormatsThem) {
    CDiagnostics record;
    const Bytes reply = Reply('i', {}, 0x01020304, 423, 0x21);
    ASSERT_EQ(12u, reply.size());
    ASSERT_EQ(1, Decode(record, reply));
    EXPECT_EQ(kEmitterSide, record.Side());
    EXPECT_EQ(1, record.State());  // a side without boards is in error
    EXPECT_EQ(0, record.BoardCount());
    EXPECT_EQ("16909060", record.PartNumberText());
    EXPECT_EQ("0423", record.DateCodeText());
    EXPECT_EQ("2.1", record.VersionText());
    ASSERT_EQ(1, Decode(record, Reply('i', {}, 4000000000u, 0xFFFF, 0x1F)));
    EXPECT_EQ("4000000000", record.PartNumberText());
    EXPECT_EQ("65535", record.DateCodeText());
    EXPECT_EQ("1.15", record.VersionText());
}

TEST(DiagnosticsTest, EachBoardGivesItsFirstChannelInError) {
    CDiagnostics record = Record('j', {kClean});
    EXPECT_EQ(kReceiverSide, record.Side());
    EXPECT_EQ(0, record.State());
    EXPECT_EQ(0, record.BoardError(1));
    EXPECT_EQ("No Errors", record.ChannelText(1));

    record = Record('j', {Bitmap{0x00, 0x40}, Bitmap{0x80}, Bitmap{0, 0, 0, 0, 0, 0, 0, 0x01},
                          Bitmap{0x20, 0x80}, kClean});
    EXPECT_EQ(2, record.State());
    EXPECT_EQ(5, record.BoardCount());
    EXPECT_EQ(10, record.BoardError(1));
    EXPECT_EQ("Error: Channel 10", record.ChannelText(1));
    EXPECT_EQ(1, record.BoardError(2));
    EXPECT_EQ(64, record.BoardError(3));
    EXPECT_EQ(3, record.BoardError(4));  // channels 3 and 9: only the first
    EXPECT_EQ("No Errors", record.ChannelText(5));
    EXPECT_EQ("Unknown Error", record.ChannelText(0));
    EXPECT_EQ("Unknown Error", record.ChannelText(13));

    // A later reply with fewer boards leaves no errors of the earlier one behind.
    ASSERT_EQ(1, Decode(record, Reply('i', {kClean})));
    EXPECT_EQ(0, record.BoardError(2));
    EXPECT_EQ(0, record.State());
}

TEST(DiagnosticsTest, RefusedRepliesKeepTheFieldsButMarkTheRecordUnread) {
    const Bytes good = Reply('i', {kClean, kClean}, 77);
    Bytes wrongStart = good;
    wrongStart[0] = 0x1D;
    Bytes wrongLetter = good;
    wrongLetter[2] = 'I';
    Bytes lfMisplaced = good;
    lfMisplaced[10] = 1;  // the LF of one board would be at 19
    Bytes tooManyBoards = Reply('i', std::vector<Bitmap>(13, kClean));
    for (const Bytes& reply : {wrongStart, wrongLetter, lfMisplaced, tooManyBoards}) {
        CDiagnostics record = Record('j', {kClean});
        EXPECT_EQ(0, Decode(record, reply));
        EXPECT_EQ(kStateNotRead, record.State());
        EXPECT_EQ(kReceiverSide, record.Side());
        EXPECT_EQ(1, record.BoardCount());
        EXPECT_EQ(0x01020304u, record.PartNumber());
    }
}

TEST(DiagnosticsTest, BytesThatDidNotArriveAreNotTrusted) {
    // The buffer still holds a longer earlier reply; only 20 bytes of this one came.
    Bytes buffer = Reply('j', {kClean, kClean});
    CDiagnostics record;
    EXPECT_EQ(0, record.Decode(buffer.data(), 20));
    EXPECT_EQ(0, record.Decode(buffer.data(), static_cast<int>(buffer.size()) - 1));
    EXPECT_EQ(0, record.Decode(buffer.data(), 0));
    EXPECT_EQ(0, record.Decode(buffer.data(), -5));
    EXPECT_EQ(kStateNotRead, record.State());
    EXPECT_EQ(1, record.Decode(buffer.data(), static_cast<int>(buffer.size())));
    // Bytes after the LF are no part of the reply.
    buffer.push_back(0x55);
    EXPECT_EQ(1, record.Decode(buffer.data(), static_cast<int>(buffer.size())));
}

TEST(DiagnosticsTest, SystemStateFromEmitterAndReceiver) {
    const Bitmap error{0x01};
    struct Case {
        std::vector<Bitmap> emitter, receiver;
        const char* text;
    };
    const Case cases[] = {
        {{kClean}, {kClean}, "Operational"},
        {{error}, {kClean}, "Emitter Error(s)"},
        {{kClean}, {kClean, error}, "Emit/Rec Mismatch"},
        {{kClean, kClean}, {kClean, error}, "Receiver Error(s)"},
        {{error}, {error}, "Emit/Rec Errors"},
        {{kClean, kClean}, {kClean, kClean, kClean}, "Emit/Rec Mismatch"},
        {{}, {}, "Emit/Rec Errors"},
    };
    for (const Case& c : cases) {
        CDiagnostics emitter = Record('i', c.emitter);
        const CDiagnostics receiver = Record('j', c.receiver);
        EXPECT_EQ(c.text, emitter.StateText(receiver));
    }
    CDiagnostics emitter = Record('i', {kClean});
    CDiagnostics unread;
    EXPECT_EQ("Emit/Rec Mismatch", emitter.StateText(unread));
    CDiagnostics emitterWithoutBoards = Record('i', {});
    EXPECT_EQ("Emit/Rec Mismatch", emitterWithoutBoards.StateText(unread));
    EXPECT_EQ("Unknown Error(s)", unread.StateText(Record('j', {})));
    EXPECT_EQ("Unknown Error(s)", unread.StateText(unread));
}

}  // namespace
