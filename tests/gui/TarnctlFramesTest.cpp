// tarnctl and the program's own sessions put the same frames on the line: the same line
// of simulated controllers is given the same operation once through the GUI, driven
// through its widgets, and once through tarnctl, and every controller must have heard
// the same frames byte for byte.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "AlignmentFixture.h"
#include "ScriptedPrompts.h"
#include "TarnctlRun.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "alignment/AlignmentDlg.h"
#include "app/AlignmentSession.h"
#include "app/EditPsfSession.h"
#include "app/PartNumberDlg.h"
#include "app/PartNumberSession.h"
#include "psf/PsfDlg.h"
#include "records/Psf.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/DateCode.h"

namespace {

using Frames = std::vector<std::vector<unsigned char>>;

// What the controller heard. The program suspends and resumes the controllers its search
// found one by one; tarnctl, which knows none but the one addressed, broadcasts them at
// every rate. Either reaches every controller, so the suspend's and resume's addressee is
// left out.
Frames FramesOf(const CSimController& controller) {
    Frames frames;
    for (const SimReceivedFrame& frame : controller.Received()) {
        frames.push_back(frame.bytes);
        if (frame.bytes[2] == 'V' || frame.bytes[2] == 'v') {
            frames.back()[1] = '*';
        }
    }
    return frames;
}

void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

class TarnctlFramesTest : public ::testing::Test {
protected:
    // Two controllers that a search found; C at 19200 is selected.
    static void Populate(CSimLine& line, ControllerTable& table) {
        line.AddController('A', 0);
        line.AddController('C', 1);
        table[0] = {'C', 1, 'X', 0};
        table[1][0] = 'X';
        table[3][1] = 'X';
    }
    // Runs the GUI's session on a line of its own; answers what each controller heard.
    std::vector<Frames> ThroughTheProgram(const std::function<void(ControllerTable&)>& run) {
        CScopedVirtualClock clock;
        CSimLine line;
        const CScopedPortFactory factory(
            [&](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
                return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
            });
        ControllerTable table{};
        Populate(line, table);
        run(table);
        return {FramesOf(*line.Find('A')), FramesOf(*line.Find('C'))};
    }
    std::vector<Frames> ThroughTarnctl(const std::vector<std::string>& words) {
        CTarnctlLine ctl;
        ControllerTable unused{};
        Populate(ctl.line, unused);
        const CtlRun run = ctl.Run(words);
        EXPECT_EQ(run.status, 0) << run.err;
        return {FramesOf(*ctl.line.Find('A')), FramesOf(*ctl.line.Find('C'))};
    }

    CScriptedPrompts prompts;
    CTempFolder folder;
    QWidget owner;
};

TEST_F(TarnctlFramesTest, PsfPutSendsWhatRetrieveAndSendPsfSend) {
    CPsf file;
    file.SetControllerId('K');
    file.SetMeasMode(1, 'D');
    file.SetReserved(0x1234);
    ASSERT_TRUE(file.SaveToFile(folder.File("line.PSF")));
    const auto program = ThroughTheProgram([&](ControllerTable& table) {
        prompts.ScriptFiles({folder.File("line.PSF")});
        const CWhenModal<CPsfDlg> driver([](CPsfDlg& dialog) {
            Click(dialog, "retrieveButton");
            Click(dialog, "sendButton");
            Click(dialog, "quitButton");
        });
        CEditPsfSession session(&table, &owner, 0, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
    });
    const auto ctl = ThroughTarnctl({"psf", "put", "C@19200", folder.File("line.PSF")});
    EXPECT_EQ(ctl, program);
    EXPECT_EQ(ctl[0].size(), 2u);  // suspend, resume
    EXPECT_EQ(ctl[1].size(), 4u);  // suspend, upload, send, resume
}

TEST_F(TarnctlFramesTest, PartNumberSendsWhatTheDialogSends) {
    CTempSettings settings;
    settings.Write("[PartNumbers]\nFirst=000123\n");
    const CScopedToday today{{2011, 44}};
    const auto program = ThroughTheProgram([&](ControllerTable& table) {
        const CWhenModal<CPartNumberDlg> driver(
            [](CPartNumberDlg& dialog) { Click(dialog, "okButton"); });
        CPartNumberSession session(&table, &owner, 1, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
    });
    const auto ctl = ThroughTarnctl({"part-number", "C@19200", "000123"});
    EXPECT_EQ(ctl, program);
    EXPECT_EQ(ctl[0].size(), 2u);
    EXPECT_EQ(ctl[1].size(), 3u);
}

// The blanking half of a restore against the alignment command's Read From File. The
// alignment dialog scans all the while and reconnects once as it opens; those frames
// are its own and are left out of the comparison.
TEST_F(TarnctlFramesTest, BlankingPutSendsWhatReadFromFileSends) {
    CBlankingMap map(64);
    map.SetBlanked(9, true);
    ASSERT_EQ(SaveBlankingFile(folder.File("c.bfs"), map), "");
    auto program = ThroughTheProgram([&](ControllerTable& table) {
        prompts.ScriptFiles({folder.File("c.bfs")});
        const CWhen read(
            [] {
                auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
                return dialog != nullptr && dialog->ScanCount() >= 1;
            },
            [] {
                auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
                Click(*dialog, "stopButton");
            });
        const CWhen ok(
            [&] {
                auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
                return read.Done() && dialog != nullptr && dialog->Mode() == DialogMode::Idle;
            },
            [] {
                auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
                Click(*dialog, "readFromFileButton");
                Click(*dialog, "okButton");
            });
        CAlignmentSession session(&table, &owner, 0, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
    });
    Frames& heard = program[1];
    std::erase_if(heard, [](const auto& frame) { return frame[2] == 'S'; });
    ASSERT_GE(heard.size(), 10u);
    heard.erase(heard.begin() + 5, heard.begin() + 10);  // the dialog's reconnection
    const auto ctl = ThroughTarnctl({"blanking", "put", "C@19200", folder.File("c.bfs")});
    EXPECT_EQ(ctl[1], heard);
    Frames& other = program[0];
    ASSERT_EQ(other.size(), 4u);
    other.erase(other.begin() + 1, other.begin() + 3);  // the reconnection's resume, suspend
    EXPECT_EQ(ctl[0], other);
}

}  // namespace
