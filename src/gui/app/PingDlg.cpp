#include "app/PingDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <algorithm>

#include "app/SearchNoticeDlg.h"
#include "app/ServiceSession.h"
#include "sequences/ServiceBracket.h"
#include "ui_PingDlg.h"
#include "widgets/Prompts.h"
#include "widgets/SpreadSheet.h"

namespace {

constexpr char kCornerText[] = "PING";
constexpr char kFoundText[] = "X";
constexpr char kNoControllerChosen[] = "You must select an active controller.";
constexpr char kIncompleteText[] =
    "The search was cancelled: controllers it had not yet asked for are not shown.";
constexpr int kIdRows = kLastId - kFirstId + 1;
// A rate column is at least this many digits wide, so that the grid does not look cramped.
constexpr int kMinColumnDigits = 9;

// A grid cell's column minus 1 is the baud index, its row plus 0x40 the ID letter.
constexpr int kIdOffset = 0x40;

}  // namespace

CPingDlg::CPingDlg(ControllerTable* table, CServiceSession* session, bool complete, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CPingDlg>()),
      table(table),
      session(session),
      incomplete(new QLabel(QString::fromLatin1(kIncompleteText), this)) {
    ui->setupUi(this);
    incomplete->setObjectName(QStringLiteral("incompleteText"));
    incomplete->setWordWrap(true);
    incomplete->setVisible(!complete);
    ui->dialogLayout->insertWidget(ui->dialogLayout->indexOf(ui->grid) + 1, incomplete);
    grid = new CSpreadSheet(ui->grid);
    grid->SetSelectBlockOptions(0);
    grid->SetCellText(0, 0, QString::fromLatin1(kCornerText));
    for (int row = 1; row <= kIdRows; ++row) {
        grid->SetCellText(0, row, QString(QChar(row + kIdOffset)));
    }
    for (int column = 1; column <= kSearchedBaudIndexes; ++column) {
        grid->SetCellText(column, 0, QString::number(CControllerLink::BaudRateOf(column - 1)));
    }
    ShowSearchResults();
    FitGridToContents();
    connect(grid, &CSpreadSheet::CellPicked, this, &CPingDlg::OnCellPicked);
    connect(ui->updateButton, &QPushButton::clicked, this, &CPingDlg::OnUpdate);
}

CPingDlg::~CPingDlg() = default;

void CPingDlg::ShowSearchResults() {
    for (int row = 1; row <= kIdRows; ++row) {
        for (int column = 1; column <= kSearchedBaudIndexes; ++column) {
            const bool found =
                (*table)[static_cast<size_t>(row)][static_cast<size_t>(column - 1)] == kFoundMarker;
            grid->SetCellText(column, row, found ? QString::fromLatin1(kFoundText) : QString());
        }
    }
}

// The grid shows every row and column without scrolling whatever the font and the
// screen's scale: its minimum size follows the header texts, not fixed pixel counts.
void CPingDlg::FitGridToContents() {
    QTableWidget* view = ui->grid;
    view->ensurePolished();
    for (int row = 0; row < view->rowCount(); ++row) {
        for (int column = 0; column < view->columnCount(); ++column) {
            view->item(row, column)->setTextAlignment(Qt::AlignCenter);
        }
    }
    QHeaderView* columns = view->horizontalHeader();
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(QHeaderView::Stretch);
    const int minColumnWidth =
        view->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kMinColumnDigits;
    int width = std::max(rows->sizeHint().width(), rows->minimumWidth());
    for (int column = 0; column < view->columnCount(); ++column) {
        width += std::max(columns->sectionSizeHint(column), minColumnWidth);
    }
    int height = columns->sizeHint().height();
    for (int row = 0; row < view->rowCount(); ++row) {
        height += rows->sectionSizeHint(row);
    }
    const int frame = 2 * view->frameWidth();
    view->setMinimumSize(width + frame, height + frame);
}

void CPingDlg::OnUpdate() {
    const bool complete = SearchWithNotice(this, [this](CSearchProgress& progress) {
        SearchAgain(*session->Link(), *table, &progress);
    });
    incomplete->setVisible(!complete);
    ShowSearchResults();
}

void CPingDlg::OnCellPicked(int column, int row) {
    grid->SetCol(column);
    grid->SetRow(row);
    const QString text = grid->GetText();
    if (column <= 0 || row <= 0) {
        return;
    }
    if (text.isEmpty()) {
        Prompts().Message(this, QString::fromLatin1(kNoControllerChosen), PromptIcon::kExclamation,
                          PromptButtons::kOk);
        return;
    }
    (*table)[0][0] = row + kIdOffset;
    (*table)[0][1] = column - 1;
    (*table)[0][2] = kFoundMarker;
    accept();
}
