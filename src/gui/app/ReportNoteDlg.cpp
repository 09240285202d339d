#include "app/ReportNoteDlg.h"

#include "ui_ReportNoteDlg.h"

CReportNoteDlg::CReportNoteDlg(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::CReportNoteDlg>()) {
    ui->setupUi(this);
    connect(ui->pdfButton, &QPushButton::clicked, this, [this] { Choose(Output::kPdf); });
    connect(ui->printButton, &QPushButton::clicked, this, [this] { Choose(Output::kPrinter); });
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CReportNoteDlg::~CReportNoteDlg() = default;

QString CReportNoteDlg::Note() const {
    return ui->noteBox->toPlainText();
}

void CReportNoteDlg::Choose(Output output) {
    chosen = output;
    accept();
}
