// The setup dialog's Test button against servers on this machine: a closed port, a raw TCP
// listener and ser2net in front of the simulated controllers. Loopback servers and ser2net
// are POSIX only.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "PtyServer.h"
#include "ScriptedPrompts.h"
#include "Ser2net.h"
#include "UiFixtures.h"
#include "app/PortSetupDlg.h"

namespace {

const std::vector<CSerialDevice> kDevices = {{"/dev/ttyS0", "/dev/ttyS0"}};

class PortSetupAddressTest : public ::testing::Test {
protected:
    CTempSettings settings;
    CScriptedPrompts prompts;
};

TEST_F(PortSetupAddressTest, TestTellsWhatAnsweredAtTheAddress) {
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

}  // namespace
