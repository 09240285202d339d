// The Diagnostics command against a simulated controller: what the dialog shows for the
// emitter's and the receiver's replies, Refresh, the read failures, and the suspension
// of the line around it all.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "alignment/DiagnosticsDlg.h"
#include "app/DiagnosticsSession.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

namespace {

using Rows = std::vector<std::string>;

class DiagnosticsDlgTest : public ::testing::Test {
protected:
    DiagnosticsDlgTest()
        : controller(line.AddController('A', 0)),
          factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        table[0] = {'A', 0, 'X', 0};
        table[1][0] = 'X';
    }

    // The letters of the frames the controller got, in order.
    std::string Commands() const {
        std::string letters;
        for (const SimReceivedFrame& frame : controller->Received()) {
            letters += static_cast<char>(frame.bytes[2]);
        }
        return letters;
    }

    // Runs the command; while its dialog is open, inspect sees it, then Exit closes it.
    int RunCommand(const std::function<void(CDiagnosticsDlg&)>& inspect) {
        std::function<void()> poll = [&] {
            auto* dialog = qobject_cast<CDiagnosticsDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QTimer::singleShot(0, poll);  // the dialog is not open yet
                return;
            }
            inspect(*dialog);
            QTest::mouseClick(Button(*dialog, "exitButton"), Qt::LeftButton);
        };
        QTimer::singleShot(0, poll);
        CDiagnosticsSession session(&table, &owner, 0, 'E', 9600);
        return session.Run();
    }

    static QPushButton* Button(const CDiagnosticsDlg& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(name);
    }
    static std::string Field(const CDiagnosticsDlg& dialog, const char* name) {
        return dialog.findChild<QLabel*>(name)->text().toStdString();
    }
    // Appends a cell's text to a row, after '|' unless it is the first.
    static void AddCell(std::string& row, int column, const QTableWidgetItem* item) {
        if (column > 0) {
            row += '|';
        }
        if (item != nullptr) {
            row += item->text().toStdString();
        }
    }
    // Every grid row as its cells joined by '|'; row 0 holds the headers.
    static Rows Grid(const CDiagnosticsDlg& dialog) {
        const auto* grid = dialog.findChild<QTableWidget*>("grid");
        Rows rows;
        std::string headers;
        for (int c = 0; c < grid->columnCount(); ++c) {
            AddCell(headers, c, grid->horizontalHeaderItem(c));
        }
        rows.push_back(headers);
        for (int r = 0; r < grid->rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < grid->columnCount(); ++c) {
                AddCell(line, c, grid->item(r, c));
            }
            rows.push_back(line);
        }
        return rows;
    }
    // Rows from..to of the grid (row 0 the headers).
    static Rows GridRows(const CDiagnosticsDlg& dialog, int from, int to) {
        const Rows all = Grid(dialog);
        return Rows(all.begin() + from, all.begin() + to + 1);
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller;
    CScopedPortFactory factory;
    ControllerTable table{};
    QWidget owner;
    CScriptedPrompts prompts;
};

TEST_F(DiagnosticsDlgTest, ShowsBothSidesWhileTheLineIsSuspendedAndResumesAfterExit) {
    controller->SetBoards(2, 2);
    controller->SetPartNumber(4051234, 423);
    controller->SetVersion(0x1F);
    controller->SetChannelError(kReceiver, 2, 5);
    controller->SetChannelError(kReceiver, 2, 9);  // only a board's first error is shown
    bool suspendedMeanwhile = false;
    std::string title;
    Rows rows;
    std::vector<std::string> fields;
    const int answer = RunCommand([&](CDiagnosticsDlg& dialog) {
        suspendedMeanwhile = controller->IsSuspended();
        title = dialog.windowTitle().toStdString();
        rows = GridRows(dialog, 0, 6);
        for (const char* name : {"systemState", "emitterBoards", "receiverBoards", "partNumber",
                                 "version", "dateCode"}) {
            fields.push_back(Field(dialog, name));
        }
        EXPECT_TRUE(Button(dialog, "refreshButton")->isDefault());
    });
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(title, "TALVEN VARN 2.1 with Blanking -- Diagnostics");
    EXPECT_EQ(rows, (Rows{"Board|Num Channels|Type|State", "1|64|E|No Errors", "2|64|E|No Errors",
                          "|||", "1|64|R|No Errors", "2|64|R|Error: Channel 5", "|||"}));
    EXPECT_EQ(fields,
              (std::vector<std::string>{"Receiver Error(s)", "2", "2", "4051234", "1.15", "0423"}));
    EXPECT_TRUE(suspendedMeanwhile);
    EXPECT_FALSE(controller->IsSuspended());
    EXPECT_EQ(Commands(), "VIJv");
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(DiagnosticsDlgTest, SideWithoutBoardsMeansTheSensorIsNotResponding) {
    controller->SetBoards(0, 1);
    Rows rows;
    std::vector<std::string> fields;
    EXPECT_EQ(RunCommand([&](CDiagnosticsDlg& dialog) {
                  rows = GridRows(dialog, 1, 3);
                  fields = {Field(dialog, "systemState"), Field(dialog, "emitterBoards"),
                            Field(dialog, "receiverBoards")};
              }),
              1);
    EXPECT_EQ(rows, (Rows{"|||", "1|64|R|No Errors", "|||"}));
    EXPECT_EQ(fields,
              (std::vector<std::string>{"Sensor Not Responding", "No Response From Emitter", "1"}));

    controller->SetBoards(1, 0);
    EXPECT_EQ(RunCommand([&](CDiagnosticsDlg& dialog) {
                  fields = {Field(dialog, "systemState"), Field(dialog, "receiverBoards")};
              }),
              1);
    EXPECT_EQ(fields,
              (std::vector<std::string>{"Sensor Not Responding", "No Response From Receiver"}));
}

TEST_F(DiagnosticsDlgTest, GridCoversTwelveBoardsOnEachSide) {
    controller->SetBoards(12, 12);
    Rows rows;
    RunCommand([&](CDiagnosticsDlg& dialog) { rows = Grid(dialog); });
    ASSERT_GE(rows.size(), 26u);
    EXPECT_EQ(rows[12], "12|64|E|No Errors");
    EXPECT_EQ(rows[13], "|||");
    EXPECT_EQ(rows[25], "12|64|R|No Errors");
}

TEST_F(DiagnosticsDlgTest, RefreshAfterTheControllerLostBoardsLeavesNoStaleRow) {
    controller->SetBoards(3, 3);
    CDiagnosticsSession session(&table, &owner, 0, 'E', 9600);
    ASSERT_EQ(session.OpenConnection(), 1);
    ASSERT_EQ(session.ReadBothDiagnostics(), 1);
    CDiagnosticsDlg dialog(&owner, &session);
    dialog.show();
    EXPECT_EQ(GridRows(dialog, 7, 7), Rows{"3|64|R|No Errors"});

    controller->SetBoards(1, 1);
    controller->SetChannelError(kEmitter, 1, 64);
    QTest::mouseClick(Button(dialog, "refreshButton"), Qt::LeftButton);
    EXPECT_EQ(GridRows(dialog, 0, 8),
              (Rows{"Board|Num Channels|Type|State", "1|64|E|Error: Channel 64", "|||",
                    "1|64|R|No Errors", "|||", "|||", "|||", "|||", "|||"}));
    EXPECT_EQ(Field(dialog, "systemState"), "Emitter Error(s)");
    EXPECT_EQ(Field(dialog, "emitterBoards"), "1");
    EXPECT_TRUE(prompts.Texts().empty());
}

TEST_F(DiagnosticsDlgTest, EnterOnExitClosesAndElsewhereRefreshes) {
    CDiagnosticsSession session(&table, &owner, 0, 'E', 9600);
    ASSERT_EQ(session.OpenConnection(), 1);
    ASSERT_EQ(session.ReadBothDiagnostics(), 1);
    CDiagnosticsDlg dialog(&owner, &session);
    dialog.show();
    auto* grid = dialog.findChild<QTableWidget*>("grid");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(Commands(), "IJIJ");
    EXPECT_TRUE(dialog.isVisible());

    QPushButton* exit = Button(dialog, "exitButton");
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Commands(), "IJIJ");
}

TEST_F(DiagnosticsDlgTest, RefreshThatCannotReadTellsAndShowsWhatTheRecordsHold) {
    controller->SetBoards(2, 2);
    CDiagnosticsSession session(&table, &owner, 0, 'E', 9600);
    ASSERT_EQ(session.OpenConnection(), 1);
    ASSERT_EQ(session.ReadBothDiagnostics(), 1);
    CDiagnosticsDlg dialog(&owner, &session);
    dialog.show();

    // The emitter's reply now ends wrongly: its record is marked unread, the receiver's
    // is not asked again and keeps its two boards.
    controller->AddFault(SimFault{SimFaultKind::wrongEnd});
    QTest::mouseClick(Button(dialog, "refreshButton"), Qt::LeftButton);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Error Reading VARN Emitter Diagnostics."});
    EXPECT_EQ(prompts.Messages()[0].owner, &owner);
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_EQ(Field(dialog, "systemState"), "Unknown Error(s)");
    EXPECT_EQ(GridRows(dialog, 4, 5), (Rows{"1|64|R|No Errors", "2|64|R|No Errors"}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DiagnosticsDlgTest, UnreadableDiagnosticsShowNoDialogAndResumeTheLine) {
    // The emitter's reply letter is spoiled: the receiver is never asked.
    controller->AddFault(SimFault{SimFaultKind::corruptByte, 1, 0, 2});
    CDiagnosticsSession emitterSession(&table, &owner, 0, 'E', 9600);
    EXPECT_EQ(emitterSession.Run(), 0);
    EXPECT_EQ(Commands(), "VIv");

    // The receiver's two-board reply loses its end byte; the emitter's one-board reply
    // is too short to be touched.
    controller->SetBoards(1, 2);
    controller->AddFault(SimFault{SimFaultKind::corruptByte, kUntilCleared, 0, 27});
    CDiagnosticsSession receiverSession(&table, &owner, 0, 'E', 9600);
    EXPECT_EQ(receiverSession.Run(), 0);
    EXPECT_EQ(Commands(), "VIvVIJv");

    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::string>{"Error Reading VARN Emitter Diagnostics.",
                                        "Error Reading VARN Receiver Diagnostics."}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(controller->IsSuspended());
}

}  // namespace
