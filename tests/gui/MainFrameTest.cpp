// The main window as the operator meets it: start-up, the menu's enabling and check
// marks, the status bar, the settings kept between runs, and the controller commands'
// port opening.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "ScriptedPrompts.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/HelpFile.h"
#include "app/MainFrame.h"
#include "app/TarnApp.h"

namespace {

constexpr int kPortCommands[] = {32776, 32777, 32786, 32787, 32797, 32798, 32799, 32801,
                                 32802, 32803, 32804, 32805, 32806, 32807, 32808, 32809,
                                 32810, 32811, 32812, 32813, 32814, 32815, 32816, 32817};
constexpr int kParityCommands[] = {kCmdParityEven, kCmdParityOdd, kCmdParityNone};

// Starts the program with the settings in a temporary folder and the current directory
// in another, with a splash that closes at once.
class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(workFolder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(workFolder.path());
    }
    void TearDown() override {
        app.reset();
        QDir::setCurrent(previousFolder);
    }

    CMainFrame& Start() {
        app = std::make_unique<CTarnApp>();
        app->SetSplashMs(0);
        app->InitInstance();
        return *app->MainFrame();
    }
    // Destroys the main window as quitting does.
    void Quit() { app.reset(); }

    QAction& Command(int id) {
        QAction* action = app->MainFrame()->CommandAction(id);
        EXPECT_NE(action, nullptr) << id;
        return *action;
    }
    std::vector<int> Checked(const int* ids, size_t count) {
        std::vector<int> checked;
        for (size_t i = 0; i < count; ++i) {
            if (Command(ids[i]).isChecked()) {
                checked.push_back(ids[i]);
            }
        }
        return checked;
    }
    std::vector<int> CheckedPorts() { return Checked(kPortCommands, std::size(kPortCommands)); }
    std::vector<int> CheckedParity() {
        return Checked(kParityCommands, std::size(kParityCommands));
    }
    void Select(char id, int baudIndex) {
        ControllerTable& table = app->MainFrame()->Table();
        table[0] = {id, baudIndex, 'X', 0};
        table[static_cast<size_t>(id - 0x40)][static_cast<size_t>(baudIndex)] = 'X';
        app->MainFrame()->UpdateCommandUi();
    }

    CTempSettings settings;
    QTemporaryDir workFolder;
    QString previousFolder;
    std::unique_ptr<CTarnApp> app;
};

TEST_F(MainFrameTest, StartsWithTitleMenuAndGreyedControllerCommands) {
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.windowTitle().toStdString(), "TALVEN VARN 2.1 with Blanking");
    EXPECT_TRUE(frame.isVisible());

    EXPECT_TRUE(Command(kCmdPing).isEnabled());
    EXPECT_TRUE(Command(kCmdEditPsf).isEnabled());
    EXPECT_FALSE(Command(kCmdDiagnostics).isEnabled());
    EXPECT_FALSE(Command(kCmdAlignment).isEnabled());
    EXPECT_FALSE(Command(kCmdPartNumber).isEnabled());
    EXPECT_FALSE(Command(kCmdReport).isEnabled());
    EXPECT_TRUE(Command(kCmdExit).isEnabled());
    EXPECT_TRUE(Command(kCmdAbout).isEnabled());
    // No "tarnhelp.hlp" in the current directory.
    EXPECT_FALSE(app->HelpFilePresent());
    EXPECT_FALSE(Command(kCmdHelpIndex).isEnabled());

    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    EXPECT_EQ(menus[0]->text().toStdString(), "&SKELDA");
    EXPECT_EQ(menus[1]->text().toStdString(), "&Options");
    EXPECT_EQ(menus[2]->text().toStdString(), "&View");
    EXPECT_EQ(menus[3]->text().toStdString(), "&Report");
    EXPECT_EQ(menus[4]->text().toStdString(), "&Help");
    std::vector<std::string> skelda;
    for (QAction* action : menus[0]->menu()->actions()) {
        if (!action->isVisible()) {
            continue;  // Reconnect, without a remembered selection
        }
        skelda.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    EXPECT_EQ(skelda, (std::vector<std::string>{"&Ping...\tF5", "&Edit PSF...\tF6",
                                                "&Diagnostics...\tF7", "&Alignment...\tF8", "-",
                                                "Set Part &Number...", "-", "E&xit"}));
}

TEST_F(MainFrameTest, HelpIndexNeedsTheHelpFileInTheCurrentDirectory) {
    QFile help(workFolder.filePath(QStringLiteral("tarnhelp.hlp")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    Start();
    EXPECT_TRUE(app->HelpFilePresent());
    EXPECT_TRUE(Command(kCmdHelpIndex).isEnabled());
    EXPECT_TRUE(CHelpFile::Path().endsWith(QStringLiteral("/gui_tests.HLP")));
}

TEST_F(MainFrameTest, SelectionEnablesControllerCommandsAndPartNumbersNeedTheirSection) {
    settings.Write("[PartNumbers]\nFirst=000123\n");
    Start();
    EXPECT_FALSE(Command(kCmdPartNumber).isEnabled());
    Select('C', 1);
    EXPECT_TRUE(Command(kCmdDiagnostics).isEnabled());
    EXPECT_TRUE(Command(kCmdAlignment).isEnabled());
    EXPECT_TRUE(Command(kCmdPartNumber).isEnabled());
    EXPECT_TRUE(Command(kCmdReport).isEnabled());
}

TEST_F(MainFrameTest, SetPartNumberStaysGreyedWithoutPartNumbers) {
    settings.Write("[PartNumbers]\n[Other]\nFirst=000123\n");
    Start();
    Select('C', 1);
    EXPECT_TRUE(Command(kCmdDiagnostics).isEnabled());
    EXPECT_FALSE(Command(kCmdPartNumber).isEnabled());
    EXPECT_EQ(app->MainFrame()->PartNumbersAvailable(), 0);
}

TEST_F(MainFrameTest, PartNumbersCountAsPresentBeyondEightyBytesOfNames) {
    std::string section = "[PartNumbers]\n";
    for (int i = 0; i < 12; ++i) {
        section += "PartNumberEntry" + std::to_string(i) + "=00012" + std::to_string(i % 10) + "\n";
    }
    settings.Write(section);
    EXPECT_EQ(Start().PartNumbersAvailable(), 1);
}

TEST_F(MainFrameTest, DefaultsWithoutSettingsFile) {
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.PortIndex(), 1);
    EXPECT_EQ(frame.Parity(), 'E');
    EXPECT_EQ(frame.SaveOnExit(), 1);
    EXPECT_EQ(CheckedPorts(), std::vector<int>{32777});
    EXPECT_EQ(CheckedParity(), std::vector<int>{kCmdParityEven});
    EXPECT_TRUE(Command(kCmdSaveOnExit).isChecked());
}

TEST_F(MainFrameTest, CheckMarksFollowTheStoredValues) {
    settings.Write("[Communication]\nPort=23\n[Parity]\nSetting=78\n[Options]\nSave=0\n");
    CMainFrame& frame = Start();
    EXPECT_EQ(CheckedPorts(), std::vector<int>{32817});
    EXPECT_EQ(CheckedParity(), std::vector<int>{kCmdParityNone});
    EXPECT_FALSE(Command(kCmdSaveOnExit).isChecked());

    Command(32776).trigger();
    Command(kCmdParityOdd).trigger();
    Command(kCmdSaveOnExit).trigger();
    EXPECT_EQ(frame.PortIndex(), 0);
    EXPECT_EQ(frame.Parity(), 'O');
    EXPECT_EQ(frame.SaveOnExit(), 1);
    EXPECT_EQ(CheckedPorts(), std::vector<int>{32776});
    EXPECT_EQ(CheckedParity(), std::vector<int>{kCmdParityOdd});
    EXPECT_TRUE(Command(kCmdSaveOnExit).isChecked());
}

TEST_F(MainFrameTest, ValuesOutsideTheMenusCheckNothingAndAreKept) {
    settings.Write("[Communication]\nPort=30\n[Parity]\nSetting=65\n");
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.PortIndex(), 30);
    EXPECT_EQ(frame.Parity(), 'A');
    EXPECT_TRUE(CheckedPorts().empty());
    EXPECT_TRUE(CheckedParity().empty());
    // Choosing an entry that is already unchecked must not leave two checks behind.
    Command(32777).trigger();
    EXPECT_EQ(CheckedPorts(), std::vector<int>{32777});
}

TEST_F(MainFrameTest, QuittingWritesTheChoicesAndKeepsOtherLines) {
    settings.Write("; service settings\n[Ports]\nCOM1=/dev/ttyUSB0\n[Parity]\nSetting=69\n");
    Start();
    Command(32776).trigger();
    Command(kCmdParityNone).trigger();
    Quit();
    const std::string saved = settings.Read();
    EXPECT_EQ(saved,
              "; service settings\n[Ports]\nCOM1=/dev/ttyUSB0\n[Parity]\nSetting=78\n\n"
              "[Communication]\nPort=0\n\n[Options]\nSave=1\n");
}

TEST_F(MainFrameTest, QuittingWithSaveOffWritesNothing) {
    const std::string before = "[Communication]\nPort=3\n";
    settings.Write(before);
    Start();
    Command(32776).trigger();
    Command(kCmdSaveOnExit).trigger();
    Quit();
    EXPECT_EQ(settings.Read(), before);

    // The next start has the stored settings, and the option on again.
    CMainFrame& frame = Start();
    EXPECT_EQ(frame.PortIndex(), 3);
    EXPECT_EQ(frame.SaveOnExit(), 1);
}

TEST_F(MainFrameTest, ExitClosesTheMainWindow) {
    CMainFrame& frame = Start();
    Command(kCmdExit).trigger();
    EXPECT_FALSE(frame.isVisible());
}

// The line monitor closes with the main window, also after a modal dialog ran while it
// was open; otherwise the program would go on running.
TEST_F(MainFrameTest, ExitClosesEveryWindowAfterAModalDialogRan) {
    Start();
    Command(kCmdLineMonitor).trigger();
    {
        const CWhenModal<QDialog> close([](QDialog& dialog) { dialog.reject(); });
        Command(kCmdAbout).trigger();
        ASSERT_EQ(close.Count(), 1);
    }
    Command(kCmdExit).trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
}

TEST_F(MainFrameTest, StatusBarShowsReadyAndTheHighlightedItemsPrompt) {
    CMainFrame& frame = Start();
    const QList<QLabel*> panes = frame.statusBar()->findChildren<QLabel*>();
    std::vector<std::string> names;
    for (QLabel* pane : panes) {
        names.push_back(pane->objectName().toStdString());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"messagePane", "CAP", "NUM", "SCRL"}));
    QLabel* message = panes[0];
    EXPECT_EQ(message->text().toStdString(), "Ready");

    // The operator opens Options, then its Serial Port submenu, and moves to COM24.
    QAction* optionsItem = frame.menuBar()->actions()[1];
    QMenu* options = optionsItem->menu();
    frame.menuBar()->setActiveAction(optionsItem);
    options->setActiveAction(options->actions()[0]);
    QTest::keyClick(options, Qt::Key_Right);
    QMenu* ports = options->actions()[0]->menu();
    ASSERT_TRUE(ports->isVisible());
    ports->setActiveAction(&Command(32817));
    EXPECT_EQ(message->text().toStdString(), "Device is connected to COM 24");
    ports->setActiveAction(&Command(32776));
    EXPECT_EQ(message->text().toStdString(), "Device is connected to COM1");
    QTest::keyClick(ports, Qt::Key_Escape);
    QTest::keyClick(options, Qt::Key_Escape);
    EXPECT_EQ(message->text().toStdString(), "Ready");
}

TEST_F(MainFrameTest, FunctionKeysRunTheirCommandsOnlyWhenEnabled) {
    CScopedVirtualClock clock;
    CRecordedLine line(*clock);
    CMainFrame& frame = Start();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_F7);  // Diagnostics: greyed, no controller selected
    EXPECT_TRUE(line.Opened().empty());
    // Each command's dialog closes as soon as it runs.
    const CWhenModal<QDialog> close([](QDialog& dialog) { dialog.reject(); });
    QTest::keyClick(&frame, Qt::Key_F6);  // Edit PSF
    ASSERT_EQ(line.Opened().size(), 1u);
    frame.activateWindow();  // back from the dialog
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    Select('B', 2);
    QTest::keyClick(&frame, Qt::Key_F8);  // Alignment
    EXPECT_EQ(line.Opened().size(), 2u);
}

TEST_F(MainFrameTest, CommandsOpenTheChosenPortAtTheSelectedRate) {
    CScopedVirtualClock clock;
    CRecordedLine line(*clock);
    Start();
    // Each command's dialog closes as soon as it runs.
    const CWhenModal<QDialog> close([](QDialog& dialog) { dialog.reject(); });
    Command(kCmdEditPsf).trigger();  // no selection: 9600
    Select('C', 1);
    Command(kCmdParityOdd).trigger();
    Command(32797).trigger();  // COM5, keeping the selection
    Command(kCmdDiagnostics).trigger();
    ASSERT_EQ(line.Opened().size(), 2u);
    EXPECT_EQ(line.Opened()[0].portNumber, 1);
    EXPECT_EQ(line.Opened()[0].baud, 9600);
    EXPECT_EQ(line.Opened()[0].parity, 'E');
    EXPECT_EQ(line.Opened()[1].portNumber, 4);
    EXPECT_EQ(line.Opened()[1].baud, 19200);
    EXPECT_EQ(line.Opened()[1].parity, 'O');
    EXPECT_EQ(app->MainFrame()->Table()[0][0], 'C');
}

TEST_F(MainFrameTest, PortThatCannotBeOpenedIsReportedAndNothingIsSent) {
    CScopedVirtualClock clock;
    CRecordedLine line(*clock);
    line.SetOpenStatus(kPortNotFound);
    CScriptedPrompts prompts;
    CMainFrame& frame = Start();
    Select('C', 1);
    const ControllerTable before = frame.Table();
    Command(32797).trigger();
    Command(kCmdDiagnostics).trigger();
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const auto& message = prompts.Messages()[0];
    EXPECT_EQ(message.text,
              std::string("Unable to open COM5:\n") + BaseStatusText(kPortNotFound) + "\n");
    EXPECT_EQ(message.icon, PromptIcon::kExclamation);
    EXPECT_EQ(message.buttons, PromptButtons::kOk);
    EXPECT_EQ(message.owner, &frame);
    ASSERT_EQ(line.Opened().size(), 1u);
    EXPECT_TRUE(line.Opened()[0].written.empty());
    EXPECT_EQ(frame.Table(), before);
}

TEST_F(MainFrameTest, DialogsAreLightGreyWithBlackText) {
    Start();
    QDialog dialog;
    dialog.ensurePolished();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(dialog.palette().color(QPalette::WindowText), QColor(Qt::black));
}

}  // namespace
