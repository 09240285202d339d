// The grid as the dialogs drive it: headers in row 0 and column 0, blocks, tab-separated
// text, check boxes, the operator's selection, and picking a cell by mouse or keyboard.

#include <gtest/gtest.h>

#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include "widgets/SpreadSheet.h"

namespace {

using Cell = std::pair<int, int>;  // column, row

class SpreadSheetTest : public ::testing::Test {
protected:
    SpreadSheetTest() : table(new QTableWidget(4, 16, &dialog)), grid(table) {
        dialog.setLayout(new QVBoxLayout);
        dialog.layout()->addWidget(table);
        dialog.layout()->addWidget(okButton);
        okButton->setDefault(true);
        dialog.resize(900, 400);
        dialog.show();
    }

    // Every data cell's text, row by row.
    std::vector<std::string> Texts() const {
        std::vector<std::string> rows;
        for (int r = 1; r <= grid.GetMaxRows(); ++r) {
            std::string line;
            for (int c = 1; c <= grid.GetMaxCols(); ++c) {
                if (c > 1) {
                    line += '|';
                }
                line += grid.GetCellText(c, r).toStdString();
            }
            rows.push_back(line);
        }
        return rows;
    }
    QPoint CellCentre(int column, int row) const {
        return table->visualRect(table->model()->index(row - 1, column - 1)).center();
    }
    void MakeCheckBoxes() {
        grid.SetBlockMode(true);
        grid.SetRow(1);
        grid.SetCol(1);
        grid.SetRow2(grid.GetMaxRows());
        grid.SetCol2(16);
        grid.SetCellType(CSpreadSheet::kCellTypeCheckBox);
        grid.SetTypeCheckCenter(true);
        grid.SetBlockMode(false);
    }
    std::vector<Cell> Picks(const QSignalSpy& spy) const {
        std::vector<Cell> picks;
        for (const QList<QVariant>& args : spy) {
            picks.emplace_back(args[0].toInt(), args[1].toInt());
        }
        return picks;
    }

    QDialog dialog;
    QTableWidget* table;
    CSpreadSheet grid;
    QPushButton* okButton = new QPushButton(QStringLiteral("OK"), &dialog);
};

TEST_F(SpreadSheetTest, HeadersAreRowAndColumnZero) {
    grid.SetCellText(0, 0, QStringLiteral("PING"));
    grid.SetCellText(1, 0, QStringLiteral("9600"));
    grid.SetCellText(0, 1, QStringLiteral("A"));
    grid.SetCellText(3, 2, QStringLiteral("X"));
    EXPECT_EQ(grid.GetCellText(0, 0).toStdString(), "PING");
    EXPECT_EQ(grid.GetCellText(1, 0).toStdString(), "9600");
    EXPECT_EQ(table->horizontalHeaderItem(0)->text().toStdString(), "9600");
    EXPECT_EQ(table->verticalHeaderItem(0)->text().toStdString(), "A");
    EXPECT_EQ(table->item(1, 2)->text().toStdString(), "X");
    EXPECT_EQ(grid.GetCellText(3, 2).toStdString(), "X");
    // Outside the grid: nothing is written, nothing read.
    grid.SetCellText(17, 1, QStringLiteral("lost"));
    grid.SetCellText(1, 5, QStringLiteral("lost"));
    EXPECT_EQ(grid.GetCellText(17, 1).toStdString(), "");
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->columnCount(), 16);
}

TEST_F(SpreadSheetTest, CurrentCellAndBlockAreTheTargetsOfText) {
    grid.SetCol(2);
    grid.SetRow(3);
    grid.SetText(QStringLiteral("7"));
    EXPECT_EQ(grid.GetText().toStdString(), "7");
    EXPECT_EQ(grid.GetCellText(2, 3).toStdString(), "7");

    grid.SetMaxRows(3);
    grid.SetBlockMode(true);
    grid.SetCol(2);
    grid.SetRow(1);
    grid.SetCol2(3);
    grid.SetRow2(2);
    grid.SetText(QStringLiteral("B"));
    grid.SetBlockMode(false);
    std::vector<std::string> expected(3, "|||||||||||||||");
    expected[0] = "|B|B|||||||||||||";
    expected[1] = "|B|B|||||||||||||";
    expected[2] = "|7||||||||||||||";
    EXPECT_EQ(Texts(), expected);

    // An empty text clears the whole block.
    grid.SetBlockMode(true);
    grid.SetCol(1);
    grid.SetRow(1);
    grid.SetCol2(grid.GetMaxCols());
    grid.SetRow2(grid.GetMaxRows());
    grid.SetText(QString());
    grid.SetBlockMode(false);
    EXPECT_EQ(Texts(), std::vector<std::string>(3, "|||||||||||||||"));
}

TEST_F(SpreadSheetTest, ClipTextFillsTabSeparatedCellsInsideTheBlock) {
    grid.SetBlockMode(true);
    grid.SetCol(1);
    grid.SetRow(2);
    grid.SetCol2(4);
    grid.SetRow2(2);
    grid.SetClip(QStringLiteral("1\t64\tE\tNo Errors\textra\r\n2\t64\tE\tlost"));
    grid.SetBlockMode(false);
    EXPECT_EQ(Texts()[1], "1|64|E|No Errors||||||||||||");
    EXPECT_EQ(Texts()[0], "|||||||||||||||");
    EXPECT_EQ(Texts()[2], "|||||||||||||||");
}

TEST_F(SpreadSheetTest, CheckBoxCellsReadAndWriteOneAndZero) {
    MakeCheckBoxes();
    grid.SetCellText(2, 2, QStringLiteral("1"));
    grid.SetCellText(3, 2, QStringLiteral("0"));
    EXPECT_EQ(grid.GetCellText(2, 2).toStdString(), "1");
    EXPECT_EQ(grid.GetCellText(3, 2).toStdString(), "0");
    EXPECT_EQ(grid.GetCellText(1, 1).toStdString(), "0");
    EXPECT_EQ(table->item(1, 1)->checkState(), Qt::Checked);

    // The operator clicks the centred box of another cell.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellCentre(5, 4));
    EXPECT_EQ(grid.GetCellText(5, 4).toStdString(), "1");
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellCentre(5, 4));
    EXPECT_EQ(grid.GetCellText(5, 4).toStdString(), "0");
}

TEST_F(SpreadSheetTest, SelectAllSelectsEveryDataCellAsOneBlock) {
    grid.SetBlockMode(true);
    grid.SetSelection(1, 1, grid.GetMaxRows(), 16);
    grid.SetAction(CSpreadSheet::kActionSelectBlock);
    grid.SetBlockMode(false);
    EXPECT_EQ(table->selectionModel()->selectedIndexes().size(), 4 * 16);

    grid.SetAction(CSpreadSheet::kActionReadSelection);
    ASSERT_EQ(grid.GetSelCount(), 1);
    grid.SetSelModeIndex(0);
    grid.SetBlockMode(true);
    grid.SetText(QStringLiteral("S"));
    grid.SetBlockMode(false);
    EXPECT_EQ(Texts(), std::vector<std::string>(4, "S|S|S|S|S|S|S|S|S|S|S|S|S|S|S|S"));
}

TEST_F(SpreadSheetTest, OperatorsBlocksAreReadOneByOne) {
    table->setRangeSelected(QTableWidgetSelectionRange(0, 1, 1, 2), true);
    table->setRangeSelected(QTableWidgetSelectionRange(3, 15, 3, 15), true);
    grid.SetAction(CSpreadSheet::kActionReadSelection);
    // A later change of selection does not change what was read.
    table->clearSelection();
    ASSERT_EQ(grid.GetSelCount(), 2);
    grid.SetSelModeIndex(0);
    EXPECT_EQ(grid.GetCol(), 2);
    EXPECT_EQ(grid.GetRow(), 1);
    grid.SetSelModeIndex(1);
    EXPECT_EQ(grid.GetCol(), 16);
    EXPECT_EQ(grid.GetRow(), 4);
    grid.SetSelModeIndex(2);  // out of range: unchanged
    EXPECT_EQ(grid.GetCol(), 16);
}

TEST_F(SpreadSheetTest, WholeRowSelectedByItsHeaderStartsAtColumnOne) {
    QTest::mouseClick(table->verticalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(5, table->verticalHeader()->sectionViewportPosition(1) + 5));
    grid.SetAction(CSpreadSheet::kActionReadSelection);
    ASSERT_EQ(grid.GetSelCount(), 1);
    grid.SetSelModeIndex(0);
    EXPECT_EQ(grid.GetCol(), 1);
    EXPECT_EQ(grid.GetRow(), 2);
    grid.SetBlockMode(true);
    grid.SetText(QStringLiteral("1"));
    grid.SetBlockMode(false);
    EXPECT_EQ(Texts()[1], "1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1");
}

TEST_F(SpreadSheetTest, SingleCellSelectionWhenBlocksAreOff) {
    grid.SetSelectBlockOptions(0);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCentre(3, 2));
    grid.SetAction(CSpreadSheet::kActionReadSelection);
    ASSERT_EQ(grid.GetSelCount(), 1);
    EXPECT_EQ(table->selectionModel()->selectedIndexes().size(), 1);
}

TEST_F(SpreadSheetTest, PickingACellByMouseOrKeyboard) {
    QSignalSpy picked(&grid, &CSpreadSheet::CellPicked);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellCentre(3, 2));
    QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(table->horizontalHeader()->sectionViewportPosition(1) + 5, 5));

    table->setFocus();
    table->setCurrentCell(3, 1);  // column 2, row 4
    QTest::keyClick(table, Qt::Key_Return);
    QTest::keyClick(table, Qt::Key_Right);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(Picks(picked), (std::vector<Cell>{{3, 2}, {2, 0}, {2, 4}, {3, 4}}));
    // Enter picked the cell instead of pressing the dialog's default button.
    EXPECT_EQ(accepted.count(), 0);
}

TEST_F(SpreadSheetTest, RowsColumnsRedrawAndWidths) {
    grid.SetMaxRows(48);
    EXPECT_EQ(grid.GetMaxRows(), 48);
    EXPECT_EQ(grid.GetMaxCols(), 16);
    grid.SetReDraw(false);
    EXPECT_FALSE(table->updatesEnabled());
    grid.SetReDraw(true);
    EXPECT_TRUE(table->updatesEnabled());

    grid.SetColWidth(1, 7.0);
    grid.SetColWidth(2, 15.0);
    EXPECT_GT(table->columnWidth(1), table->columnWidth(0));
    EXPECT_GT(table->columnWidth(0), 0);
}

TEST_F(SpreadSheetTest, FontNameAppliesToTheBlockOnly) {
    grid.SetBlockMode(true);
    grid.SetCol(1);
    grid.SetRow(1);
    grid.SetCol2(2);
    grid.SetRow2(4);
    grid.SetFontName(QStringLiteral("Courier New"));
    grid.SetBlockMode(false);
    grid.SetCellText(3, 1, QStringLiteral("x"));
    EXPECT_EQ(table->item(3, 1)->font().family().toStdString(), "Courier New");
    EXPECT_NE(table->item(0, 2)->font().family().toStdString(), "Courier New");
}

}  // namespace
