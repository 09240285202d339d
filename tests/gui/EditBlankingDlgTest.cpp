// The manual blanking editor over a simulated controller: the check-box grid and its row
// headers, Select All, Blank Selected and Clear Selected on the operator's selection, and
// what OK and Cancel send.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "alignment/EditBlankingDlg.h"
#include "protocol/ControllerLink.h"
#include "serial/Clock.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Rows = std::vector<std::string>;

// The map of channels with the given channels blanked.
CBlankingMap MapOf(int channels, std::initializer_list<int> blanked) {
    CBlankingMap map(channels);
    for (int channel : blanked) {
        map.SetBlanked(channel, true);
    }
    return map;
}

class EditBlankingDlgTest : public ::testing::Test {
protected:
    EditBlankingDlgTest()
        : controller(line.AddController('A', 0)),
          link(std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'A') {}

    // Opens the editor on map, shown as the operator sees it.
    void Open(const CBlankingMap& map) {
        dialog = std::make_unique<CEditBlankingDlg>(&link, map, nullptr);
        table = dialog->findChild<QTableWidget*>("grid");
        dialog->show();
    }
    void Click(const char* button) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QPoint CellCentre(int column, int row) const {
        return table->visualRect(table->model()->index(row - 1, column - 1)).center();
    }
    void ClickCell(int column, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, CellCentre(column, row));
    }
    // Drags a selection from one cell to another, as the operator does with Shift.
    void SelectBlock(int firstColumn, int firstRow, int lastColumn, int lastRow) {
        // Clicking the cells themselves would toggle their boxes: select from the keyboard.
        table->setFocus();
        table->setCurrentCell(firstRow - 1, firstColumn - 1);
        for (int c = firstColumn; c < lastColumn; ++c) {
            QTest::keyClick(table, Qt::Key_Right, Qt::ShiftModifier);
        }
        for (int r = firstRow; r < lastRow; ++r) {
            QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
        }
    }
    // The check boxes row by row, '1' checked and '.' clear.
    Rows Boxes() const {
        Rows rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < table->columnCount(); ++c) {
                line += table->item(r, c)->checkState() == Qt::Checked ? '1' : '.';
            }
            rows.push_back(line);
        }
        return rows;
    }
    Rows RowHeaders() const {
        Rows headers;
        for (int r = 0; r < table->rowCount(); ++r) {
            headers.push_back(table->verticalHeaderItem(r)->text().toStdString());
        }
        return headers;
    }
    // The frames the controller got, each as its bytes.
    std::vector<Bytes> Frames() const {
        std::vector<Bytes> frames;
        for (const SimReceivedFrame& frame : controller->Received()) {
            frames.push_back(frame.bytes);
        }
        return frames;
    }
    // The frame that sends map: 0xF8, ID, 'B', its 98-byte block, CR.
    static Bytes OutputFrame(const CBlankingMap& map) {
        Bytes frame{0xF8, 'A', 'B'};
        frame.resize(3 + kBlankingBlockSize);
        map.WriteBlock(frame.data() + 3);
        frame.push_back(0x0D);
        return frame;
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller;
    CControllerLink link;
    CScriptedPrompts prompts;
    std::unique_ptr<CEditBlankingDlg> dialog;
    QTableWidget* table = nullptr;
};

TEST_F(EditBlankingDlgTest, ShowsEveryChannelAsACheckBoxSixteenToARow) {
    Open(MapOf(64, {17, 63}));
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Edit Channel Blanking State");
    EXPECT_TRUE(dialog->findChild<QLabel*>("currentChannel")->text().isEmpty());
    EXPECT_EQ(table->columnCount(), 16);
    EXPECT_EQ(RowHeaders(), (Rows{"1-16", "17-32", "33-48", "49-64"}));
    // Channel 17 (shown as 18) is the box in column 2 of row 2.
    EXPECT_EQ(Boxes(), (Rows{"................", ".1..............", "................",
                             "...............1"}));

    Open(CBlankingMap(768));
    EXPECT_EQ(RowHeaders().size(), 48u);
    EXPECT_EQ(RowHeaders().back(), "753-768");
}

TEST_F(EditBlankingDlgTest, OkWithoutAChangeSendsNothing) {
    Open(MapOf(64, {17}));
    ClickCell(5, 3);
    ClickCell(5, 3);  // checked and unchecked again
    Click("okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(dialog->Map().IsEqual(MapOf(64, {17})));
}

TEST_F(EditBlankingDlgTest, OkSendsTheEditedMapAndKeepsIt) {
    Open(MapOf(64, {17}));
    ClickCell(2, 2);   // channel 17 cleared
    ClickCell(16, 4);  // channel 63 blanked
    ClickCell(1, 1);   // channel 0 blanked
    Click("okButton");
    const CBlankingMap edited = MapOf(64, {0, 63});
    EXPECT_EQ(Frames(), std::vector<Bytes>{OutputFrame(edited)});
    EXPECT_TRUE(controller->BlankingMap().IsEqual(edited));
    EXPECT_TRUE(dialog->Map().IsEqual(edited));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(EditBlankingDlgTest, CancelSendsNothingWhateverWasEdited) {
    Open(CBlankingMap(64));
    Click("selectAllButton");
    Click("blankSelectedButton");
    Click("cancelButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    Open(CBlankingMap(64));
    ClickCell(3, 3);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(Frames().empty());
}

TEST_F(EditBlankingDlgTest, EnterPressesTheFocusedButtonAndOkElsewhere) {
    auto enterOn = [this](QWidget* widget) {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Return);
    };
    Open(CBlankingMap(64));
    ClickCell(3, 3);
    enterOn(dialog->findChild<QPushButton*>("cancelButton"));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(Frames().empty());

    Open(CBlankingMap(64));
    enterOn(dialog->findChild<QPushButton*>("selectAllButton"));
    EXPECT_EQ(table->selectionModel()->selectedIndexes().size(), 64);
    enterOn(dialog->findChild<QPushButton*>("blankSelectedButton"));
    EXPECT_EQ(Boxes(), Rows(4, "1111111111111111"));
    enterOn(dialog->findChild<QPushButton*>("clearSelectedButton"));
    EXPECT_EQ(Boxes(), Rows(4, "................"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Frames().empty());

    // Enter in the grid is OK.
    ClickCell(2, 1);
    enterOn(table);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Frames(), std::vector<Bytes>{OutputFrame(MapOf(64, {1}))});
}

TEST_F(EditBlankingDlgTest, SelectAllThenBlankOrClearCoversEveryChannel) {
    Open(MapOf(128, {5, 100}));
    Click("selectAllButton");
    EXPECT_EQ(table->selectionModel()->selectedIndexes().size(), 128);
    Click("blankSelectedButton");
    EXPECT_EQ(Boxes(), Rows(8, "1111111111111111"));
    Click("clearSelectedButton");
    EXPECT_EQ(Boxes(), Rows(8, "................"));
    EXPECT_EQ(RowHeaders()[7], "113-128");
    EXPECT_EQ(prompts.Beeps(), 0);
}

TEST_F(EditBlankingDlgTest, SelectedBlocksChangeExactlyTheirCells) {
    Open(CBlankingMap(64));
    Click("selectAllButton");
    Click("blankSelectedButton");
    SelectBlock(3, 1, 5, 3);
    Click("clearSelectedButton");
    EXPECT_EQ(Boxes(), (Rows{"11...11111111111", "11...11111111111", "11...11111111111",
                             "1111111111111111"}));

    // Two blocks at once: a single cell added to the selection.
    SelectBlock(1, 4, 2, 4);
    table->selectionModel()->select(table->model()->index(0, 15), QItemSelectionModel::Select);
    Click("clearSelectedButton");
    EXPECT_EQ(Boxes(), (Rows{"11...1111111111.", "11...11111111111", "11...11111111111",
                             "..11111111111111"}));
}

TEST_F(EditBlankingDlgTest, RowSelectedByItsHeaderIsWrittenFromColumnOneAndKeepsItsHeader) {
    Open(CBlankingMap(64));
    QHeaderView* rows = table->verticalHeader();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      QPoint(5, rows->sectionViewportPosition(1) + 5));
    Click("blankSelectedButton");
    EXPECT_EQ(Boxes(), (Rows{"................", "1111111111111111", "................",
                             "................"}));
    EXPECT_EQ(RowHeaders(), (Rows{"1-16", "17-32", "33-48", "49-64"}));
    Click("okButton");
    EXPECT_TRUE(controller->BlankingMap().IsEqual(
        MapOf(64, {16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31})));
}

TEST_F(EditBlankingDlgTest, BlankOrClearWithoutSelectionOnlyBeeps) {
    Open(MapOf(64, {40}));
    table->clearSelection();
    Click("blankSelectedButton");
    Click("clearSelectedButton");
    EXPECT_EQ(prompts.Beeps(), 2);
    EXPECT_EQ(Boxes()[2], "........1.......");
}

TEST_F(EditBlankingDlgTest, RefusedDownloadKeepsTheDialogOpenWithTheEdits) {
    Open(CBlankingMap(64));
    ClickCell(4, 2);
    controller->AddFault(SimFault{SimFaultKind::silence});
    Click("okButton");
    EXPECT_EQ(prompts.Texts(),
              std::vector<std::string>{"Unable to download blanking fields to controller."});
    EXPECT_EQ(prompts.Messages()[0].owner, dialog.get());
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Boxes()[1], "...1............");
    EXPECT_EQ(controller->BlankingMap().CountBlanked(0), 0);

    // The operator tries again and the controller now takes it.
    Click("okButton");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(controller->BlankingMap().IsEqual(MapOf(64, {19})));
}

}  // namespace
