// The Ping command against simulated controllers: the search notice, the grid of what the
// search found, choosing a controller with the mouse or the keyboard, the refusal of an
// empty cell, Update and Cancel, and the rate every later command opens the port at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/MainFrame.h"
#include "app/PartNumberDlg.h"
#include "app/PingDlg.h"
#include "app/PingSession.h"
#include "app/SearchNoticeDlg.h"
#include "app/TarnApp.h"

namespace {

using Rows = std::vector<std::string>;

constexpr char kNoticeText[] =
    "Please wait while the program searches for connected controllers.\n\n"
    "This operation lasts approximately 20 seconds.";

// Watches every paint of a search notice: its parent, its text, and how many bursts the
// program had put on the line by then.
class CNoticeSpy : public QObject {
public:
    struct Paint {
        QWidget* parent;
        std::string text;
        size_t burstsBefore;
    };

    explicit CNoticeSpy(const CSimLine& line) : line(line) { qApp->installEventFilter(this); }
    ~CNoticeSpy() override { qApp->removeEventFilter(this); }

    const std::vector<Paint>& Paints() const { return paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* notice = qobject_cast<CSearchNoticeDlg*>(watched);
        if (notice != nullptr && event->type() == QEvent::Paint) {
            paints.push_back({notice->parentWidget(),
                              notice->findChild<QLabel*>("noticeText")->text().toStdString(),
                              line.HostBursts().size()});
        }
        return false;
    }

private:
    const CSimLine& line;
    std::vector<Paint> paints;
};

class PingTest : public ::testing::Test {
protected:
    PingTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              openedRates.push_back(baud);
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {}

    // Runs the Ping command on the test's table; act sees the Ping dialog and closes it.
    void RunPing(const std::function<void(CPingDlg&)>& act) {
        const CWhenModal<CPingDlg> driver(act);
        CPingSession session(&table, &owner, 1, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
        EXPECT_EQ(driver.Count(), 1);
    }

    static QTableWidget* Grid(const CPingDlg& dialog) {
        return dialog.findChild<QTableWidget*>("grid");
    }
    // The grid's row 0 and the rows of the controllers given, cells joined by '|'.
    static Rows Shown(const CPingDlg& dialog, const std::string& ids) {
        const QTableWidget* grid = Grid(dialog);
        auto text = [](const QTableWidgetItem* item) {
            return item != nullptr ? item->text().toStdString() : std::string();
        };
        std::string headers = "PING";
        for (int c = 0; c < grid->columnCount(); ++c) {
            headers.append("|").append(text(grid->horizontalHeaderItem(c)));
        }
        Rows rows{headers};
        for (char id : ids) {
            const int r = id - 'A';
            std::string row = text(grid->verticalHeaderItem(r));
            for (int c = 0; c < grid->columnCount(); ++c) {
                row.append("|").append(text(grid->item(r, c)));
            }
            rows.push_back(row);
        }
        return rows;
    }
    // Clicks the cell of controller id at baud index.
    static void Click(const CPingDlg& dialog, char id, int baudIndex) {
        QTableWidget* grid = Grid(dialog);
        const QRect cell = grid->visualRect(grid->model()->index(id - 'A', baudIndex));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void ClickButton(const CPingDlg& dialog, const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    // The broadcast suspend frames the program put on the line.
    unsigned BroadcastSuspends() const {
        unsigned count = 0;
        for (const SimBurst& burst : line.HostBursts()) {
            count += burst.bytes == std::vector<unsigned char>{0xF8, 'X', 'V', 0x0D} ? 1 : 0;
        }
        return count;
    }

    CScopedVirtualClock clock;
    CSimLine line;
    std::vector<long> openedRates;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    ControllerTable table{};
    QWidget owner;
};

TEST_F(PingTest, NoticeIsPaintedBeforeTheSearchAndGoneWhenTheResultsShow) {
    line.AddController('B', 0);
    const CNoticeSpy spy(line);
    bool noticeLeft = true;
    RunPing([&](CPingDlg& dialog) {
        noticeLeft = dialog.parentWidget()->findChild<CSearchNoticeDlg*>() != nullptr;
        dialog.reject();
    });
    ASSERT_FALSE(spy.Paints().empty());
    const CNoticeSpy::Paint& first = spy.Paints()[0];
    EXPECT_EQ(first.parent, &owner);
    EXPECT_EQ(first.text, kNoticeText);
    EXPECT_EQ(first.burstsBefore, 0u);
    EXPECT_FALSE(noticeLeft);
}

TEST_F(PingTest, ControllersFoundAtTwoRatesShowInTwoCellsOfTheirRow) {
    // Two controllers share ID B, at 9600 and at 38400; D answers at 19200.
    line.AddController('B', 0);
    line.AddController('B', 2);
    line.AddController('D', 1);
    table[0] = {'D', 1, 'X', 0};  // the previous selection is forgotten
    Rows shown;
    RunPing([&](CPingDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "TALVEN VARN 2.1 with Blanking -- Ping");
        shown = Shown(dialog, "ABDO");
        dialog.reject();
    });
    EXPECT_EQ(shown, (Rows{"PING|9600|19200|38400", "A|||", "B|X||X", "D||X|", "O|||"}));
    ControllerTable expected{};
    expected[2] = {'X', 0, 'X', 0};
    expected[4] = {0, 'X', 0, 0};
    EXPECT_EQ(table, expected);
    // The session opened at the old selection's rate.
    EXPECT_EQ(openedRates, std::vector<long>{19200});
}

TEST_F(PingTest, EnterOrSpaceOnTheCurrentCellChoosesIt) {
    line.AddController('B', 0);
    line.AddController('B', 2);
    RunPing([](CPingDlg& dialog) {
        QTableWidget* grid = Grid(dialog);
        grid->setFocus();
        grid->setCurrentCell(0, 0);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
    });
    EXPECT_EQ(table[0], (std::array<int32_t, 4>{'B', 0, 'X', 0}));

    RunPing([](CPingDlg& dialog) {
        QTableWidget* grid = Grid(dialog);
        grid->setFocus();
        grid->setCurrentCell(1, 0);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Space);
    });
    EXPECT_EQ(table[0], (std::array<int32_t, 4>{'B', 2, 'X', 0}));
}

TEST_F(PingTest, EmptyCellsAndHeadersChooseNothing) {
    line.AddController('B', 0);
    bool stillOpen = false;
    const QWidget* shown = nullptr;
    RunPing([&](CPingDlg& dialog) {
        shown = &dialog;
        Click(dialog, 'A', 0);
        QHeaderView* rates = Grid(dialog)->horizontalHeader();
        QTest::mouseClick(rates->viewport(), Qt::LeftButton, {},
                          QPoint(rates->sectionViewportPosition(1) + 4, rates->height() / 2));
        QHeaderView* ids = Grid(dialog)->verticalHeader();
        QTest::mouseClick(ids->viewport(), Qt::LeftButton, {},
                          QPoint(ids->width() / 2, ids->sectionViewportPosition(1) + 4));
        stillOpen = dialog.isVisible();
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const auto& message = prompts.Messages()[0];
    EXPECT_EQ(message.text, "You must select an active controller.");
    EXPECT_EQ(message.icon, PromptIcon::kExclamation);
    EXPECT_EQ(message.buttons, PromptButtons::kOk);
    EXPECT_EQ(message.owner, shown);
    EXPECT_EQ(table[0], (std::array<int32_t, 4>{}));
}

TEST_F(PingTest, UpdateSearchesAgainWithoutSuspendingAndCancelLeavesNoSelection) {
    line.AddController('B', 0);
    table[0] = {'B', 0, 'X', 0};
    const CNoticeSpy spy(line);
    Rows before;
    Rows after;
    RunPing([&](CPingDlg& dialog) {
        before = Shown(dialog, "BE");
        line.AddController('E', 1);
        const size_t paints = spy.Paints().size();
        ClickButton(dialog, "updateButton");
        // The notice of the repeated search belongs to the dialog.
        EXPECT_GT(spy.Paints().size(), paints);
        EXPECT_EQ(spy.Paints().back().parent, &dialog);
        after = Shown(dialog, "BE");
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_EQ(before, (Rows{"PING|9600|19200|38400", "B|X||", "E|||"}));
    EXPECT_EQ(after, (Rows{"PING|9600|19200|38400", "B|X||", "E||X|"}));
    EXPECT_EQ(BroadcastSuspends(), 3u);  // once per rate, before the first search only
    EXPECT_EQ(table[0], (std::array<int32_t, 4>{}));
    EXPECT_EQ(table[5][1], 'X');
}

TEST_F(PingTest, PortThatCannotBeOpenedKeepsTheTableAndShowsNoNotice) {
    CRecordedLine failing(*clock);
    failing.SetOpenStatus(kPortNotFound);
    const CNoticeSpy spy(line);
    table[0] = {'B', 0, 'X', 0};
    table[2][0] = 'X';
    const ControllerTable before = table;
    CPingSession session(&table, &owner, 1, 'E', 9600);
    EXPECT_EQ(session.Run(), 0);
    EXPECT_EQ(table, before);
    EXPECT_TRUE(spy.Paints().empty());
    EXPECT_EQ(prompts.Messages().size(), 1u);
    ASSERT_EQ(failing.Opened().size(), 1u);
    EXPECT_TRUE(failing.Opened()[0].written.empty());
}

// Through the main window: F5's choice enables the controller commands, and the next
// command opens the port at the chosen controller's rate.
TEST_F(PingTest, LaterCommandsOpenThePortAtTheChosenRate) {
    line.AddController('C', 1);
    CTempSettings settings;
    settings.Write("[PartNumbers]\nFirst=000123\n");
    CTarnApp app;
    app.SetSplashMs(0);
    app.InitInstance();
    CMainFrame& frame = *app.MainFrame();
    {
        const CWhenModal<CPingDlg> choose([](CPingDlg& dialog) { Click(dialog, 'C', 1); });
        frame.CommandAction(kCmdPing)->trigger();
    }
    EXPECT_EQ(frame.Table()[0], (std::array<int32_t, 4>{'C', 1, 'X', 0}));
    EXPECT_TRUE(frame.CommandAction(kCmdDiagnostics)->isEnabled());
    EXPECT_TRUE(frame.CommandAction(kCmdPartNumber)->isEnabled());
    {
        const CWhenModal<CPartNumberDlg> cancel([](CPartNumberDlg& dialog) { dialog.reject(); });
        frame.CommandAction(kCmdPartNumber)->trigger();
    }
    EXPECT_EQ(openedRates, (std::vector<long>{9600, 19200}));
}

}  // namespace
