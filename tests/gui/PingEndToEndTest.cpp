// F5 in the main window, end to end and in real time: the program opens COM2, which the
// settings file maps to the simulated controllers served on a pseudo-terminal, searches
// the line through the operating system's serial port, and the operator picks a
// controller in the Ping dialog. The server runs on a thread of its own and owns the line;
// the test reads the line again only after stopping it.

#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "PtyServer.h"
#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/MainFrame.h"
#include "app/PingDlg.h"
#include "app/TarnApp.h"

namespace {

// The search asks 15 IDs at three rates and promises the operator about 20 seconds.
constexpr auto kSearchBound = std::chrono::seconds(40);

TEST(PingEndToEndTest, SearchThroughTheSerialPortFindsTheControllersOnThePseudoTerminal) {
    CSimLine line;
    line.AddController('B', 0);
    line.AddController('E', 2);
    CPtyServer server(line);
    ASSERT_EQ(server.Open(), 0);
    server.Start();

    CTempSettings settings;
    settings.Write("[Ports]\nCOM2=" + server.DevicePath() + "\n");
    const CScriptedPrompts prompts;
    CTarnApp app;
    app.SetSplashMs(0);
    app.InitInstance();
    CMainFrame& frame = *app.MainFrame();
    ASSERT_EQ(frame.PortIndex(), 1);

    std::vector<std::string> found;
    const CWhenModal<CPingDlg> choose([&found](CPingDlg& dialog) {
        QTableWidget* grid = dialog.findChild<QTableWidget*>("grid");
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                if (!grid->item(row, column)->text().isEmpty()) {
                    found.push_back(grid->verticalHeaderItem(row)->text().toStdString() + "@" +
                                    grid->horizontalHeaderItem(column)->text().toStdString());
                }
            }
        }
        const QRect cell = grid->visualRect(grid->model()->index('E' - 'A', 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    const auto start = std::chrono::steady_clock::now();
    frame.CommandAction(kCmdPing)->trigger();
    const auto took = std::chrono::steady_clock::now() - start;
    server.Stop();

    EXPECT_EQ(choose.Count(), 1);
    EXPECT_LT(took, kSearchBound);
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(found, (std::vector<std::string>{"B@9600", "E@38400"}));
    EXPECT_EQ(frame.Table()[0], (std::array<int32_t, 4>{'E', 2, 'X', 0}));
    EXPECT_TRUE(frame.CommandAction(kCmdDiagnostics)->isEnabled());
    // Suspended for the search, resumed when the dialog closed.
    for (int i = 0; i < line.ControllerCount(); ++i) {
        EXPECT_FALSE(line.Controller(i).IsSuspended()) << line.Controller(i).Id();
    }
}

}  // namespace
