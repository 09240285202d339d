#include "app/PortSetupDlg.h"

#include <utility>

#include "app/PortMapping.h"
#include "ui/Prompts.h"
#include "ui_PortSetupDlg.h"

namespace {
constexpr int kPortCount = 24;
constexpr char kNoDevices[] =
    "No serial devices were found. Plug in the adapter, then open this window again.";
constexpr char kAdapterNote[] =
    "Adapters are listed by a name that stays the same when they are plugged in again.";
constexpr char kChooseDevice[] = "Choose the serial device that COM%1 should open.";
constexpr char kNotSaved[] = "The port setting could not be saved in\n%1";
}  // namespace

CPortSetupDlg::CPortSetupDlg(QWidget* parent, int portIndex, std::string settingsPath,
                             std::vector<CSerialDevice> devices)
    : QDialog(parent),
      ui(std::make_unique<Ui::CPortSetupDlg>()),
      settingsPath(std::move(settingsPath)),
      devices(std::move(devices)) {
    ui->setupUi(this);
    for (int port = 0; port < kPortCount; ++port) {
        ui->portCombo->addItem(QStringLiteral("COM%1").arg(port + 1));
    }
    ui->portCombo->setCurrentIndex(portIndex >= 0 && portIndex < kPortCount ? portIndex : 0);
    for (const CSerialDevice& device : this->devices) {
        QString text = QString::fromStdString(device.path);
        if (device.path != device.device) {
            text += QStringLiteral("  (%1)").arg(QString::fromStdString(device.device));
        }
        ui->deviceList->addItem(text);
    }
    ui->noteLabel->setText(this->devices.empty() ? kNoDevices : kAdapterNote);
    connect(ui->portCombo, &QComboBox::currentIndexChanged, this,
            &CPortSetupDlg::ShowCurrentDevice);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &CPortSetupDlg::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &CPortSetupDlg::reject);
    ShowCurrentDevice();
}

CPortSetupDlg::~CPortSetupDlg() = default;

int CPortSetupDlg::ChosenPort() const {
    return ui->portCombo->currentIndex();
}

void CPortSetupDlg::ShowCurrentDevice() {
    ui->currentLabel->setText(
        QStringLiteral("now opens %1")
            .arg(QString::fromStdString(DevicePathForPort(ChosenPort(), settingsPath))));
}

void CPortSetupDlg::accept() {
    const int row = ui->deviceList->currentRow();
    if (row < 0 || ui->deviceList->selectedItems().isEmpty()) {
        Prompts().Message(this, QString(kChooseDevice).arg(ChosenPort() + 1),
                          PromptIcon::kExclamation, PromptButtons::kOk);
        return;
    }
    const std::string& path = devices[static_cast<size_t>(row)].path;
    if (MapPortToDevice(ChosenPort(), path, settingsPath) == 0) {
        Prompts().Message(this, QString(kNotSaved).arg(QString::fromStdString(settingsPath)),
                          PromptIcon::kExclamation, PromptButtons::kOk);
        return;
    }
    QDialog::accept();
}

QString PortSetupCaption(int portIndex, const std::string& settingsPath) {
    return QStringLiteral("Serial Port Se&tup... (COM%1 is %2)")
        .arg(portIndex + 1)
        .arg(QString::fromStdString(DevicePathForPort(portIndex, settingsPath)));
}
