// The Alignment command against a simulated controller: the checks before the dialog,
// each failure with its message, the frames in their order, and on every path a
// controller that leaves alignment mode and is resumed. And the scan loop's concurrency:
// Stop reaches the dialog while the loop waits on the line, nothing else starts an
// exchange meanwhile.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include "AlignmentFixture.h"
#include "SimPort.h"
#include "WhenModal.h"
#include "alignment/AlignmentDlg.h"
#include "app/AlignmentSession.h"
#include "serial/IdleHook.h"
#include "settings/PortFactory.h"
#include "widgets/IdlePump.h"

namespace {

class AlignmentSessionTest : public AlignmentFixture {
protected:
    AlignmentSessionTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        owner.setLayout(new QVBoxLayout);
        owner.layout()->addWidget(otherCommand);
        owner.show();
    }

    // Runs the command. The test drives the dialog with steps (CWhen) made before.
    int Run() {
        CWhenModal<CAlignmentDlg> count([this](CAlignmentDlg&) { ++dialogs; });
        session = std::make_unique<CAlignmentSession>(&table, &owner, 0, 'E', 9600);
        const int answer = session->Run();
        session.reset();
        return answer;
    }
    static CAlignmentDlg* Dialog() {
        return qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
    }
    static void Press(const char* button) {
        QTest::mouseClick(Dialog()->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    // The first scan loop has taken its first scan.
    static bool Scanned() { return Dialog() != nullptr && Dialog()->ScanCount() >= 1; }
    // The dialog waits for the operator: no loop runs, no exchange waits.
    static bool OperatorsTurn() {
        return Dialog() != nullptr && Dialog()->Mode() == DialogMode::Idle && !InputHeld();
    }
    // The controller is back where the command found it: resumed, not aligning.
    void ExpectLeftAlone() const {
        EXPECT_FALSE(controller->IsSuspended());
        EXPECT_FALSE(controller->InAlignmentMode());
    }
    void ExpectOnlyMessage(const std::string& text) const {
        EXPECT_EQ(prompts.Texts(), std::vector<std::string>{text});
        if (!prompts.Messages().empty()) {
            EXPECT_EQ(prompts.Messages()[0].owner, &owner);
        }
    }

    CScopedPortFactory factory;
    QWidget owner;
    QPushButton* otherCommand = new QPushButton(QStringLiteral("Other"), &owner);
    std::unique_ptr<CAlignmentSession> session;
    int dialogs = 0;
};

TEST_F(AlignmentSessionTest, OkLeavesAlignmentModeAndResumesTheLine) {
    Blank({6});
    int rows = 0;
    int mapBytes = 0;
    CWhen stop(Scanned, [] { Press("stopButton"); });
    CWhen ok([&] { return stop.Done() && OperatorsTurn(); },
             [&] {
                 rows = Dialog()->findChild<QTableWidget*>("grid")->rowCount();
                 mapBytes = Dialog()->CurrentMap().ByteLength();
                 Press("okButton");
             });
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(mapBytes, 8);
    // Suspend, diagnostics, blanking, alignment mode; the dialog's reconnection; scans;
    // then out of alignment mode and resumed.
    const std::string sent = Commands();
    EXPECT_EQ(sent.substr(0, 10), "VIJbaxvVba");
    EXPECT_EQ(sent.substr(sent.size() - 2), "xv");
    EXPECT_EQ(sent.substr(10, sent.size() - 12), std::string(sent.size() - 12, 'S'));
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {6})));
    EXPECT_TRUE(prompts.Texts().empty());
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, CancelSendsTheInitialBlankingBeforeLeaving) {
    Blank({6});
    CWhen stop(Scanned, [] { Press("stopButton"); });
    CWhen clearAndCancel([&] { return stop.Done() && OperatorsTurn(); },
                         [] {
                             Press("clearBlankingButton");
                             Press("cancelButton");
                         });
    EXPECT_EQ(Run(), 1);
    // Clear and its rescan, Cancel's initial blanking, out of alignment mode, resumed.
    const std::string sent = Commands();
    EXPECT_EQ(sent.substr(sent.size() - 5), "BSBxv");
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {6})));
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, EmitterWithoutBoardsNeverReachesTheDialog) {
    controller->SetBoards(0, 1);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(dialogs, 0);
    ExpectOnlyMessage("Alignment cannot be executed because\nthe device is not Operational.");
    EXPECT_EQ(Commands(), "VIJv");
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, UnreadableEmitterDiagnosticsAbortTheAlignment) {
    controller->AddFault({SimFaultKind::wrongLetter, 1});
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage("Error Reading VARN Emitter Diagnostics.\nAlignment aborted...");
    EXPECT_EQ(Commands(), "VIv");
    EXPECT_EQ(dialogs, 0);
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, UnreadableReceiverDiagnosticsAbortTheAlignment) {
    CWhen spoilReceiver([this] { return Commands() == "VI"; },
                        [this] {
                            controller->AddFault({SimFaultKind::wrongLetter, 1});
                        });
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage("Error Reading VARN Receiver Diagnostics.\nAlignment aborted...");
    EXPECT_EQ(Commands(), "VIJv");
    EXPECT_EQ(dialogs, 0);
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, BlankingThatCannotBeUploadedEndsTheCommand) {
    CWhen silenceUpload([this] { return Commands() == "VIJ"; }, [this] { Silence(1); });
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("Unable to upload blanking fields from controller.");
    EXPECT_EQ(Commands(), "VIJbv");
    EXPECT_EQ(dialogs, 0);
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, RefusedAlignmentModeIsLeftInCaseTheControllerTookIt) {
    // The controller enters alignment mode, but its acknowledgement is spoiled.
    CWhen spoilAck([this] { return Commands() == "VIJb"; },
                   [this] {
                       controller->AddFault({SimFaultKind::wrongLetter, 1});
                   });
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("Unable to enter alignment mode");
    EXPECT_EQ(Commands(), "VIJbaxv");
    EXPECT_EQ(dialogs, 0);
    ExpectLeftAlone();
}

TEST_F(AlignmentSessionTest, AlignmentModeIsLeftAtTheSecondTryAndOnlyTwoFailuresAreTold) {
    // lost: how many of the requests to leave alignment mode go unheard.
    auto runAndLeave = [this](int lost) {
        CWhen stop(Scanned, [] { Press("stopButton"); });
        CWhen ok([&] { return stop.Done() && OperatorsTurn(); },
                 [this, lost] {
                     Silence(lost);
                     Press("okButton");
                 });
        EXPECT_EQ(Run(), 1);
    };
    runAndLeave(1);  // the second request reaches the controller
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(Commands().substr(Commands().size() - 3), "xxv");
    ExpectLeftAlone();

    // Both are lost: the operator is told, and the line is resumed all the same.
    runAndLeave(2);
    ExpectOnlyMessage("Unable to exit alignment mode");
    EXPECT_EQ(Commands().substr(Commands().size() - 3), "xxv");
    EXPECT_FALSE(controller->IsSuspended());
}

TEST_F(AlignmentSessionTest, DialogIsUpAtItsLaidOutSizeBeforeItsFirstExchange) {
    // At every wait on the line while the dialog is shown: whether the window system shows
    // its window yet, and the window's size.
    struct Look {
        bool windowUp;
        QSize size;
    };
    std::vector<Look> looks;
    CScopedIdleHandler watch([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<CAlignmentDlg*>(widget) != nullptr && widget->isVisible()) {
                looks.push_back({widget->windowHandle()->isVisible(), widget->size()});
            }
        }
        CInputHold hold;
        QCoreApplication::processEvents();
        return 0;
    });
    QSize settled;
    QSize minimum;
    CWhen stop(Scanned, [] { Press("stopButton"); });
    CWhen ok([&] { return stop.Done() && OperatorsTurn(); },
             [&] {
                 settled = Dialog()->size();
                 minimum = Dialog()->minimumSizeHint();
                 Press("okButton");
             });
    EXPECT_EQ(Run(), 1);
    ASSERT_FALSE(looks.empty());
    EXPECT_TRUE(looks.front().windowUp);
    EXPECT_EQ(looks.front().size, settled);
    EXPECT_EQ(settled.expandedTo(minimum), settled);
}

TEST_F(AlignmentSessionTest, OnlyStopReachesTheDialogWhileTheLoopWaitsOnTheLine) {
    int otherRuns = 0;
    QObject::connect(otherCommand, &QPushButton::clicked, [&otherRuns] { ++otherRuns; });
    bool waitingOnTheLine = false;
    size_t framesBefore = 0;
    bool stillOpen = false;
    CWhen tryEverything([] { return Dialog() != nullptr && Dialog()->ScanCount() >= 2; },
                        [&] {
                            waitingOnTheLine = session->Link()->Busy();
                            framesBefore = Commands().size();
                            QTest::mouseClick(otherCommand, Qt::LeftButton);
                            for (QPushButton* button : Dialog()->findChildren<QPushButton*>()) {
                                if (button->objectName() != "stopButton") {
                                    QTest::mouseClick(button, Qt::LeftButton);
                                }
                            }
                            QTest::keyClick(Dialog(), Qt::Key_B, Qt::AltModifier);
                            QTest::keyClick(Dialog(), Qt::Key_Escape);
                            Press("stopButton");
                        });
    CWhen ok([&] { return tryEverything.Done() && OperatorsTurn(); },
             [&] {
                 stillOpen = Dialog()->isVisible();
                 Press("okButton");
             });
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(waitingOnTheLine);
    EXPECT_EQ(otherRuns, 0);
    // After the clicks: the scan in progress, then OK's exit and the resume.
    const std::string after = Commands().substr(framesBefore);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after, std::string(after.size() - 2, 'S') + "xv");
    EXPECT_LE(after.size(), 3u);
    EXPECT_TRUE(prompts.Texts().empty());
    ExpectLeftAlone();
}

}  // namespace
