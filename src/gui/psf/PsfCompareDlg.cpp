#include "psf/PsfCompareDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidgetItem>
#include <array>

#include "ui_PsfCompareDlg.h"
#include "widgets/Prompts.h"

namespace {

constexpr CFileDialogSpec kPsfFiles{"PSF", "PSF Files (*.PSF) |*.PSF||"};
constexpr char kNotCompatible[] = "This File is Not Compatible.";
constexpr char kNotReceived[] = "PSF Was Not Received";
constexpr char kWorkingHeading[] = "Working Copy";
constexpr std::array<const char*, 4> kHeadings = {"Field", kWorkingHeading, "", ""};
constexpr int kOtherColumn = 2;

QTableWidgetItem* Cell(const std::string& text, bool marked) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    if (marked) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setBackground(QColor(255, 236, 160));
    }
    return item;
}

}  // namespace

CPsfCompareDlg::CPsfCompareDlg(const CPsf& working, ControllerReader readController,
                               QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CPsfCompareDlg>()),
      readController(std::move(readController)) {
    ui->setupUi(this);
    this->working.CopyFrom(working);
    ui->table->setRowCount(static_cast<int>(comparison.size()));
    for (int column = 0; column < static_cast<int>(kHeadings.size()); ++column) {
        ui->table->setHorizontalHeaderItem(
            column,
            new QTableWidgetItem(QString::fromLatin1(kHeadings[static_cast<size_t>(column)])));
    }
    ui->table->horizontalHeader()->resizeSection(0, 230);
    ui->table->horizontalHeader()->resizeSection(1, 165);
    ui->table->horizontalHeader()->resizeSection(kOtherColumn, 165);
    ui->controllerButton->setEnabled(static_cast<bool>(this->readController));
    connect(ui->fileButton, &QPushButton::clicked, this, &CPsfCompareDlg::CompareWithFile);
    connect(ui->controllerButton, &QPushButton::clicked, this,
            &CPsfCompareDlg::CompareWithController);
    connect(ui->copyButton, &QPushButton::clicked, this, &CPsfCompareDlg::Copy);
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

CPsfCompareDlg::~CPsfCompareDlg() = default;

void CPsfCompareDlg::CompareWithFile() {
    const QString path = Prompts().OpenFileName(this, kPsfFiles);
    if (path.isEmpty()) {
        return;
    }
    CPsf other;
    if (!other.LoadFromFile(path.toStdString())) {
        Prompts().Message(this, QString::fromLatin1(kNotCompatible), PromptIcon::kExclamation,
                          PromptButtons::kOk);
        return;
    }
    Show(other, QFileInfo(path).fileName());
}

void CPsfCompareDlg::CompareWithController() {
    CPsf other;
    if (!readController(other)) {
        Prompts().Message(this, QString::fromLatin1(kNotReceived), PromptIcon::kExclamation,
                          PromptButtons::kOk);
        return;
    }
    Show(other, QStringLiteral("Controller %1").arg(QChar(other.GetControllerId())));
}

void CPsfCompareDlg::Show(const CPsf& other, const QString& heading) {
    otherHeading = heading;
    comparison = ComparePsfs(working, other);
    ui->table->setHorizontalHeaderItem(kOtherColumn, new QTableWidgetItem(heading));
    for (int row = 0; row < static_cast<int>(comparison.size()); ++row) {
        const PsfFieldComparison& field = comparison[static_cast<size_t>(row)];
        ui->table->setItem(row, 0, Cell(field.label, field.differs));
        ui->table->setItem(row, 1, Cell(field.ours, field.differs));
        ui->table->setItem(row, kOtherColumn, Cell(field.theirs, field.differs));
        ui->table->setItem(row, 3, Cell(field.differs ? kFieldDiffers : "", field.differs));
    }
    ui->summaryText->setText(QString::fromStdString(ComparisonSummary(comparison)));
    ui->copyButton->setEnabled(true);
}

void CPsfCompareDlg::Copy() {
    QApplication::clipboard()->setText(QString::fromStdString(
        ComparisonText(comparison, kWorkingHeading, otherHeading.toStdString())));
}
