// Reconnect to the controller selected in the last search, kept in the settings file:
// nothing goes on the line at start-up; the controller present, absent and moved to
// another rate; the remembered controllers end resumed; the search is written back.

#include <gtest/gtest.h>

#include <QAction>
#include <memory>
#include <string>

#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "app/MainFrame.h"
#include "app/TarnApp.h"
#include "settings/PortFactory.h"

namespace {

constexpr char kRemembered[] = "[LastSearch]\nFound=A0 C1\nSelected=C1\n";

class ReconnectTest : public ::testing::Test {
protected:
    ReconnectTest()
        : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {}

    // Starts the program on a settings file with text; answers the main window.
    CMainFrame& Start(const std::string& text) {
        settings.Write(text);
        app = std::make_unique<CTarnApp>();
        app->SetSplashMs(0);
        app->InitInstance();
        return *app->MainFrame();
    }
    void ExpectNoAnswer() {
        CMainFrame& frame = Start(kRemembered);
        frame.CommandAction(kCmdReconnect)->trigger();
        EXPECT_EQ(prompts.Texts(),
                  std::vector<std::string>{"Controller C did not answer at 19200 baud.\nPress F5 "
                                           "(Ping) to search the line."});
        EXPECT_EQ(frame.Table()[0][0], 0);
        EXPECT_FALSE(frame.CommandAction(kCmdDiagnostics)->isEnabled());
        EXPECT_TRUE(frame.CommandAction(kCmdReconnect)->isVisible());
        ExpectAllResumed();
    }
    void ExpectAllResumed() {
        for (int i = 0; i < line.ControllerCount(); ++i) {
            EXPECT_FALSE(line.Controller(i).IsSuspended()) << line.Controller(i).Id();
        }
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    CTempSettings settings;
    std::unique_ptr<CTarnApp> app;
};

TEST_F(ReconnectTest, ControllerPresentIsSelectedAndTheSearchIsWrittenBack) {
    line.AddController('A', 0);
    CSimController* c = line.AddController('C', 1);
    CMainFrame& frame = Start("[LastSearch]\nFound = C1 A0 \nSelected=C1\n");
    QAction* reconnect = frame.CommandAction(kCmdReconnect);
    EXPECT_TRUE(line.HostBursts().empty());
    EXPECT_TRUE(reconnect->isVisible());
    EXPECT_EQ(reconnect->text().toStdString(), "&Reconnect to C at 19200\tCtrl+F5");
    EXPECT_EQ(reconnect->shortcut(), QKeySequence(QStringLiteral("Ctrl+F5")));

    reconnect->trigger();
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(frame.Table()[0], (std::array<int32_t, 4>{'C', 1, 'X', 0}));
    EXPECT_TRUE(frame.CommandAction(kCmdDiagnostics)->isEnabled());
    std::string letters;
    for (const SimReceivedFrame& frame : c->Received()) {
        letters += static_cast<char>(frame.bytes[2]);
    }
    EXPECT_EQ(letters, "VPv");
    ExpectAllResumed();

    app.reset();
    const std::string written = settings.Read();
    EXPECT_NE(written.find(kRemembered), std::string::npos) << written;
}

TEST_F(ReconnectTest, ControllerAbsentIsToldAndNothingIsSelected) {
    line.AddController('A', 0);
    ExpectNoAnswer();
}

TEST_F(ReconnectTest, ControllerMovedToAnotherRateIsToldAndNothingIsSelected) {
    line.AddController('A', 0);
    line.AddController('C', 2);
    ExpectNoAnswer();
}

TEST_F(ReconnectTest, WithoutARememberedSelectionTheCommandIsHidden) {
    for (const char* text :
         {"", "[LastSearch]\nFound=A0\nSelected=\n", "[LastSearch]\nFound=A0\nSelected=C1\n"}) {
        CMainFrame& frame = Start(text);
        EXPECT_FALSE(frame.CommandAction(kCmdReconnect)->isVisible()) << text;
        app.reset();
    }
}

}  // namespace
