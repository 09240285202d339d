// Choosing the device a COM port opens, through the setup dialog's widgets.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "PtyServer.h"
#include "ScriptedPrompts.h"
#include "Ser2net.h"
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

TEST_F(PortSetupDlgTest, TestTellsWhatAnsweredAtTheAddress) {
    CPortSetupDlg dialog(nullptr, 1, settings.Path(), kDevices);
    auto* address = dialog.findChild<QLineEdit*>("addressEdit");
    auto* test = dialog.findChild<QPushButton*>("testButton");
    dialog.show();
    const std::string closed = "127.0.0.1:" + std::to_string(FreeLoopbackPort());
    address->setText(QString::fromStdString("rfc2217://" + closed));
    test->click();

    // A raw TCP server: a listening socket the kernel connects to.
    const std::string raw = [&] {
        const CIdleListener listener;
        const std::string where = "127.0.0.1:" + std::to_string(listener.Port());
        address->setText(QString::fromStdString("tcp://" + where + "?baud=19200"));
        test->click();
        return where;
    }();
    EXPECT_EQ((std::vector<std::string>{
                  "No connection:\nConnection refused by " + closed,
                  raw + " answers.\nIts serial line settings are fixed on the server: the "
                        "program uses the line at 19200 baud only."}),
              prompts.Texts());
    EXPECT_EQ("<none>", settings.Read());

    if (!CSer2net::Installed()) {
        GTEST_SKIP() << "ser2net is not installed";
    }
    CSimLine line;
    CPtyServer server(line);
    ASSERT_EQ(0, server.Open());
    server.Start();
    CSer2net proxy(server.DevicePath());
    ASSERT_TRUE(proxy.Start());
    address->setText(QString::fromStdString(proxy.Address()));
    test->click();
    EXPECT_EQ("127.0.0.1:" + std::to_string(proxy.Port()) +
                  " answers.\nIt sets the serial line as the program asks (now 9600 baud).",
              prompts.Texts().back());
    proxy.Stop();
    server.Stop();
}

TEST_F(PortSetupDlgTest, TheMenuNamesTheDeviceOfThePortInUse) {
    settings.Write("[Communication]\nPort=2\n[Ports]\nCOM3=/dev/ttyUSB7\n");
    CHelpFile helpFile;
    CMainFrame frame(helpFile);
    QAction* setup = frame.CommandAction(kCmdPortSetup);
    ASSERT_NE(nullptr, setup);
    EXPECT_EQ("Serial Port Se&tup... (COM3 is /dev/ttyUSB7)", setup->text());
    frame.CommandAction(32776)->trigger();  // COM1, not mapped
    EXPECT_EQ("Serial Port Se&tup... (COM1 is /dev/ttyS0)", setup->text());
}

}  // namespace
