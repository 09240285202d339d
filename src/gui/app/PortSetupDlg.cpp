#include "app/PortSetupDlg.h"

#include <QApplication>
#include <utility>

#include "serial/NetworkPort.h"
#include "settings/PortMapping.h"
#include "ui_PortSetupDlg.h"
#include "widgets/Prompts.h"

namespace {
constexpr int kPortCount = 24;
constexpr char kNoDevices[] =
    "No serial devices were found. Plug in the adapter, then open this window again.";
constexpr char kAdapterNote[] =
    "Adapters are listed by a name that stays the same when they are plugged in again.";
constexpr char kChooseDevice[] = "Choose the serial device that COM%1 should open.";
constexpr char kNotSaved[] = "The port setting could not be saved in\n%1";
constexpr char kAddressForm[] =
    "Enter the device server's address as rfc2217://host:port or tcp://host:port (a raw "
    "server's line rate after ?baud=, as in tcp://host:port?baud=19200).";
constexpr char kServerControls[] =
    "%1 answers.\nIt sets the serial line as the program asks (now %2 baud).";
constexpr char kServerFixed[] =
    "%1 answers.\nIts serial line settings are fixed on the server: the program uses the line "
    "at %2 baud only.";
constexpr char kNoConnection[] = "No connection:\n%1";
// The rate and format the test asks the server for: those of a search's first ping.
constexpr long kTestBaud = 9600;
constexpr char kTestParity = 'E';
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
    // A device picked from the list replaces a server address shown for the port.
    connect(ui->deviceList, &QListWidget::itemSelectionChanged, ui->addressEdit, &QLineEdit::clear);
    connect(ui->testButton, &QPushButton::clicked, this, &CPortSetupDlg::TestAddress);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &CPortSetupDlg::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &CPortSetupDlg::reject);
    ShowCurrentDevice();
}

CPortSetupDlg::~CPortSetupDlg() = default;

int CPortSetupDlg::ChosenPort() const {
    return ui->portCombo->currentIndex();
}

void CPortSetupDlg::ShowCurrentDevice() {
    const std::string device = DevicePathForPort(ChosenPort(), settingsPath);
    ui->currentLabel->setText(QStringLiteral("now opens %1").arg(QString::fromStdString(device)));
    CNetworkAddress address;
    ui->addressEdit->setText(
        ParseNetworkAddress(device, &address) != 0 ? QString::fromStdString(device) : QString());
}

std::string CPortSetupDlg::EnteredAddress(bool* entered) {
    const std::string text = ui->addressEdit->text().trimmed().toStdString();
    *entered = !text.empty();
    CNetworkAddress address;
    if (*entered && ParseNetworkAddress(text, &address) == 0) {
        Prompts().Message(this, kAddressForm, PromptIcon::kExclamation, PromptButtons::kOk);
        return {};
    }
    return text;
}

void CPortSetupDlg::TestAddress() {
    bool entered = false;
    const std::string text = EnteredAddress(&entered);
    if (!entered) {
        Prompts().Message(this, kAddressForm, PromptIcon::kExclamation, PromptButtons::kOk);
    }
    if (text.empty()) {
        return;
    }
    CNetworkAddress address;
    ParseNetworkAddress(text, &address);
    const QString where = QString::fromStdString(address.HostAndPort());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CNetworkPort port(ChosenPort(), address, kTestBaud, kTestParity, 8, 1, 0, 1, 0, 0, 0);
    QApplication::restoreOverrideCursor();
    if (port.Status() != 0) {
        Prompts().Message(this, QString(kNoConnection).arg(port.StatusText(port.Status())),
                          PromptIcon::kExclamation, PromptButtons::kOk);
    } else if (port.ControlsLine() != 0) {
        Prompts().Message(this, QString(kServerControls).arg(where).arg(port.Current().baud),
                          PromptIcon::kInformation, PromptButtons::kOk);
    } else {
        Prompts().Message(this, QString(kServerFixed).arg(where).arg(port.FixedBaud()),
                          PromptIcon::kInformation, PromptButtons::kOk);
    }
}

void CPortSetupDlg::accept() {
    bool entered = false;
    std::string device = EnteredAddress(&entered);
    if (entered && device.empty()) {
        return;
    }
    if (!entered) {
        const int row = ui->deviceList->currentRow();
        if (row < 0 || ui->deviceList->selectedItems().isEmpty()) {
            Prompts().Message(this, QString(kChooseDevice).arg(ChosenPort() + 1),
                              PromptIcon::kExclamation, PromptButtons::kOk);
            return;
        }
        device = devices[static_cast<size_t>(row)].path;
    }
    if (MapPortToDevice(ChosenPort(), device, settingsPath) == 0) {
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
