#include "app/PartNumberDlg.h"

#include <QListWidgetItem>
#include <string>

#include "sequences/DateCode.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"
#include "ui_PartNumberDlg.h"
#include "widgets/Prompts.h"

namespace {

constexpr char kPartNumbersSection[] = "PartNumbers";
constexpr size_t kPartNumberLength = 6;
constexpr char kWrongLength[] = "Warning: Ini value: '%s' for entry '%s' must be six characters";

}  // namespace

CPartNumberDlg::CPartNumberDlg(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::CPartNumberDlg>()) {
    ui->setupUi(this);
    FillPartNumberList();
    ui->dateCodeEdit->setText(QString::fromStdString(MakeDateCode(Today())));
}

CPartNumberDlg::~CPartNumberDlg() = default;

// Every entry of the section is offered, however long the list of their names.
void CPartNumberDlg::FillPartNumberList() {
    const CSettingsFile settings(SettingsFilePath());
    for (const std::string& name : settings.EntryNames(kPartNumbersSection)) {
        const std::string value = settings.GetString(kPartNumbersSection, name, "");
        if (value.size() == kPartNumberLength) {
            ui->partNumberList->addItem(QString::fromStdString(value));
            continue;
        }
        Prompts().Message(this, QString::asprintf(kWrongLength, value.c_str(), name.c_str()),
                          PromptIcon::kNone, PromptButtons::kOk);
    }
    if (ui->partNumberList->count() > 0) {
        ui->partNumberList->setCurrentRow(0);
    }
}

QString CPartNumberDlg::PartNumber() const {
    const QList<QListWidgetItem*> selected = ui->partNumberList->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

QString CPartNumberDlg::DateCode() const {
    return ui->dateCodeEdit->text();
}
