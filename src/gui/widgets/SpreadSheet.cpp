#include "widgets/SpreadSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>

namespace {

constexpr int kCellTypeRole = Qt::UserRole;
constexpr int kCheckCenterRole = Qt::UserRole + 1;
constexpr int kHeaderPadding = 12;  // pixels around a header text

QString CheckText(const QTableWidgetItem& item) {
    return item.checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
}

// Draws a centred check box for cells marked with kCheckCenterRole and toggles it on a
// click on the box or on Space; every other cell is drawn as usual.
class CCheckCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!index.data(kCheckCenterRole).toBool()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        cell.text.clear();
        QStyle* style = Style(option);
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);
        QStyleOptionViewItem box(option);
        box.rect = BoxRect(option);
        box.state &= ~QStyle::State_HasFocus;
        box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                           : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, option.widget);
    }

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (!index.data(kCheckCenterRole).toBool() || !(index.flags() & Qt::ItemIsUserCheckable) ||
            !(index.flags() & Qt::ItemIsEnabled)) {
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        }
        switch (event->type()) {
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton ||
                    !BoxRect(option).contains(mouse->position().toPoint())) {
                    return false;
                }
                break;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return BoxRect(option).contains(
                    static_cast<QMouseEvent*>(event)->position().toPoint());
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key != Qt::Key_Space && key != Qt::Key_Select) {
                    return false;
                }
                break;
            }
            default:
                return false;
        }
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    static QStyle* Style(const QStyleOptionViewItem& option) {
        return option.widget != nullptr ? option.widget->style() : QApplication::style();
    }
    static QRect BoxRect(const QStyleOptionViewItem& option) {
        QStyle* style = Style(option);
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget));
        return QStyle::alignedRect(option.direction, Qt::AlignCenter, size, option.rect);
    }
};

}  // namespace

CSpreadSheet::CSpreadSheet(QTableWidget* table)
    : QObject(table),
      table(table),
      corner(table->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setItemDelegate(new CCheckCellDelegate(table));
    table->installEventFilter(this);
    if (corner != nullptr) {
        corner->installEventFilter(this);
    }
    connect(table, &QTableWidget::cellClicked, this, [this](int clickedRow, int clickedCol) {
        emit CellPicked(clickedCol + 1, clickedRow + 1);
    });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit CellPicked(section + 1, 0); });
    connect(table->verticalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit CellPicked(0, section + 1); });
}

int CSpreadSheet::GetMaxCols() const {
    return table->columnCount();
}

int CSpreadSheet::GetMaxRows() const {
    return table->rowCount();
}

void CSpreadSheet::SetMaxRows(int rows) {
    table->setRowCount(std::max(rows, 0));
}

void CSpreadSheet::SetReDraw(bool on) {
    table->setUpdatesEnabled(on);
}

CSpreadSheet::Block CSpreadSheet::Target() const {
    if (!blockMode) {
        return {col, row, col, row};
    }
    return {std::min(col, col2), std::min(row, row2), std::max(col, col2), std::max(row, row2)};
}

bool CSpreadSheet::IsDataCell(int column, int cellRow) const {
    return column >= 1 && column <= table->columnCount() && cellRow >= 1 &&
           cellRow <= table->rowCount();
}

QTableWidgetItem* CSpreadSheet::DataItem(int column, int cellRow) {
    QTableWidgetItem* item = table->item(cellRow - 1, column - 1);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(cellRow - 1, column - 1, item);
    }
    return item;
}

template <class Apply>
void CSpreadSheet::ForEachDataCell(Apply apply) {
    const Block block = Target();
    for (int r = std::max(block.firstRow, 1); r <= std::min(block.lastRow, table->rowCount());
         ++r) {
        for (int c = std::max(block.firstCol, 1);
             c <= std::min(block.lastCol, table->columnCount()); ++c) {
            apply(*DataItem(c, r));
        }
    }
}

QString CSpreadSheet::GetText() const {
    return GetCellText(col, row);
}

void CSpreadSheet::SetText(const QString& text) {
    const Block block = Target();
    for (int r = block.firstRow; r <= block.lastRow; ++r) {
        for (int c = block.firstCol; c <= block.lastCol; ++c) {
            SetCellText(c, r, text);
        }
    }
}

void CSpreadSheet::SetClip(const QString& text) {
    const Block block = Target();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int r = block.firstRow + static_cast<int>(i);
        if (blockMode && r > block.lastRow) {
            break;
        }
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        const QStringList cells = line.split(QLatin1Char('\t'));
        for (qsizetype j = 0; j < cells.size(); ++j) {
            const int c = block.firstCol + static_cast<int>(j);
            if (blockMode && c > block.lastCol) {
                break;
            }
            SetCellText(c, r, cells[j]);
        }
    }
}

void CSpreadSheet::SetFontName(const QString& name) {
    ForEachDataCell([&name](QTableWidgetItem& item) {
        QFont font = item.font();
        font.setFamily(name);
        // Courier is the classic fixed-pitch face; where it is missing, ask the fallback
        // for a fixed-pitch face too, so that columns of characters stay aligned.
        font.setStyleHint(name.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ||
                                  QFontDatabase::isFixedPitch(name)
                              ? QFont::TypeWriter
                              : QFont::AnyStyle);
        item.setFont(font);
    });
}

void CSpreadSheet::SetCellType(int type) {
    ForEachDataCell([type](QTableWidgetItem& item) {
        item.setData(kCellTypeRole, type);
        if (type == kCellTypeCheckBox) {
            item.setText(QString());
            item.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item.setCheckState(Qt::Unchecked);
        } else {
            item.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item.setData(Qt::CheckStateRole, QVariant());
        }
    });
}

void CSpreadSheet::SetTypeCheckCenter(bool on) {
    ForEachDataCell([on](QTableWidgetItem& item) { item.setData(kCheckCenterRole, on); });
}

void CSpreadSheet::SetAction(int action) {
    if (action == kActionSelectBlock) {
        table->clearSelection();
        table->setRangeSelected(pendingBlock, true);
    } else if (action == kActionReadSelection) {
        const QList<QTableWidgetSelectionRange> ranges = table->selectedRanges();
        selection.assign(ranges.begin(), ranges.end());
    }
}

void CSpreadSheet::SetSelModeIndex(int index) {
    if (index < 0 || index >= GetSelCount()) {
        return;
    }
    const QTableWidgetSelectionRange& range = selection[static_cast<size_t>(index)];
    col = range.leftColumn() + 1;
    row = range.topRow() + 1;
    col2 = range.rightColumn() + 1;
    row2 = range.bottomRow() + 1;
}

void CSpreadSheet::SetSelectBlockOptions(int options) {
    table->setSelectionMode(options == 0 ? QAbstractItemView::SingleSelection
                                         : QAbstractItemView::ExtendedSelection);
}

QString CSpreadSheet::GetCellText(int column, int cellRow) const {
    if (column == 0 && cellRow == 0) {
        return cornerText;
    }
    const QTableWidgetItem* item = nullptr;
    if (cellRow == 0 && column >= 1 && column <= table->columnCount()) {
        item = table->horizontalHeaderItem(column - 1);
    } else if (column == 0 && cellRow >= 1 && cellRow <= table->rowCount()) {
        item = table->verticalHeaderItem(cellRow - 1);
    } else if (IsDataCell(column, cellRow)) {
        item = table->item(cellRow - 1, column - 1);
        if (item != nullptr && item->data(kCellTypeRole).toInt() == kCellTypeCheckBox) {
            return CheckText(*item);
        }
    }
    return item != nullptr ? item->text() : QString();
}

void CSpreadSheet::SetCellText(int column, int cellRow, const QString& text) {
    if (column == 0 && cellRow == 0) {
        cornerText = text;
        PaintCorner();
    } else if (cellRow == 0 && column >= 1 && column <= table->columnCount()) {
        table->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(text));
    } else if (column == 0 && cellRow >= 1 && cellRow <= table->rowCount()) {
        table->setVerticalHeaderItem(cellRow - 1, new QTableWidgetItem(text));
    } else if (IsDataCell(column, cellRow)) {
        QTableWidgetItem* item = DataItem(column, cellRow);
        if (item->data(kCellTypeRole).toInt() == kCellTypeCheckBox) {
            item->setCheckState(text == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
        } else {
            item->setText(text);
        }
    }
}

void CSpreadSheet::SetColWidth(int column, double width) {
    const int pixels =
        static_cast<int>(width * table->fontMetrics().horizontalAdvance(QLatin1Char('0')) + 0.5) +
        kHeaderPadding;
    if (column == 0) {
        table->verticalHeader()->setFixedWidth(pixels);
    } else if (column >= 1 && column <= table->columnCount()) {
        table->setColumnWidth(column - 1, pixels);
    }
}

void CSpreadSheet::SetSelection(int firstRow, int firstCol, int lastRow, int lastCol) {
    auto clampRow = [this](int r) { return std::clamp(r, 1, std::max(table->rowCount(), 1)) - 1; };
    auto clampCol = [this](int c) {
        return std::clamp(c, 1, std::max(table->columnCount(), 1)) - 1;
    };
    pendingBlock = QTableWidgetSelectionRange(clampRow(firstRow), clampCol(firstCol),
                                              clampRow(lastRow), clampCol(lastCol));
}

// The corner cell (column 0, row 0) has no header item; its text is painted on the
// table's corner button, and the row header is kept wide enough to show it.
void CSpreadSheet::PaintCorner() {
    QHeaderView* rowHeader = table->verticalHeader();
    rowHeader->setMinimumWidth(rowHeader->fontMetrics().horizontalAdvance(cornerText) +
                               kHeaderPadding);
    if (corner != nullptr) {
        corner->update();
    }
}

bool CSpreadSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QModelIndex current = table->currentIndex();
        if (current.isValid() &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            emit CellPicked(current.column() + 1, current.row() + 1);
            // Space goes on to the table, which toggles a check box; Enter stops here, so
            // that it picks the cell instead of pressing the dialog's default button.
            return key != Qt::Key_Space;
        }
    } else if (watched == corner && event->type() == QEvent::Paint && !cornerText.isEmpty()) {
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = cornerText;
        option.textAlignment = Qt::AlignCenter;
        QStylePainter painter(corner);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
