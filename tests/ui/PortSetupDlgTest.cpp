// Choosing the device a COM port opens, through the setup dialog's widgets.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>

#include "ScriptedPrompts.h"
#include "UiFixtures.h"
#include "app/MainFrame.h"
#include "app/PortSetupDlg.h"
#include "app/TarnApp.h"

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

TEST_F(PortSetupDlgTest, TheMenuNamesTheDeviceOfThePortInUse) {
    settings.Write("[Communication]\nPort=2\n[Ports]\nCOM3=/dev/ttyUSB7\n");
    CTarnApp app;
    CMainFrame frame(app);
    QAction* setup = frame.CommandAction(kCmdPortSetup);
    ASSERT_NE(nullptr, setup);
    EXPECT_EQ("Serial Port Se&tup... (COM3 is /dev/ttyUSB7)", setup->text());
    frame.CommandAction(32776)->trigger();  // COM1, not mapped
    EXPECT_EQ("Serial Port Se&tup... (COM1 is /dev/ttyS0)", setup->text());
}

}  // namespace
