// The command sequences that the GUI and tarnctl share, against simulated controllers:
// the bracket, Send PSF with its ID check and move, the alignment opening and closing,
// a BFS file sent to a smaller controller, and the checks of a typed part number.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "protocol/ControllerLink.h"
#include "records/Psf.h"
#include "sequences/AlignmentSequences.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/PartNumberWrite.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"

namespace {

class CommandSequencesTest : public SimTest {
protected:
    CommandSequencesTest() {
        table[0] = {'C', 1, 'X', 0};
        table[3][1] = 'X';
        table[1][0] = 'X';
    }
    std::string Letters(const CSimController& controller) const {
        std::string letters;
        for (const SimReceivedFrame& frame : controller.Received()) {
            letters += static_cast<char>(frame.bytes[2]);
        }
        return letters;
    }
    TellFunction Recorder() {
        return [this](const char* text) { told.emplace_back(text); };
    }

    CSimController* a = line.AddController('A', 0);
    CSimController* c = line.AddController('C', 1);
    CControllerLink link{std::make_unique<CSimPort>(line, *clock, 19200, 'E'), 'C'};
    ControllerTable table{};
    std::vector<std::string> told;
};

// Known or not, every controller on the line is held: by the table's entries, or by the
// broadcast at every rate, which also reaches one the table lacks.
TEST_F(CommandSequencesTest, LineHoldSuspendsEveryControllerAndResumesOnAnyExit) {
    CSimController* f = line.AddController('F', 2);
    for (const LineKnown known : {LineKnown::kFromTable, LineKnown::kNo}) {
        {
            const CLineHold hold(link, table, known, PortFlush::kDiscard);
            EXPECT_TRUE(a->IsSuspended());
            EXPECT_TRUE(c->IsSuspended());
            EXPECT_EQ(f->IsSuspended(), known == LineKnown::kNo);
        }
        EXPECT_FALSE(a->IsSuspended());
        EXPECT_FALSE(c->IsSuspended());
        EXPECT_FALSE(f->IsSuspended());
        EXPECT_EQ(link.GetBaudIndex(), 1);
    }
}

TEST_F(CommandSequencesTest, SendPsfRefusesAnIdThatAnotherControllerAnswersTo) {
    line.AddController('D', 1);
    CPsf psf;
    psf.SetControllerId('D');
    psf.SetBaudIndex(1);
    EXPECT_EQ(SendPsf(link, table, psf), PsfSendResult::kRefused);
    EXPECT_EQ(Letters(*c), "");
    EXPECT_EQ(table[0][0], 'C');
    EXPECT_EQ(IdTakenText('C', 'D'),
              "The id for controller 'C' cannot be changed to id 'D' because a contoller "
              "already exists with the new id. You must select a unique id.");
}

// The new ID is looked for at the new rate as well as at the current one: a controller
// moved onto another's ID and rate would be lost behind it. 57600 is refused before
// anything goes on the line: the port cannot follow the controller there.
TEST_F(CommandSequencesTest, SendPsfRefusesAPlaceTakenAtEitherRateAndAnUnreachableRate) {
    line.AddController('F', 2);
    line.AddController('D', 1);
    const struct {
        char id;
        int baud;
        const char* refusal;  // "" when sent
    } cases[] = {
        {'F', 2, "changed to id 'F'"},  // F answers at 38400 only
        {'C', 2, ""},                   // C moves to 38400, where no C answers
        {'F', 1, ""},                   // F@19200 is free: F answers at 38400 only
        {'A', 0, "changed to id 'A'"},  // A answers at 9600, the current rate is 19200
        {'D', 2, "changed to id 'D'"},  // D answers at the current rate
        {'C', 3, "57600 baud"},
    };
    for (const auto& wanted : cases) {
        SCOPED_TRACE(std::string(1, wanted.id) + std::to_string(wanted.baud));
        CControllerLink from{std::make_unique<CSimPort>(line, *clock, 19200, 'E'), 'C'};
        ControllerTable at = table;
        CPsf psf;
        psf.SetControllerId(wanted.id);
        psf.SetBaudIndex(wanted.baud);
        std::string refusal;
        std::vector<size_t> heard;
        for (int i = 0; i < line.ControllerCount(); ++i) {
            heard.push_back(line.Controller(i).Received().size());
        }
        const PsfSendResult result = SendPsf(from, at, psf, &refusal);
        EXPECT_EQ(result, *wanted.refusal ? PsfSendResult::kRefused : PsfSendResult::kAccepted);
        EXPECT_NE(refusal.find(wanted.refusal), std::string::npos) << refusal;
        EXPECT_EQ(from.GetBaudIndex(), *wanted.refusal ? 1 : wanted.baud);
        if (wanted.baud == 3) {
            for (int i = 0; i < line.ControllerCount(); ++i) {
                EXPECT_EQ(line.Controller(i).Received().size(), heard[static_cast<size_t>(i)]);
            }
        }
        if (result == PsfSendResult::kAccepted) {  // back to C@19200 for the next case
            psf.SetControllerId('C');
            psf.SetBaudIndex(1);
            ASSERT_EQ(SendPsf(from, at, psf), PsfSendResult::kAccepted);
        }
    }
    EXPECT_EQ(PsfRateRefusal(CPsf()), "");
}

TEST_F(CommandSequencesTest, SendPsfFollowsTheControllerToItsNewIdAndRate) {
    CPsf psf;
    psf.SetControllerId('E');
    psf.SetBaudIndex(2);
    ASSERT_EQ(SendPsf(link, table, psf), PsfSendResult::kAccepted);
    EXPECT_EQ(table[0][0], 'E');
    EXPECT_EQ(table[0][1], 2);
    EXPECT_EQ(table[3][1], 0);
    EXPECT_EQ(table[5][2], 'X');
    EXPECT_EQ(link.Id(), 'E');
    CPsf read;
    EXPECT_EQ(link.InputPsf(read), 1);  // reached at its new ID and rate
    EXPECT_EQ(read.GetControllerId(), 'E');
}

TEST_F(CommandSequencesTest, SendPsfThatIsNotAcknowledgedLeavesTableAndLinkAlone) {
    c->AddFault({SimFaultKind::wrongLetter});
    CPsf psf;
    psf.SetControllerId('C');
    psf.SetBaudIndex(1);
    EXPECT_EQ(SendPsf(link, table, psf), PsfSendResult::kNotAccepted);
    EXPECT_EQ(table[0][0], 'C');
    EXPECT_EQ(link.GetBaudIndex(), 1);
}

TEST_F(CommandSequencesTest, AlignmentModeRefusedIsLeftAnywayAndTold) {
    c->AddFault({SimFaultKind::wrongEnd});  // the blanking reply
    CBlankingMap map(64);
    EXPECT_EQ(OpenAlignment(link, map, Recorder()), 0);
    EXPECT_EQ(told, std::vector<std::string>{kBlankingUploadFailed});
    c->WatchFrames([](CSimController& controller, const std::vector<unsigned char>& frame) {
        if (frame[2] == 'a') {
            controller.AddFault({SimFaultKind::wrongEnd});
        }
    });
    EXPECT_EQ(OpenAlignment(link, map, Recorder()), 0);
    EXPECT_EQ(told.back(), kEnterAlignmentFailed);
    EXPECT_EQ(Letters(*c), "bbax");
    EXPECT_FALSE(c->InAlignmentMode());
}

TEST_F(CommandSequencesTest, ExitNotAcknowledgedIsSentOnceMoreAndToldOnlyWhenBothFail) {
    ASSERT_EQ(link.EnterAlignmentMode(), 1);
    c->AddFault({SimFaultKind::silence});
    EXPECT_EQ(CloseAlignment(link, Recorder()), 1);
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(c->InAlignmentMode());

    ASSERT_EQ(link.EnterAlignmentMode(), 1);
    c->AddFault({SimFaultKind::silence, 2});
    EXPECT_EQ(CloseAlignment(link, Recorder()), 0);
    EXPECT_EQ(told, std::vector<std::string>{kExitAlignmentFailed});
}

TEST_F(CommandSequencesTest, FileBlankingChannelsBeyondTheControllerIsRefusedOrDropped) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "sequences_test_700.bfs").string();
    CBlankingMap wide(kMaxChannels);
    wide.Bytes()[0] = 0x80;
    wide.Bytes()[700 / 8] = 0x08;
    ASSERT_EQ(SaveBlankingFile(path, wide), "");
    CBlankingMap sent;
    EXPECT_EQ(SendBlankingFile(link, path, 64, ChannelsBeyond::kRefuse, Recorder(), sent), 0);
    EXPECT_EQ(Letters(*c), "");
    EXPECT_EQ(SendBlankingFile(link, path, 64, ChannelsBeyond::kWarnAndDrop, Recorder(), sent), 1);
    EXPECT_EQ(told, (std::vector<std::string>{ChannelsBeyondRefusal(64), kChannelsBeyondWarning}));
    EXPECT_EQ(sent.Channels(), 64);
    EXPECT_EQ(c->BlankingMap().Bytes()[0], 0x80);
    std::remove(path.c_str());
}

TEST(PartNumberChecks, OnlySixDecimalDigitsAndAWeekOfTheYearPass) {
    EXPECT_EQ(PartNumberRefusal("000123"), "");
    EXPECT_EQ(PartNumberRefusal(""),
              "No part number is selected.\nPart Number and Date Code were not set.");
    EXPECT_EQ(PartNumberRefusal("12345"),
              "Part number '12345' must be six characters.\nPart Number and Date Code were not "
              "set.");
    EXPECT_EQ(PartNumberRefusal("12AB56"),
              "Part number '12AB56' is not a decimal number.\nPart Number and Date Code were "
              "not set.");
    EXPECT_EQ(DateCodeRefusal("1107"), "");
    EXPECT_EQ(DateCodeRefusal("2653"), "");
    for (const char* bad : {"1100", "1154", "110", "11077", "11a7", ""}) {
        EXPECT_NE(DateCodeRefusal(bad), "") << bad;
    }
}

}  // namespace
