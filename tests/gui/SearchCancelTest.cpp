// Cancel of the controller search: at the suspend, in the middle of the search and at
// its last ping, and in the search that Update repeats. Every controller ends resumed and
// the Ping grid shows what was found up to then, saying so when the search ended early;
// the notice says what is being asked and how far the search is.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>
#include <set>
#include <string>

#include "AlignmentFixture.h"
#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/PingDlg.h"
#include "app/PingSession.h"
#include "app/SearchNoticeDlg.h"
#include "settings/PortFactory.h"
#include "widgets/IdlePump.h"

namespace {

class SearchCancelTest : public ::testing::Test {
protected:
    SearchCancelTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        line.AddController('A', 0);
        line.AddController('F', 1);
        line.AddController('K', 2);
    }

    // The grid's marked cells as "F@1", and whether it says the search was incomplete.
    struct Grid {
        std::set<std::string> found;
        bool incomplete = false;
    };
    static Grid Read(const CPingDlg& dialog) {
        Grid shown;
        const auto* grid = dialog.findChild<QTableWidget*>("grid");
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                if (!grid->item(row, column)->text().isEmpty()) {
                    shown.found.insert(std::string(1, static_cast<char>('A' + row)) + "@" +
                                       std::to_string(column));
                }
            }
        }
        shown.incomplete = !dialog.findChild<QLabel*>("incompleteText")->isHidden();
        return shown;
    }
    // True while the notice, over owner when given, shows step and the search waits on
    // the line.
    static bool NoticeAt(int step, const QWidget* owner = nullptr) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* notice = qobject_cast<CSearchNoticeDlg*>(widget);
            if (notice != nullptr && notice->isVisible() && InputHeld() &&
                notice->Progress() == step &&
                (owner == nullptr || notice->parentWidget() == owner)) {
                return true;
            }
        }
        return false;
    }
    // Runs Ping; cancel() runs once the notice's progress reaches step while the search
    // waits on the line. Answers the grid's marked cells as "F@1".
    std::set<std::string> RunAndCancelAt(int step, const std::function<void()>& cancel) {
        CWhen when([step] { return NoticeAt(step); }, cancel);
        Grid shown;
        const CWhenModal<CPingDlg> read([&shown](CPingDlg& dialog) {
            shown = Read(dialog);
            dialog.reject();
        });
        CPingSession session(&table, &owner, 1, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
        EXPECT_TRUE(when.Done());
        for (int i = 0; i < line.ControllerCount(); ++i) {
            EXPECT_FALSE(line.Controller(i).IsSuspended()) << line.Controller(i).Id();
        }
        // Only a search ended before its last ping is incomplete.
        EXPECT_EQ(shown.incomplete, step < kSearchSteps);
        return shown.found;
    }
    static QWidget* Visible() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<CSearchNoticeDlg*>(widget) != nullptr && widget->isVisible()) {
                return widget;
            }
        }
        return nullptr;
    }
    static void PressEsc() { QTest::keyClick(Visible(), Qt::Key_Escape); }
    static void ClickCancel() {
        QTest::mouseClick(Visible()->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    ControllerTable table{};
    QWidget owner;
};

TEST_F(SearchCancelTest, EscDuringTheSuspendEndsTheSearchBeforeTheFirstPing) {
    EXPECT_EQ(RunAndCancelAt(0, PressEsc), std::set<std::string>{});
    for (int i = 0; i < line.ControllerCount(); ++i) {
        for (const SimReceivedFrame& frame : line.Controller(i).Received()) {
            EXPECT_NE(frame.bytes[2], 'P');
        }
    }
}

TEST_F(SearchCancelTest, CancelInTheMiddleEndsAfterTheCurrentPingAndKeepsWhatWasFound) {
    std::string asking;
    // Step 21: E at 19200 is being asked; F at 19200 is the next ID.
    EXPECT_EQ(RunAndCancelAt(
                  21,
                  [&asking] {
                      asking = Visible()->findChild<QLabel*>("askingText")->text().toStdString();
                      ClickCancel();
                  }),
              std::set<std::string>{"A@0"});
    EXPECT_EQ(asking, "Asking E at 19200 baud");
    EXPECT_EQ(table[0][0], 0);
}

TEST_F(SearchCancelTest, EscAtTheLastPingLeavesTheWholeSearch) {
    EXPECT_EQ(RunAndCancelAt(kSearchSteps, PressEsc), (std::set<std::string>{"A@0", "F@1", "K@2"}));
}

// Update searches again behind the same notice: its bar moves with the pings, and Esc ends
// the repeated search as it ends the first.
TEST_F(SearchCancelTest, EscDuringUpdateEndsTheRepeatedSearchWhereTheNoticeStood) {
    Grid before;
    Grid after;
    bool reached = false;
    const CWhenModal<CPingDlg> update([&](CPingDlg& dialog) {
        before = Read(dialog);
        const CWhen esc([&dialog] { return NoticeAt(21, &dialog); }, PressEsc);
        QTest::mouseClick(dialog.findChild<QPushButton*>("updateButton"), Qt::LeftButton);
        reached = esc.Done();
        after = Read(dialog);
        dialog.reject();
    });
    CPingSession session(&table, &owner, 1, 'E', 9600);
    EXPECT_EQ(session.Run(), 1);
    EXPECT_TRUE(reached);
    EXPECT_EQ(before.found, (std::set<std::string>{"A@0", "F@1", "K@2"}));
    EXPECT_FALSE(before.incomplete);
    EXPECT_EQ(after.found, std::set<std::string>{"A@0"});
    EXPECT_TRUE(after.incomplete);
    for (int i = 0; i < line.ControllerCount(); ++i) {
        EXPECT_FALSE(line.Controller(i).IsSuspended()) << line.Controller(i).Id();
    }
}

}  // namespace
