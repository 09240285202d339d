#include "alignment/DiagnosticsDlg.h"

#include <QPushButton>
#include <QString>
#include <array>

#include "app/DiagnosticsSession.h"
#include "ui_DiagnosticsDlg.h"

namespace {

struct GridColumn {
    const char* header;
    double width;  // characters
};

constexpr std::array<GridColumn, 4> kColumns = {{
    {"Board", 7.0},
    {"Num Channels", 15.0},
    {"Type", 7.0},
    {"State", 15.0},
}};

// Builds the form's widgets, so that the grid can be bound to its table.
QTableWidget* SetUpForm(Ui::CDiagnosticsDlg& form, QDialog* dialog) {
    form.setupUi(dialog);
    return form.grid;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// One board's row: number, channel count, type letter and state, a cell each.
QString BoardRow(int board, char type, const std::string& state) {
    return QString::asprintf("%d\t%d\t%c\t%s", board, kChannelsPerBoard, type, state.c_str());
}

}  // namespace

CDiagnosticsDlg::CDiagnosticsDlg(QWidget* parent, CDiagnosticsSession* session)
    : QDialog(parent),
      ui(std::make_unique<Ui::CDiagnosticsDlg>()),
      grid(SetUpForm(*ui, this)),
      session(session) {
    connect(ui->refreshButton, &QPushButton::clicked, this, &CDiagnosticsDlg::Refresh);
    LayoutGrid();
    FillDisplay();
}

CDiagnosticsDlg::~CDiagnosticsDlg() = default;

void CDiagnosticsDlg::Refresh() {
    // Whatever the read gave, the display shows what the records now hold.
    session->ReadBothDiagnostics();
    LayoutGrid();
    FillDisplay();
}

void CDiagnosticsDlg::LayoutGrid() {
    grid.SetBlockMode(true);
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetRow2(grid.GetMaxRows());
    grid.SetCol2(grid.GetMaxCols());
    grid.SetText(QString());
    grid.SetBlockMode(false);
    grid.SetRow(0);
    for (int column = 1; column <= static_cast<int>(kColumns.size()); ++column) {
        const GridColumn& layout = kColumns[static_cast<size_t>(column - 1)];
        grid.SetColWidth(column, layout.width);
        grid.SetCol(column);
        grid.SetText(QString::fromLatin1(layout.header));
    }
}

void CDiagnosticsDlg::FillDisplay() {
    CDiagnostics& emitter = session->Emitter();
    CDiagnostics& receiver = session->Receiver();
    ui->systemState->setText(Text(emitter.StateText(receiver)));
    // A side without boards did not really answer, whatever its state says.
    if (emitter.BoardCount() <= 0) {
        ui->emitterBoards->setText(QStringLiteral("No Response From Emitter"));
        ui->systemState->setText(QStringLiteral("Sensor Not Responding"));
    } else {
        ui->emitterBoards->setText(QString::number(emitter.BoardCount()));
    }
    if (receiver.BoardCount() <= 0) {
        ui->receiverBoards->setText(QStringLiteral("No Response From Receiver"));
        ui->systemState->setText(QStringLiteral("Sensor Not Responding"));
    } else {
        ui->receiverBoards->setText(QString::number(receiver.BoardCount()));
    }
    // Only the emitter's part number, version and date code are shown.
    ui->version->setText(Text(emitter.VersionText()));
    ui->partNumber->setText(Text(emitter.PartNumberText()));
    ui->dateCode->setText(Text(emitter.DateCodeText()));
    FillBoardRows();
}

void CDiagnosticsDlg::FillBoardRows() {
    CDiagnostics& emitter = session->Emitter();
    CDiagnostics& receiver = session->Receiver();
    auto writeRow = [this](int row, const QString& text) {
        grid.SetBlockMode(true);
        grid.SetCol(1);
        grid.SetCol2(static_cast<int>(kColumns.size()));
        grid.SetRow(row);
        grid.SetRow2(row);
        grid.SetClip(text);
        grid.SetBlockMode(false);
    };
    for (int board = 1; board <= emitter.BoardCount(); ++board) {
        writeRow(board, BoardRow(board, 'E', emitter.ChannelText(board)));
    }
    // One empty row between the emitter's boards and the receiver's.
    const int firstReceiverRow = emitter.BoardCount() + 2;
    for (int board = 1; board <= receiver.BoardCount(); ++board) {
        writeRow(firstReceiverRow + board - 1, BoardRow(board, 'R', receiver.ChannelText(board)));
    }
}
