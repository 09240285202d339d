// Choosing the device a COM port opens, through the setup dialog's widgets.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ScriptedPrompts.h"
#include "UiFixtures.h"
#include "app/HelpFile.h"
#include "app/MainFrame.h"
#include "app/PortSetupDlg.h"

namespace {

const std::vector<CSerialDevice> kDevices = {
    {"/dev/serial/by-id/usb-Maker_Adapter_A1-if00-port0", "/dev/ttyUSB0"},
    {"/dev/ttyS0", "/dev/ttyS0"},
};

class PortSetupDlgTest : public ::testing::Test {
protected:
    void PressOk(CPortSetupDlg& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }

    CTempSettings settings;
    CScriptedPrompts prompts;
};

TEST_F(PortSetupDlgTest, OkWithoutADeviceSaysWhatIsMissingAndStaysOpen) {
    CPortSetupDlg dialog(nullptr, 2, settings.Path(), kDevices);
    dialog.show();
    PressOk(dialog);
    EXPECT_EQ(std::vector<std::string>{"Choose the serial device that COM3 should open."},
              prompts.Texts());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ("<none>", settings.Read());
}

TEST_F(PortSetupDlgTest, TheChosenDeviceIsStoredForTheChosenPort) {
    settings.Write("[Communication]\nPort=1\n");
    CPortSetupDlg dialog(nullptr, 1, settings.Path(), kDevices);
    auto* combo = dialog.findChild<QComboBox*>("portCombo");
    auto* list = dialog.findChild<QListWidget*>("deviceList");
    ASSERT_EQ(24, combo->count());
    EXPECT_EQ("COM2", combo->currentText());
    EXPECT_EQ("/dev/serial/by-id/usb-Maker_Adapter_A1-if00-port0  (/dev/ttyUSB0)",
              list->item(0)->text());
    combo->setCurrentIndex(3);
    list->setCurrentRow(0);
    dialog.show();
    PressOk(dialog);
    EXPECT_TRUE(prompts.Texts().empty());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(3, dialog.ChosenPort());
    EXPECT_EQ(
        "[Communication]\nPort=1\n\n[Ports]\nCOM4=/dev/serial/by-id/"
        "usb-Maker_Adapter_A1-if00-port0\n",
        settings.Read());
}

TEST_F(PortSetupDlgTest, ADeviceServerAddressIsStoredInsteadOfADevice) {
    settings.Write("[Communication]\nPort=1\n[Ports]\nCOM3=/dev/ttyUSB7\n");
    CPortSetupDlg dialog(nullptr, 1, settings.Path(), kDevices);
    auto* address = dialog.findChild<QLineEdit*>("addressEdit");
    EXPECT_EQ("", address->text());
    dialog.show();
    address->setText("rfc2217://192.0.2.10");
    PressOk(dialog);
    EXPECT_EQ(std::vector<std::string>{"Enter the device server's address as "
                                       "rfc2217://host:port or tcp://host:port (a raw "
                                       "server's line rate after ?baud=, as in "
                                       "tcp://host:port?baud=19200)."},
              prompts.Texts());
    EXPECT_TRUE(dialog.isVisible());

    address->setText(" rfc2217://192.0.2.10:4001 ");
    PressOk(dialog);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(
        "[Communication]\nPort=1\n[Ports]\nCOM3=/dev/ttyUSB7\nCOM2=rfc2217://192.0.2.10:4001\n",
        settings.Read());

    // Opened again, the dialog shows the address; a device picked from the list replaces it.
    CPortSetupDlg again(nullptr, 1, settings.Path(), kDevices);
    auto* shown = again.findChild<QLineEdit*>("addressEdit");
    EXPECT_EQ("rfc2217://192.0.2.10:4001", shown->text());
    again.findChild<QListWidget*>("deviceList")->setCurrentRow(1);
    EXPECT_EQ("", shown->text());
    again.show();
    PressOk(again);
    EXPECT_EQ("[Communication]\nPort=1\n[Ports]\nCOM3=/dev/ttyUSB7\nCOM2=/dev/ttyS0\n",
              settings.Read());
}

TEST_F(PortSetupDlgTest, TheMenuNamesTheDeviceOfThePortInUse) {
    settings.Write("[Communication]\nPort=2\n[Ports]\nCOM3=/dev/ttyUSB7\n");
    CHelpFile helpFile;
    CMainFrame frame(helpFile);
    QAction* setup = frame.CommandAction(kCmdPortSetup);
    ASSERT_NE(nullptr, setup);
    EXPECT_EQ("Serial Port Se&tup... (COM3 is /dev/ttyUSB7)", setup->text());
    frame.CommandAction(32776)->trigger();  // COM1, not mapped: the system's own first port
#ifdef _WIN32
    EXPECT_EQ("Serial Port Se&tup... (COM1 is \\\\.\\COM1)", setup->text());
#else
    EXPECT_EQ("Serial Port Se&tup... (COM1 is /dev/ttyS0)", setup->text());
#endif
}

}  // namespace
