// The line monitor against simulated controllers: it lists exactly the frames the
// controllers heard, with the verdict each fault of the line deserves; Pause, Clear, Copy
// and Save As through its buttons; and its list can be scrolled while the search waits on
// the line, while input to every other window is still held back.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AlignmentFixture.h"
#include "BeamMeasures.h"
#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "Watchdog.h"
#include "WhenModal.h"
#include "app/LineLog.h"
#include "app/LineMonitorWnd.h"
#include "app/MainFrame.h"
#include "app/PingDlg.h"
#include "app/TarnApp.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "protocol/LineWords.h"
#include "protocol/ScanReply.h"
#include "records/Psf.h"
#include "settings/PortFactory.h"
#include "widgets/IdlePump.h"

namespace {

class LineMonitorTest : public ::testing::Test {
protected:
    LineMonitorTest() : controller(line.AddController('C', 0)) {}

    std::unique_ptr<CControllerLink> Link() {
        return std::make_unique<CControllerLink>(
            std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'C');
    }
    std::vector<std::string> Column(int column) const {
        monitor->Log().Flush();
        std::vector<std::string> cells;
        for (int row = 0; row < monitor->Log().rowCount(); ++row) {
            cells.push_back(monitor->Log().CellText(row, column).toStdString());
        }
        return cells;
    }
    void Press(const char* name) {
        QTest::mouseClick(monitor->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CSimController* controller;
    CScriptedPrompts prompts;
    std::unique_ptr<CLineMonitorWnd> monitor = std::make_unique<CLineMonitorWnd>(nullptr);
};

TEST_F(LineMonitorTest, ListsTheFramesTheControllerHeardWithTheVerdictOfEachFault) {
    const auto link = Link();
    CPsf psf;
    EXPECT_EQ(link->Ping('C'), kFoundMarker);
    EXPECT_EQ(link->Ping('D'), 0);
    const SimFaultKind faults[] = {SimFaultKind::silence,    SimFaultKind::corruptChecksum,
                                   SimFaultKind::shortReply, SimFaultKind::wrongEnd,
                                   SimFaultKind::wrongId,    SimFaultKind::wrongLetter,
                                   SimFaultKind::noise,      SimFaultKind::lateReply};
    for (const SimFaultKind kind : faults) {
        SimFault fault;
        fault.kind = kind;
        fault.count = 3;
        fault.delayMs = 2000;
        fault.bytes = {0x55, 0x66};
        controller->AddFault(fault);
        EXPECT_EQ(link->InputPsf(psf), 0);
        // The rest of a spoilt or late reply is gone before the next case.
        clock->Advance(3000);
        link->FlushInput();
    }
    EXPECT_EQ(link->InputPsf(psf), 1);
    EXPECT_EQ(link->SuspendAll(0), 1);

    EXPECT_EQ(
        Column(CLineLog::kVerdict),
        (std::vector<std::string>{
            "answered", "no answer within the limit", "no answer within the limit",
            "checksum wrong", "short, 43 of 46 bytes", "out of step, line drained",
            "wrong ID or letter in the reply", "wrong ID or letter in the reply",
            "out of step, line drained", "no answer within the limit", "answered",
            "sent, no reply expected", "sent, no reply expected", "sent, no reply expected"}));
    EXPECT_EQ(Column(CLineLog::kWords)[1], "Ping D");
    EXPECT_EQ(Column(CLineLog::kWords)[2], "Upload PSF from C");
    EXPECT_EQ(Column(CLineLog::kWords)[13], "Suspend all (broadcast)");
    EXPECT_EQ(Column(CLineLog::kBaud)[13], "38400");
    // Every frame addressed to C is a row with its exact bytes; so are the broadcasts.
    std::vector<std::string> heard;
    for (const SimReceivedFrame& frame : controller->Received()) {
        heard.push_back(HexBytes(frame.bytes.data(), frame.bytes.size()));
    }
    std::vector<std::string> listed = Column(CLineLog::kRequest);
    EXPECT_EQ(std::vector<std::string>(listed.end() - 3, listed.end()),
              std::vector<std::string>(3, "F8 58 56 0D"));
    listed.resize(listed.size() - 3);
    listed.erase(listed.begin() + 1);  // the ping of D, which C does not take as its own
    EXPECT_EQ(listed, heard);
    EXPECT_EQ(Column(CLineLog::kRequest)[0], "F8 43 50 0D");
    EXPECT_EQ(Column(CLineLog::kReply)[0], "1C 43 58 0A");
}

// The monitor calls a diagnostics or measurement scan reply "answered" exactly when the
// command took it, whatever fault spoilt it: its verdict is the command's own check.
TEST_F(LineMonitorTest, AnswersADiagnosticsOrScanReplyExactlyWhenTheCommandTakesIt) {
    const auto link = Link();
    ASSERT_TRUE(controller->SetBoards(1, 1));
    controller->Psf().SetMeasMode(1, kTotalBlocked);
    const std::pair<const char*, std::function<int()>> commands[] = {
        {"emitter diagnostics",
         [&] {
             CDiagnostics diagnostics;
             return link->InputDiagnostics(diagnostics, kEmitterSide);
         }},
        {"receiver diagnostics",
         [&] {
             CDiagnostics diagnostics;
             return link->InputDiagnostics(diagnostics, kReceiverSide);
         }},
        {"measurement scan",
         [&] {
             CMeasurementScan scan(1);
             return link->InputScan(scan);
         }},
    };
    const std::pair<const char*, std::optional<SimFaultKind>> faults[] = {
        {"none", std::nullopt},
        {"wrong letter", SimFaultKind::wrongLetter},
        {"wrong ID", SimFaultKind::wrongId},
        {"wrong end", SimFaultKind::wrongEnd},
        {"short", SimFaultKind::shortReply},
        {"first byte", SimFaultKind::corruptByte},
        {"extra bytes", SimFaultKind::extraBytes},
        {"noise", SimFaultKind::noise},
    };
    for (const auto& [command, run] : commands) {
        for (const auto& [name, kind] : faults) {
            SCOPED_TRACE(std::string(command) + ", fault: " + name);
            if (kind) {
                SimFault fault;
                fault.kind = *kind;
                fault.offset = 0;
                fault.bytes = {0x55, 0x66};
                controller->AddFault(fault);
            }
            const int took = run();
            const std::string verdict = Column(CLineLog::kVerdict).back();
            EXPECT_EQ(verdict == "answered", took != 0) << verdict;
            clock->Advance(3000);
            link->FlushInput();
            controller->ClearFaults();
        }
    }
}

TEST_F(LineMonitorTest, PauseHoldsNewRowsBackClearCopyAndSaveWorkThroughTheButtons) {
    const auto link = Link();
    link->Ping('C');
    monitor->Log().Flush();
    Press("pause");
    EXPECT_EQ(monitor->findChild<QPushButton*>("pause")->text(), "&Resume");
    link->Ping('A');
    monitor->Log().Flush();
    EXPECT_EQ(monitor->Log().rowCount(), 1);
    Press("pause");
    EXPECT_EQ(monitor->findChild<QPushButton*>("pause")->text(), "&Pause");
    ASSERT_EQ(monitor->Log().rowCount(), 2);
    EXPECT_EQ(monitor->Log().CellText(1, CLineLog::kWords), "Ping A");

    monitor->View().selectRow(1);
    Press("copy");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "Time (ms)\tBaud\tRequest\tIn words\tReply\tVerdict\n" +
                  monitor->Log().CellText(1, CLineLog::kTime).toStdString() +
                  "\t9600\tF8 41 50 0D\tPing A\t\tno answer within the limit\n");

    const QTemporaryDir folder;
    const std::string csv = folder.filePath(QStringLiteral("line.csv")).toStdString();
    prompts.ScriptFiles({csv});
    Press("saveAs");
    QFile saved(QString::fromStdString(csv));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Time (ms),Baud,Request,In words,Reply,Verdict");
    EXPECT_TRUE(lines[1].endsWith(",9600,F8 43 50 0D,Ping C,1C 43 58 0A,answered"));
    EXPECT_TRUE(lines[2].endsWith(",Ping A,,no answer within the limit"));

    Press("clear");
    EXPECT_EQ(monitor->Log().rowCount(), 0);
}

// Following and paused: a pause keeps the list as it was while the newest exchanges wait,
// up to as many as the list holds; at its end the list holds the last of them.
TEST_F(LineMonitorTest, KeepsTheLastTwentyThousandExchanges) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "following");
        monitor->Log().Clear();
        const auto link = Link();
        link->Suspend('A', 0);
        monitor->Log().Flush();
        monitor->Log().SetPaused(paused);
        link->Suspend('C', 0);
        for (size_t i = 1; i < kLineLogCapacity; ++i) {
            link->Suspend('B', 0);
        }
        link->Suspend('D', 0);
        monitor->Log().Flush();
        if (paused) {
            ASSERT_EQ(monitor->Log().rowCount(), 1);
            EXPECT_EQ(monitor->Log().CellText(0, CLineLog::kWords), "Suspend A");
            monitor->Log().SetPaused(false);
        }
        ASSERT_EQ(static_cast<size_t>(monitor->Log().rowCount()), kLineLogCapacity);
        EXPECT_EQ(monitor->Log().CellText(0, CLineLog::kWords), "Suspend B");
        EXPECT_EQ(monitor->Log().CellText(monitor->Log().rowCount() - 1, CLineLog::kWords),
                  "Suspend D");
    }
}

// A full list drops its oldest rows as new ones come; a reader scrolled up goes on seeing
// the same rows at the top instead of text sliding by.
TEST_F(LineMonitorTest, AReaderScrolledUpKeepsTheRowsReadWhileAFullListDropsTheOldest) {
    const auto link = Link();
    monitor->show();
    const auto exchanges = [&](size_t count) {
        for (size_t i = 0; i < count; ++i) {
            clock->Advance(1);
            link->Suspend('B', 0);
        }
        monitor->Log().Flush();
        QCoreApplication::processEvents();
    };
    exchanges(kLineLogCapacity);
    QTableView& view = monitor->View();
    view.scrollTo(monitor->Log().index(5000, 0), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    const QString read = monitor->Log().CellText(view.rowAt(0), CLineLog::kTime);
    exchanges(300);
    EXPECT_EQ(monitor->Log().CellText(view.rowAt(0), CLineLog::kTime), read);
    // At the bottom it follows the newest row again.
    view.scrollToBottom();
    QCoreApplication::processEvents();
    exchanges(10);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

// Save As while a command holds the line: a beep, and the status line says why.
TEST_F(LineMonitorTest, SaveAsOnABusyLineSaysWhyItWaits) {
    {
        const CInputHold busy;
        Press("saveAs");
    }
    EXPECT_EQ(prompts.Beeps(), 1);
    EXPECT_TRUE(prompts.FileDialogs().empty());
    EXPECT_NE(monitor->findChild<QLabel*>("status")->text().toStdString().find("quiet line"),
              std::string::npos);
}

// While the search waits on the line, the monitor's list scrolls; a click on another
// window is held back as before.
TEST_F(LineMonitorTest, ScrollsDuringTheSearchWhileOtherWindowsStayHeld) {
    const CScopedPortFactory factory([this](int portNumber, long baud, char parity) {
        return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
    });
    CTempSettings settings;
    CTarnApp app;
    app.SetSplashMs(0);
    app.InitInstance();
    CMainFrame& frame = *app.MainFrame();
    monitor.reset();
    QAction* open = frame.CommandAction(kCmdLineMonitor);
    EXPECT_EQ(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    open->trigger();
    QPushButton other(QStringLiteral("Other window"));
    other.show();
    int otherClicks = 0;
    QObject::connect(&other, &QPushButton::clicked, [&otherClicks] { ++otherClicks; });
    auto* window = frame.findChild<CLineMonitorWnd*>("lineMonitor");
    ASSERT_NE(window, nullptr);
    QScrollBar* bar = window->View().verticalScrollBar();

    int barBefore = -1;
    int barAfter = -1;
    const CWhen scroll(
        [&] {
            window->Log().Flush();
            return InputHeld() && window->Log().rowCount() > 40;
        },
        [&] {
            barBefore = bar->value();
            QTest::mouseClick(&other, Qt::LeftButton);
            const QPoint at = window->View().viewport()->rect().center();
            QWheelEvent wheel(at, window->View().viewport()->mapToGlobal(at), {}, {0, 120},
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(window->View().viewport(), &wheel);
            barAfter = bar->value();
        });
    int pingDialogs = 0;
    const CWhenModal<CPingDlg> close([&](CPingDlg& dialog) {
        ++pingDialogs;
        dialog.reject();
    });
    frame.CommandAction(kCmdPing)->trigger();

    ASSERT_TRUE(scroll.Done());
    EXPECT_LT(barAfter, barBefore);
    EXPECT_EQ(pingDialogs, 1);
    EXPECT_EQ(otherClicks, 0);
    // Suspend broadcasts, 45 pings, resume broadcasts: every frame of the command is listed.
    window->Log().Flush();
    EXPECT_EQ(window->Log().rowCount(), 3 + 45 + 1 + 3);
}

// A modal dialog, such as a scan loop's, does not keep the operator from the monitor.
TEST_F(LineMonitorTest, StaysOpenToInputWhileAModalDialogRuns) {
    monitor->show();
    QDialog modal;
    bool blockedDuringDialog = true;
    QTimer::singleShot(0, &modal, [&] {
        QCoreApplication::processEvents();
        blockedDuringDialog = monitor->Blocked();
        modal.accept();
    });
    modal.exec();
    EXPECT_FALSE(blockedDuringDialog);
    EXPECT_FALSE(monitor->Blocked());
}

// Save As in the monitor while another modal dialog runs (a diagnostics window, say): the
// monitor's own file dialog, answered with Esc or with a name and Enter, closes without
// hanging the program, and the monitor goes back to its owner when the dialog ends.
TEST_F(LineMonitorTest, SaveAsWhileAModalDialogRunsEndsAndTheMonitorReturnsToItsOwner) {
    InstallPrompts(nullptr);  // the Qt file dialog, driven through its widgets
    monitor.reset();
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line.txt"));
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save ? "name and Enter" : "Esc");
        QWidget owner;
        owner.show();
        auto* window = new CLineMonitorWnd(&owner);
        window->show();
        Link()->Ping('C');
        const CWhenModal<QFileDialog> answer([&](QFileDialog& dialog) {
            if (save) {
                dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
                QTest::keyClick(&dialog, Qt::Key_Return);
            } else {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }
        });
        {
            QDialog modal(&owner);
            QTimer::singleShot(0, &modal, [&] {
                QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("saveAs")),
                                  Qt::LeftButton);
                modal.accept();
            });
            const CWatchdog watchdog(std::chrono::seconds(30), "Save As in the line monitor");
            modal.exec();
        }
        EXPECT_EQ(answer.Count(), 1);
        EXPECT_EQ(QFile::exists(path), save);
        EXPECT_EQ(window->windowHandle()->transientParent(), owner.windowHandle());
    }
}

}  // namespace
