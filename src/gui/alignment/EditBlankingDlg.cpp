#include "alignment/EditBlankingDlg.h"

#include <QPushButton>

#include "protocol/ControllerLink.h"
#include "ui_EditBlankingDlg.h"
#include "widgets/Prompts.h"

namespace {

constexpr int kGridColumns = 16;  // channels per grid row
constexpr const char* kDownloadFailure = "Unable to download blanking fields to controller.";

// Builds the form's widgets, so that the grid can be bound to its table.
QTableWidget* SetUpForm(Ui::CEditBlankingDlg& form, QDialog* dialog) {
    form.setupUi(dialog);
    return form.grid;
}

}  // namespace

CEditBlankingDlg::CEditBlankingDlg(CControllerLink* link, const CBlankingMap& map, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CEditBlankingDlg>()),
      grid(SetUpForm(*ui, this)),
      link(link),
      map(map),
      startMap(map),
      rows(map.Channels() / kGridColumns) {
    connect(ui->selectAllButton, &QPushButton::clicked, this, &CEditBlankingDlg::SelectAll);
    connect(ui->blankSelectedButton, &QPushButton::clicked, this,
            [this] { SetSelected(QStringLiteral("1")); });
    connect(ui->clearSelectedButton, &QPushButton::clicked, this,
            [this] { SetSelected(QStringLiteral("0")); });
    LayoutGrid();
    for (int channel = 0; channel < map.Channels(); ++channel) {
        if (map.IsBlanked(channel)) {
            grid.SetCellText(channel % kGridColumns + 1, channel / kGridColumns + 1,
                             QStringLiteral("1"));
        }
    }
    ui->currentChannel->clear();
}

CEditBlankingDlg::~CEditBlankingDlg() = default;

void CEditBlankingDlg::LayoutGrid() {
    grid.SetReDraw(false);
    grid.SetMaxRows(rows);
    grid.SetBlockMode(true);
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetRow2(rows);
    grid.SetCol2(kGridColumns);
    grid.SetCellType(CSpreadSheet::kCellTypeCheckBox);
    grid.SetTypeCheckCenter(true);
    grid.SetBlockMode(false);
    for (int row = 1; row <= rows; ++row) {
        const int first = kGridColumns * (row - 1) + 1;
        grid.SetCellText(0, row, QString::asprintf("%d-%d", first, first + kGridColumns - 1));
    }
    grid.SetReDraw(true);
}

void CEditBlankingDlg::SelectAll() {
    grid.SetBlockMode(true);
    grid.SetSelection(1, 1, rows, kGridColumns);
    grid.SetAction(CSpreadSheet::kActionSelectBlock);
    grid.SetBlockMode(false);
}

void CEditBlankingDlg::SetSelected(const QString& value) {
    grid.SetAction(CSpreadSheet::kActionReadSelection);
    const int count = grid.GetSelCount();
    if (count <= 0) {
        Prompts().Beep();
        return;
    }
    grid.SetReDraw(false);
    for (int index = 0; index < count; ++index) {
        grid.SetSelModeIndex(index);
        // The row headers name the channels; a selection never overwrites them.
        if (grid.GetCol() < 1) {
            grid.SetCol(1);
        }
        grid.SetBlockMode(true);
        grid.SetText(value);
        grid.SetBlockMode(false);
    }
    grid.SetReDraw(true);
}

void CEditBlankingDlg::ReadGrid() {
    map = CBlankingMap(map.Channels());
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= kGridColumns; ++column) {
            grid.SetCol(column);
            grid.SetRow(row);
            if (grid.GetText() == QLatin1String("1")) {
                map.SetBlanked((row - 1) * kGridColumns + (column - 1), true);
            }
        }
    }
}

void CEditBlankingDlg::accept() {
    ReadGrid();
    if (!map.IsEqual(startMap) && !link->OutputBlankingFields(map)) {
        Prompts().Message(this, QString::fromLatin1(kDownloadFailure), PromptIcon::kExclamation,
                          PromptButtons::kOk);
        return;
    }
    QDialog::accept();
}
