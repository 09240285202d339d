// The program reaches its controllers through a serial device server, end to end and in
// real time: COM2 is mapped to the address of the serial-to-network proxy, which serves the
// simulated controllers' pseudo-terminal on a loopback port. The search finds the
// controller through it; the proxy stopped during the alignment scan loop is reported
// within a bounded time, and once it is back the next command works.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "AlignmentFixture.h"
#include "PtyServer.h"
#include "ScriptedPrompts.h"
#include "Ser2net.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "alignment/AlignmentDlg.h"
#include "app/MainFrame.h"
#include "app/PartNumberDlg.h"
#include "app/PingDlg.h"
#include "app/TarnApp.h"
#include "widgets/IdlePump.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;

constexpr long kReportBoundMs = 3000;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

void Press(QWidget& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

template <class Dialog>
Dialog* Turn() {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    return dialog != nullptr && !InputHeld() ? dialog : nullptr;
}

class DeviceServerEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CSer2net::Installed()) {
            GTEST_SKIP() << "ser2net is not installed";
        }
        controller = line.AddController('A', 0);
        ASSERT_EQ(0, server.Open());
        server.Start();
        proxy = std::make_unique<CSer2net>(server.DevicePath());
        ASSERT_TRUE(proxy->Start());
        settings.Write("[Ports]\nCOM2=" + proxy->Address() + "\n[PartNumbers]\nFirst=000123\n");
        app.SetSplashMs(0);
        app.InitInstance();
    }
    void TearDown() override {
        proxy.reset();
        server.Stop();
    }

    CMainFrame& Frame() { return *app.MainFrame(); }
    void Run(int command) { Frame().CommandAction(command)->trigger(); }

    // Set up before the server starts; afterwards only the server's thread touches them.
    CSimLine line;
    CSimController* controller = nullptr;
    CPtyServer server{line};
    std::unique_ptr<CSer2net> proxy;
    CTempSettings settings;
    CScriptedPrompts prompts;
    CTarnApp app;
};

TEST_F(DeviceServerEndToEndTest, FoundThroughTheServerWhichStopsInTheScanLoopAndComesBack) {
    const CWhenModal<CPingDlg> pick([](CPingDlg& dialog) {
        auto* grid = dialog.findChild<QTableWidget*>("grid");
        const QRect cell = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    Run(kCmdPing);
    ASSERT_EQ(pick.Count(), 1);
    ASSERT_EQ(Frame().Table()[0], (std::array<int32_t, 4>{'A', 0, kFoundMarker, 0}));

    SteadyClock::time_point stoppedAt;
    const CWhen stop(
        [] {
            auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
            return dialog != nullptr && dialog->ScanCount() >= 2;
        },
        [&] {
            proxy->Stop();
            stoppedAt = SteadyClock::now();
        });
    const CWhen ok([&] { return stop.Done() && Turn<CAlignmentDlg>() != nullptr; },
                   [] { Press(*Turn<CAlignmentDlg>(), "okButton"); });
    Run(kCmdAlignment);
    ASSERT_TRUE(stop.Done());
    EXPECT_LT(MsSince(stoppedAt), kReportBoundMs);
    // The loss is told with the server's address; the resume cannot go out while the
    // server is away.
    EXPECT_EQ(prompts.Texts(),
              (Texts{"Unable to Input Scan.", "Unable to exit alignment mode",
                     "Connection to 127.0.0.1:" + std::to_string(proxy->Port()) +
                         " lost\nThe controllers may still be suspended; the next search "
                         "resumes them."}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    ASSERT_TRUE(proxy->Start());
    const CWhenModal<CPartNumberDlg> write(
        [](CPartNumberDlg& dialog) { Press(dialog, "okButton"); });
    Run(kCmdPartNumber);
    EXPECT_EQ(write.Count(), 1);
    EXPECT_EQ(prompts.Texts().back(), "Part Number and Date Code Set.");
    proxy.reset();
    server.Stop();
    EXPECT_EQ(controller->PartNumber(), 123u);
    EXPECT_FALSE(controller->IsSuspended());
}

}  // namespace
