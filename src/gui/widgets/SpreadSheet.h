#pragma once
// CSpreadSheet: the spreadsheet grid of the dialogs, bound to a QTableWidget of a
// dialog's form, whose design-time settings (numbers of rows and columns, widths) it
// keeps. It offers the grid operations the dialogs use, by name. Rows and columns count
// from 1; row 0 holds the column headers and column 0 the row headers, and they are read
// and written like any cell. Writes take effect at once, in order; the current cell (or,
// in block mode, the block) set by SetCol, SetRow, SetCol2 and SetRow2 is the target of
// the next text or property write.

#include <QObject>
#include <QString>
#include <QTableWidgetSelectionRange>
#include <vector>

class QTableWidget;
class QTableWidgetItem;
class QWidget;

class CSpreadSheet : public QObject {
    Q_OBJECT

public:
    static constexpr int kCellTypeCheckBox = 10;  // text "1" checked, "0" unchecked
    // Actions: select the block given by SetSelection; take the operator's selection as
    // it is now, for GetSelCount and SetSelModeIndex.
    static constexpr int kActionSelectBlock = 2;
    static constexpr int kActionReadSelection = 18;

    // Binds the grid to table (not owned) and makes its cells read-only to the operator.
    explicit CSpreadSheet(QTableWidget* table);

    QTableWidget* Table() const { return table; }

    // The current cell; with block mode on, the block's first row and column.
    int GetCol() const { return col; }
    void SetCol(int column) { col = column; }
    int GetRow() const { return row; }
    void SetRow(int newRow) { row = newRow; }
    // The block's last column and row.
    void SetCol2(int column) { col2 = column; }
    void SetRow2(int lastRow) { row2 = lastRow; }
    // While on, SetText, SetClip, SetFontName, SetCellType and SetTypeCheckCenter apply to
    // every cell of the block.
    void SetBlockMode(bool on) { blockMode = on; }

    int GetMaxCols() const;
    int GetMaxRows() const;
    void SetMaxRows(int rows);
    // Off while filling many cells, so the grid is painted once, when it is switched on.
    void SetReDraw(bool on);

    // The text of the current cell.
    QString GetText() const;
    // The text of the current cell or of every cell of the block; empty clears.
    void SetText(const QString& text);
    // Cells separated by tabs, rows by line breaks, written from the current cell (the
    // block's first cell) to the right and downwards; in block mode only inside the block.
    void SetClip(const QString& text);
    void SetFontName(const QString& name);
    // kCellTypeCheckBox makes check boxes; any other type plain text cells.
    void SetCellType(int type);
    // Draws the check boxes centred in their cells.
    void SetTypeCheckCenter(bool on);

    // kActionSelectBlock or kActionReadSelection; other actions do nothing.
    void SetAction(int action);
    // The number of blocks the operator had selected at the last kActionReadSelection.
    int GetSelCount() const { return static_cast<int>(selection.size()); }
    // Makes selected block index (from 0) the current block: SetCol, SetRow, SetCol2 and
    // SetRow2 take its corners. An index out of range changes nothing.
    void SetSelModeIndex(int index);
    // 0: the operator selects single cells only; otherwise blocks, rows and columns too.
    void SetSelectBlockOptions(int options);

    QString GetCellText(int column, int cellRow) const;
    void SetCellText(int column, int cellRow, const QString& text);
    // width in characters of the grid's font; column 0 is the row header column.
    void SetColWidth(int column, double width);
    // Rows firstRow..lastRow and columns firstCol..lastCol become the block that
    // kActionSelectBlock selects; row first, as Select All passes (1, 1, rows, 16).
    void SetSelection(int firstRow, int firstCol, int lastRow, int lastCol);

signals:
    // The operator picked a cell: clicked it, or pressed Enter or Space on it. Clicks on
    // the headers give row 0 or column 0.
    void CellPicked(int column, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Block {
        int firstCol, firstRow, lastCol, lastRow;
    };
    Block Target() const;
    bool IsDataCell(int column, int cellRow) const;
    QTableWidgetItem* DataItem(int column, int cellRow);
    template <class Apply>
    void ForEachDataCell(Apply apply);
    void PaintCorner();

    QTableWidget* table;
    QWidget* corner;  // the table's corner button, where the corner cell's text is painted
    int col = 1;
    int row = 1;
    int col2 = 1;
    int row2 = 1;
    bool blockMode = false;
    QString cornerText;
    QTableWidgetSelectionRange pendingBlock;
    std::vector<QTableWidgetSelectionRange> selection;
};
