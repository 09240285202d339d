// Every command a simulated controller understands, driven with raw frames through the
// in-process port, its reply compared byte for byte.

#include "SimFixture.h"

namespace {

// The default PSF image: controller A, Even parity at 9600, and its checksum.
const Bytes kDefaultPsfImage = {'A',  0x02, 0x01, 'b',  'K',  'K',  0x01, 0x00, 0x00, 0x00, 'x',
                                0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 'x',  0x00, 0x01,
                                0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 'x',  'b',  0x00, 0x00, 0x0F,
                                0xFF, 'x',  'b',  0x00, 0x00, 0x0F, 0xFF, 0xF9, 0xFA};

// The default image with another ID, serial settings and meas modes, checksum redone.
Bytes PsfImage(char id, unsigned char serialSettings, char meas1 = 'K', char meas2 = 'K') {
    Bytes image(kDefaultPsfImage.begin(), kDefaultPsfImage.begin() + 40);
    image[0] = static_cast<unsigned char>(id);
    image[1] = serialSettings;
    image[4] = static_cast<unsigned char>(meas1);
    image[5] = static_cast<unsigned char>(meas2);
    return WithChecksum(image);
}

class SimCommandTest : public SimTest {
protected:
    SimCommandTest() { a = line.AddController('A', 0, 2); }
    CSimController* a = nullptr;
};

TEST_F(SimCommandTest, PingAndPsfUpload) {
    EXPECT_EQ(Reply('A', 'X'), Exchange(Request('A', 'P')));
    Bytes psfReply = Reply('A', 'H', kDefaultPsfImage);
    EXPECT_EQ(46u, psfReply.size());
    EXPECT_EQ(psfReply, Exchange(Request('A', 'G')));
}

TEST_F(SimCommandTest, NoAnswerToAnotherIdRateParityOrMalformedFrame) {
    EXPECT_TRUE(Exchange(Request('B', 'P')).empty());
    EXPECT_TRUE(Exchange(Request('X', 'P')).empty());            // the broadcast ID is for V/v only
    EXPECT_TRUE(Exchange(Request('A', 'P', {}, 0x0A)).empty());  // wrong end byte
    EXPECT_TRUE(Exchange(Request('A', 'Z')).empty());            // unknown command
    EXPECT_TRUE(Exchange(Bytes{0xF8, 'A', 'P'}).empty());        // too short
    port->Configure(19200, -1, -1, -1);
    EXPECT_TRUE(Exchange(Request('A', 'P')).empty());
    port->Configure(9600, 'N', -1, -1);
    EXPECT_TRUE(Exchange(Request('A', 'P')).empty());
    port->Configure(-1, 'E', -1, -1);
    EXPECT_EQ(Reply('A', 'X'), Exchange(Request('A', 'P')));
    // Frames it did not act on are still on record when they were well-formed and its own.
    ASSERT_EQ(2u, a->Received().size());
    EXPECT_EQ(Request('A', 'P', {}, 0x0A), a->Received()[0].bytes);
}

TEST_F(SimCommandTest, AcceptedPsfMovesTheControllerToItsIdAndRate) {
    const Bytes image = PsfImage('C', 0x11);  // Odd parity, 19200
    Bytes frame = Request('A', 'C', image, 0x0E);
    ASSERT_EQ(46u, frame.size());
    // The acknowledgement still goes out under the old ID and rate.
    EXPECT_EQ(Ack('A'), Exchange(frame));
    EXPECT_EQ('C', a->Id());
    EXPECT_EQ(1, a->BaudIndex());
    EXPECT_EQ(1, a->ParityIndex());
    EXPECT_TRUE(Exchange(Request('A', 'P')).empty());
    EXPECT_TRUE(Exchange(Request('C', 'P')).empty());
    port->Configure(19200, 'O', -1, -1);
    EXPECT_EQ(Reply('C', 'X'), Exchange(Request('C', 'P')));
    EXPECT_EQ(Reply('C', 'H', image), Exchange(Request('C', 'G')));
}

TEST_F(SimCommandTest, RefusedPsfIsIgnored) {
    Bytes badChecksum = PsfImage('C', 0x02);
    badChecksum[41] ^= 0x01;
    EXPECT_TRUE(Exchange(Request('A', 'C', badChecksum, 0x0E)).empty());
    // A PSF ending with CR, as an ordinary request would, is malformed.
    EXPECT_TRUE(Exchange(Request('A', 'C', PsfImage('C', 0x02), 0x0D)).empty());
    // An ID it could never answer to, or a rate it cannot run at.
    EXPECT_TRUE(Exchange(Request('A', 'C', PsfImage('Z', 0x02), 0x0E)).empty());
    EXPECT_TRUE(Exchange(Request('A', 'C', PsfImage('C', 0x42), 0x0E)).empty());
    EXPECT_EQ('A', a->Id());
    EXPECT_EQ(Reply('A', 'H', kDefaultPsfImage), Exchange(Request('A', 'G')));
}

TEST_F(SimCommandTest, NullSpanAdjustmentKeepsOrDiscards) {
    a->Psf().SetAnalogNull(1, 100);
    a->Psf().SetAnalogSpan(2, 3000);
    EXPECT_EQ(Reply('A', 'N', {0x00, 0x64, 0x0F, 0xFF, 0x00, 0x00, 0x0B, 0xB8}),
              Exchange(Request('A', 'A')));
    EXPECT_TRUE(a->InNullSpanAdjustment());
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 'n', {0x01, 0x2C, 0x00, 0x05})));
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 's', {0x07, 0xD0, 0x0F, 0xA0})));
    EXPECT_EQ((std::array<int, 4>{300, 2000, 5, 4000}), a->LiveNullSpan());
    EXPECT_EQ(100, a->Psf().GetAnalogNull(1));  // not kept until E
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 'Q')));
    EXPECT_FALSE(a->InNullSpanAdjustment());
    EXPECT_EQ((std::array<int, 4>{100, 4095, 0, 3000}), a->LiveNullSpan());

    Exchange(Request('A', 'A'));
    Exchange(Request('A', 'n', {0x01, 0x2C, 0x00, 0x05}));
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 'E')));
    EXPECT_EQ(300, a->Psf().GetAnalogNull(1));
    EXPECT_EQ(5, a->Psf().GetAnalogNull(2));
    EXPECT_EQ(4095, a->Psf().GetAnalogSpan(1));
    EXPECT_EQ(Reply('A', 'N', {0x01, 0x2C, 0x0F, 0xFF, 0x00, 0x05, 0x0B, 0xB8}),
              Exchange(Request('A', 'A')));
}

TEST_F(SimCommandTest, DiagnosticsReportBoardsErrorsAndThePartNumberWritten) {
    a->SetBoards(2, 1);
    a->SetChannelError(kEmitter, 2, 10);
    a->SetChannelError(kEmitter, 2, 64);
    a->SetChannelError(kReceiver, 1, 1);
    Bytes emitter = {0, 0, 0, 0, 0, 0,    0x21, 2, 0, 0, 0, 0,
                     0, 0, 0, 0, 0, 0x40, 0,    0, 0, 0, 0, 0x01};
    EXPECT_EQ(Reply('A', 'i', emitter), Exchange(Request('A', 'I')));
    EXPECT_EQ(Reply('A', 'j', {0, 0, 0, 0, 0, 0, 0x21, 1, 0x80, 0, 0, 0, 0, 0, 0, 0}),
              Exchange(Request('A', 'J')));

    // Part number 123456 (0x0001E240) and date code 1107 (0x0453); the bytes add up
    // to 0x017A, so the checksum is 0xFE85.
    const Bytes partFrame = Request('A', 'W', {0x00, 0x01, 0xE2, 0x40, 0x04, 0x53, 0xFE, 0x85});
    ASSERT_EQ(12u, partFrame.size());
    Bytes spoiled = partFrame;
    spoiled[10] ^= 0x01;
    EXPECT_TRUE(Exchange(spoiled).empty());
    EXPECT_EQ(0u, a->PartNumber());
    EXPECT_EQ(Ack('A'), Exchange(partFrame));
    EXPECT_EQ(123456u, a->PartNumber());
    EXPECT_EQ(1107, a->DateCode());
    a->SetBoards(0, 0);
    EXPECT_EQ(Reply('A', 'j', {0x00, 0x01, 0xE2, 0x40, 0x04, 0x53, 0x21, 0}),
              Exchange(Request('A', 'J')));
}

TEST_F(SimCommandTest, BlankingFieldsInAndOut) {
    a->BlankingMap().SetBlanked(0, true);
    a->BlankingMap().SetBlanked(15, true);
    Bytes block(96, 0);
    block[0] = 0x80;
    block[1] = 0x01;
    const Bytes expected = Reply('A', 'd', WithChecksum(block));
    ASSERT_EQ(102u, expected.size());
    EXPECT_EQ(0xFF, expected[99]);
    EXPECT_EQ(0x7E, expected[100]);
    EXPECT_EQ(expected, Exchange(Request('A', 'b')));

    // A 64-channel controller takes the first 8 bytes; the rest of the block is padding.
    Bytes sent(96, 0);
    sent[7] = 0x03;
    sent[8] = 0xFF;
    const Bytes frame = Request('A', 'B', WithChecksum(sent));
    ASSERT_EQ(102u, frame.size());
    Bytes spoiled = frame;
    spoiled[99] ^= 0x10;
    EXPECT_TRUE(Exchange(spoiled).empty());
    EXPECT_TRUE(a->BlankingMap().IsBlanked(0));
    EXPECT_EQ(Ack('A'), Exchange(frame));
    EXPECT_EQ(2, a->BlankingMap().CountBlanked(0));
    EXPECT_TRUE(a->BlankingMap().IsBlanked(62));
    EXPECT_TRUE(a->BlankingMap().IsBlanked(63));
    Bytes back(96, 0);
    back[7] = 0x03;
    EXPECT_EQ(Reply('A', 'd', WithChecksum(back)), Exchange(Request('A', 'b')));
}

TEST_F(SimCommandTest, AlignmentModeScansTheBeamBitmap) {
    a->SetBlocked(0);
    a->SetBlocked(9);
    a->SetBlocked(63);
    a->SetBlocked(20);
    a->BlankingMap().SetBlanked(20, true);  // a blanked beam never shows as blocked
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 'a')));
    EXPECT_TRUE(a->InAlignmentMode());
    const Bytes scan = Exchange(Bytes{0xF8, 'A', 'S'});
    EXPECT_EQ((Bytes{0x1C, 'A', 0x80, 0x40, 0, 0, 0, 0, 0, 0x01, 0x0A}), scan);
    EXPECT_EQ(Ack('A'), Exchange(Request('A', 'x')));
    EXPECT_FALSE(a->InAlignmentMode());
    // Out of alignment mode a scan answers measurement values (none selected: one 0).
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 0x00, 0x0A}), Exchange(Bytes{0xF8, 'A', 'S'}));
    // A scan request with a CR after it is the 3-byte frame and a stray byte.
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 0x00, 0x0A}), Exchange(Request('A', 'S')));
}

TEST_F(SimCommandTest, MeasurementScansAnswerOneOrTwoValues) {
    // Blocked 3..5 and 10 (shown 1-based as 4..6 and 11); channel 10 is blanked later.
    for (int channel : {3, 4, 5, 10}) {
        a->SetBlocked(channel);
    }
    const Bytes scan{0xF8, 'A', 'S'};
    a->Psf().SetMeasMode(1, 'A');  // FBB
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 0x04, 0x0A}), Exchange(scan));
    a->Psf().SetMeasMode(1, 'K');
    a->Psf().SetMeasMode(2, 'C');  // LBB
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 0x0B, 0x0A}), Exchange(scan));
    a->Psf().SetMeasMode(1, 'F');  // TBM, then LBB
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 60, 0x00, 0x0B, 0x0A}), Exchange(scan));
    a->BlankingMap().SetBlanked(10, true);
    EXPECT_EQ((Bytes{0x1C, 'A', 0x00, 60, 0x00, 0x06, 0x0A}), Exchange(scan));
}

TEST_F(SimCommandTest, SuspendAndResumeAreSilentAndReachEveryControllerAtTheRate) {
    CSimController* b = line.AddController('B', 0, 2);
    CSimController* c = line.AddController('C', 1, 2);
    EXPECT_TRUE(Exchange(Request('X', 'V')).empty());
    EXPECT_TRUE(a->IsSuspended());
    EXPECT_TRUE(b->IsSuspended());
    EXPECT_FALSE(c->IsSuspended());
    EXPECT_TRUE(Exchange(Request('B', 'v')).empty());
    EXPECT_TRUE(a->IsSuspended());
    EXPECT_FALSE(b->IsSuspended());
    // A suspended controller still answers its own frames.
    EXPECT_EQ(Reply('A', 'X'), Exchange(Request('A', 'P')));
}

TEST_F(SimCommandTest, FramesForOthersAreSkippedWholeAndNoiseIsPassedOver) {
    line.AddController('B', 0, 2);
    // A blanking frame for B whose payload holds a complete ping for A.
    Bytes payload(96, 0);
    payload[10] = 0xF8;
    payload[11] = 'A';
    payload[12] = 'P';
    payload[13] = 0x0D;
    EXPECT_EQ(Ack('B'), Exchange(Request('B', 'B', WithChecksum(payload))));
    EXPECT_TRUE(a->Received().empty());
    EXPECT_EQ(0u, a->StrayBytes());
    // Stray bytes before a frame, and a frame cut short then left: both passed over.
    Bytes noisy{0x00, 0x55, 0x0A, 0xF8};
    const Bytes ping = Request('A', 'P');
    noisy.insert(noisy.end(), ping.begin(), ping.end());
    EXPECT_EQ(Reply('A', 'X'), Exchange(noisy));
    EXPECT_EQ(4u, a->StrayBytes());  // the noise and the first start byte
    Send({0xF8, 'A', 'B', 0x00});
    DelayMs(30);
    EXPECT_EQ(Reply('A', 'X'), Exchange(ping));
    EXPECT_EQ(8u, a->StrayBytes());
    // A byte after a complete frame starts the next one: a CR after a scan request.
    EXPECT_FALSE(Exchange({0xF8, 'A', 'S', 0x0D}).empty());
    EXPECT_EQ(9u, a->StrayBytes());
}

TEST_F(SimCommandTest, LineHoldsFifteenControllers) {
    for (char id = 'B'; id <= 'O'; ++id) {
        EXPECT_NE(nullptr, line.AddController(id, 0, 2));
    }
    EXPECT_EQ(nullptr, line.AddController('A', 1, 2));
    EXPECT_EQ(15, line.ControllerCount());
    EXPECT_EQ('O', line.Find('O')->Id());
    EXPECT_EQ(nullptr, line.Find('P'));
}

}  // namespace
