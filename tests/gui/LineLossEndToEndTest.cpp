// The simulator goes away in the middle of a command, end to end and in real time: the
// program runs against the simulated controllers served on a pseudo-terminal, reached
// through COM2, which the settings file maps to a link that points at the server's
// device. The server is stopped during an alignment scan loop, during the controller
// search and during Execute's measurement loop; the program tells the operator within a
// bounded time and returns to the main window, and once a new server is behind the same
// link the next command works.

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "AlignmentFixture.h"
#include "BeamMeasures.h"
#include "PtyServer.h"
#include "ScriptedPrompts.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "alignment/AlignmentDlg.h"
#include "app/MainFrame.h"
#include "app/PartNumberDlg.h"
#include "app/PingDlg.h"
#include "app/TarnApp.h"
#include "psf/MeasurementDlg.h"
#include "psf/PsfDlg.h"
#include "widgets/IdlePump.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;

// Once the device is gone every transfer fails at once; what remains is the restore's
// second try a second later.
constexpr long kReportBoundMs = 3000;

long MsSince(SteadyClock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

void Press(QWidget& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

// A server of one controller, A at 9600 baud with one board, behind a symbolic link that
// the settings file maps COM2 to. Each Start serves a fresh line on a new pseudo-terminal
// and points the link at it. The server's thread owns the line while it serves; the test
// reads the line only after Stop.
class CLinkedServer {
public:
    CLinkedServer() {
        settings.Write("[Ports]\nCOM2=" + LinkPath() + "\n[PartNumbers]\nFirst=000123\n");
    }
    ~CLinkedServer() { Stop(); }
    CLinkedServer(const CLinkedServer&) = delete;
    CLinkedServer& operator=(const CLinkedServer&) = delete;

    void Start() {
        server.reset();
        line = std::make_unique<CSimLine>();
        CSimController* a = line->AddController('A', 0);
        a->Psf().SetControlMode('a');          // Continuous
        a->Psf().SetSerialTransmission(0x65);  // Max Meas, Send On Clear, binary
        a->Psf().SetMeasMode(1, kTotalBlocked);
        a->SetBlocked(3);
        server = std::make_unique<CPtyServer>(*line);
        ASSERT_EQ(server->Open(), 0);
        const QString link = QString::fromStdString(LinkPath());
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(QString::fromStdString(server->DevicePath()), link));
        server->Start();
        stopped = false;
    }
    void Stop() {
        if (server != nullptr && !stopped) {
            server->Stop();
            stopped = true;
            stoppedAt = SteadyClock::now();
        }
    }
    bool Stopped() const { return stopped; }
    SteadyClock::time_point StoppedAt() const { return stoppedAt; }
    // After Stop only.
    CSimController& Controller() const { return line->Controller(0); }

private:
    std::string LinkPath() const {
        return folder.filePath(QStringLiteral("tarnlink")).toStdString();
    }

    QTemporaryDir folder;
    CTempSettings settings;
    std::unique_ptr<CSimLine> line;
    std::unique_ptr<CPtyServer> server;
    bool stopped = true;
    SteadyClock::time_point stoppedAt;
};

class LineLossEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.Start();
        app.SetSplashMs(0);
        app.InitInstance();
        ASSERT_EQ(Frame().PortIndex(), 1);
    }

    CMainFrame& Frame() { return *app.MainFrame(); }
    void SelectA() {
        ControllerTable& table = Frame().Table();
        table = ControllerTable{};
        table[0] = {'A', 0, kFoundMarker, 0};
        table['A' - 0x40][0] = kFoundMarker;
        Frame().UpdateCommandUi();
    }
    void Run(int command) { Frame().CommandAction(command)->trigger(); }
    // The operator's turn in the dialog in front: nothing waits on the line.
    template <class Dialog>
    static Dialog* Turn() {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        return dialog != nullptr && !InputHeld() ? dialog : nullptr;
    }

    // With a new server behind the link, Set Part Number reaches the controller.
    void ExpectUsableAgain() {
        server.Start();
        const CWhenModal<CPartNumberDlg> ok(
            [](CPartNumberDlg& dialog) { Press(dialog, "okButton"); });
        Run(kCmdPartNumber);
        server.Stop();
        EXPECT_EQ(ok.Count(), 1);
        EXPECT_EQ(prompts.Texts().back(), "Part Number and Date Code Set.");
        EXPECT_EQ(server.Controller().PartNumber(), 123u);
        EXPECT_FALSE(server.Controller().IsSuspended());
    }

    CLinkedServer server;
    CScriptedPrompts prompts;
    CTarnApp app;
};

TEST_F(LineLossEndToEndTest, SimulatorStoppedDuringTheAlignmentScanLoop) {
    SelectA();
    const CWhen stop(
        [] {
            auto* dialog = qobject_cast<CAlignmentDlg*>(QApplication::activeModalWidget());
            return dialog != nullptr && dialog->ScanCount() >= 2;
        },
        [this] { server.Stop(); });
    // The operator tries Cancel first; the controller cannot take its blanking back.
    const CWhen cancel([&] { return stop.Done() && Turn<CAlignmentDlg>() != nullptr; },
                       [] { Press(*Turn<CAlignmentDlg>(), "cancelButton"); });
    const CWhen ok([&] { return cancel.Done() && Turn<CAlignmentDlg>() != nullptr; },
                   [] { Press(*Turn<CAlignmentDlg>(), "okButton"); });
    Run(kCmdAlignment);
    ASSERT_TRUE(server.Stopped());
    EXPECT_LT(MsSince(server.StoppedAt()), kReportBoundMs);
    EXPECT_EQ(prompts.Texts(), (Texts{"Unable to Input Scan.",
                                      "Unable to restore initial controller blanking fields.",
                                      "Unable to exit alignment mode"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ExpectUsableAgain();
}

TEST_F(LineLossEndToEndTest, SimulatorStoppedDuringTheSearch) {
    const auto start = SteadyClock::now();
    // A at 9600 is asked within the first second; the other IDs and rates take some 9 more.
    const CWhen stop([&] { return MsSince(start) >= 1500; }, [this] { server.Stop(); });
    std::vector<std::string> found;
    {
        const CWhenModal<CPingDlg> cancel([&found](CPingDlg& dialog) {
            auto* grid = dialog.findChild<QTableWidget*>("grid");
            for (int row = 0; row < grid->rowCount(); ++row) {
                for (int column = 0; column < grid->columnCount(); ++column) {
                    if (!grid->item(row, column)->text().isEmpty()) {
                        found.push_back(grid->verticalHeaderItem(row)->text().toStdString() + "@" +
                                        grid->horizontalHeaderItem(column)->text().toStdString());
                    }
                }
            }
            Press(dialog, "cancelButton");
        });
        Run(kCmdPing);
        ASSERT_TRUE(server.Stopped());
        // The rest of the search fails at once instead of waiting out every ping.
        EXPECT_LT(MsSince(server.StoppedAt()), kReportBoundMs);
        EXPECT_EQ(cancel.Count(), 1);
        EXPECT_EQ(found, std::vector<std::string>{"A@9600"});
        EXPECT_TRUE(prompts.Texts().empty());
    }

    // With a new server behind the link, a search finds A again and the operator picks it.
    server.Start();
    const CWhenModal<CPingDlg> pick([](CPingDlg& dialog) {
        auto* grid = dialog.findChild<QTableWidget*>("grid");
        const QRect cell = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    Run(kCmdPing);
    server.Stop();
    EXPECT_EQ(pick.Count(), 1);
    EXPECT_EQ(Frame().Table()[0], (std::array<int32_t, 4>{'A', 0, kFoundMarker, 0}));
    EXPECT_FALSE(server.Controller().IsSuspended());
}

TEST_F(LineLossEndToEndTest, SimulatorStoppedDuringExecuteKeepsThePreviousPsfInAFile) {
    SelectA();
    QTemporaryDir folder;
    const std::string saved = folder.filePath(QStringLiteral("ORIGINAL.PSF")).toStdString();
    prompts.ScriptAnswers({kAnswerOk, kAnswerYes});
    prompts.ScriptFiles({saved});
    const CWhenModal<CPsfDlg> execute([](CPsfDlg& dialog) { Press(dialog, "executeButton"); });
    const CWhenModal<CMeasurementDlg> run(
        [](CMeasurementDlg& dialog) { Press(dialog, "runButton"); });
    SteadyClock::time_point running;
    const CWhen stop(
        [&] {
            if (PumpTarget() == nullptr) {
                return false;
            }
            if (running == SteadyClock::time_point{}) {
                running = SteadyClock::now();
            }
            return MsSince(running) >= 300;
        },
        [this] { server.Stop(); });
    const CWhen exit([&] { return stop.Done() && Turn<CMeasurementDlg>() != nullptr; },
                     [] { Press(*Turn<CMeasurementDlg>(), "exitButton"); });
    const CWhen quit([&] { return exit.Done() && Turn<CPsfDlg>() != nullptr; },
                     [] { Press(*Turn<CPsfDlg>(), "quitButton"); });
    Run(kCmdEditPsf);
    ASSERT_TRUE(server.Stopped());
    EXPECT_LT(MsSince(server.StoppedAt()), kReportBoundMs);
    EXPECT_EQ(prompts.Texts(),
              (Texts{"Could not input scan.",
                     "Unable to restore original PSF.\nSave original PSF to a file?"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The controller was left with the trial PSF; the operator's file holds its own.
    CPsf original;
    ASSERT_TRUE(original.LoadFromFile(saved));
    EXPECT_EQ(original.GetControlMode(), 'a');
    EXPECT_EQ(original.GetSerialTransmission(), 0x65);
    EXPECT_EQ(server.Controller().Psf().GetControlMode(), 'b');
    EXPECT_EQ(server.Controller().Psf().GetSerialTransmission(), 0x44);
    ExpectUsableAgain();
}

}  // namespace
