#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QUrl>
#include <array>
#include <string>

#include "app/AboutDlg.h"
#include "app/AlignmentSession.h"
#include "app/ControllerPanel.h"
#include "app/DiagnosticsSession.h"
#include "app/EditPsfSession.h"
#include "app/HelpFile.h"
#include "app/HelpWnd.h"
#include "app/KeyIndicators.h"
#include "app/LineMonitorWnd.h"
#include "app/PartNumberSession.h"
#include "app/PingSession.h"
#include "app/PortSetupDlg.h"
#include "app/ReconnectSession.h"
#include "app/ReportSession.h"
#include "settings/ConnectionSettings.h"
#include "settings/RememberedSearch.h"
#include "settings/SerialDevices.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"
#include "widgets/AppTitle.h"

namespace {
constexpr char kIdleMessage[] = "Ready";
constexpr long kDefaultBaudRate = 9600;
constexpr int kMenuCount = kMenuView + 1;

constexpr char kOptions[] = "Options";
constexpr char kSave[] = "Save";
constexpr char kPartNumbers[] = "PartNumbers";
}  // namespace

CMainFrame::CMainFrame(const CHelpFile& helpFile) : helpFile(helpFile) {
    panel = new CControllerPanel(this);
    setCentralWidget(panel);
    CreateMenus();
    CreateStatusBar();
    LoadSettings();
    UpdateCommandUi();
    resize(640, 480);
}

CMainFrame::~CMainFrame() {
    SaveSettings();
}

void CMainFrame::CreateMenus() {
    std::array<QMenu*, kMenuCount> menus{};
    for (const MenuItem& item : kMenuTable) {
        QMenu* holder = menus[static_cast<size_t>(item.menu)];
        if (item.caption == nullptr) {
            holder->addSeparator();
            continue;
        }
        const QString caption = QString::fromLatin1(item.caption);
        if (item.commandId == 0) {
            menus[static_cast<size_t>(item.opens)] =
                item.menu == kMenuBar ? menuBar()->addMenu(caption) : holder->addMenu(caption);
            continue;
        }
        // The caption carries the accelerator's text after the tab, so the menu shows it
        // as written; the shortcut itself makes the key work.
        QAction* action = holder->addAction(caption);
        action->setStatusTip(QString::fromLatin1(item.prompt));
        if (item.functionKey != 0) {
            action->setShortcut(QKeySequence(Qt::Key_F1 + item.functionKey - 1));
            action->setShortcutContext(Qt::WindowShortcut);
        } else if (item.keys != nullptr) {
            action->setShortcut(QKeySequence(QString::fromLatin1(item.keys)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setCheckable(item.check != CheckRule::kNever);
        connect(action, &QAction::triggered, this, [this, &item] { OnCommand(item); });
        actions.emplace_back(&item, action);
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    messagePane = new QLabel(QString::fromLatin1(kIdleMessage), bar);
    messagePane->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(messagePane, 1);
    new CKeyIndicators(bar);
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        messagePane->setText(tip.isEmpty() ? QString::fromLatin1(kIdleMessage) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (lineMonitor != nullptr) {
        lineMonitor->close();
    }
    if (helpWindow != nullptr) {
        helpWindow->close();
    }
    QMainWindow::closeEvent(event);
}

QAction* CMainFrame::CommandAction(int commandId) const {
    for (const auto& [item, action] : actions) {
        if (item->commandId == commandId) {
            return action;
        }
    }
    return nullptr;
}

bool CMainFrame::IsEnabled(EnableRule rule) const {
    const bool selected = table[0][0] != 0;
    switch (rule) {
        case EnableRule::kControllerSelected:
            return selected;
        case EnableRule::kSelectedWithPartNumbers:
            return selected && partNumbersAvailable == 1;
        case EnableRule::kSelectionRemembered:
            return HasRememberedSelection(remembered);
        case EnableRule::kHelpFilePresent:
            return helpFile.Present() || !CHelpWnd::UserGuidePath().isEmpty();
        case EnableRule::kAlways:
            break;
    }
    return true;
}

bool CMainFrame::IsChecked(const MenuItem& item) const {
    switch (item.check) {
        case CheckRule::kPort:
            return portIndex == item.value;
        case CheckRule::kParity:
            return parity == item.value;
        case CheckRule::kSaveOnExit:
            return saveOnExit != 0;
        case CheckRule::kNever:
            break;
    }
    return false;
}

void CMainFrame::UpdateCommandUi() {
    for (const auto& [item, action] : actions) {
        action->setEnabled(IsEnabled(item->enable));
        action->setChecked(IsChecked(*item));
    }
    QAction* reconnect = CommandAction(kCmdReconnect);
    reconnect->setVisible(reconnect->isEnabled());
    if (reconnect->isEnabled()) {
        reconnect->setText(QStringLiteral("&Reconnect to %1 at %2\tCtrl+F5")
                               .arg(QChar::fromLatin1(static_cast<char>(remembered[0][0])))
                               .arg(CControllerLink::BaudRateOf(remembered[0][1])));
    }
    if (QAction* setup = CommandAction(kCmdPortSetup)) {
        setup->setText(PortSetupCaption(portIndex, SettingsFilePath()));
    }
    panel->Refresh(table);
}

template <class Session>
void CMainFrame::RunSession() {
    Session session(&table, this, portIndex, parity, kDefaultBaudRate);
    session.Run();
}

void CMainFrame::OnCommand(const MenuItem& item) {
    switch (item.check) {
        case CheckRule::kPort:
            portIndex = item.value;
            break;
        case CheckRule::kParity:
            parity = static_cast<char>(item.value);
            break;
        case CheckRule::kSaveOnExit:
            saveOnExit = saveOnExit == 0 ? 1 : 0;
            break;
        case CheckRule::kNever:
            switch (item.commandId) {
                case kCmdPing:
                    RunSession<CPingSession>();
                    break;
                case kCmdReconnect:
                    Reconnect();
                    break;
                case kCmdEditPsf:
                    RunSession<CEditPsfSession>();
                    break;
                case kCmdDiagnostics:
                    RunSession<CDiagnosticsSession>();
                    break;
                case kCmdAlignment:
                    RunSession<CAlignmentSession>();
                    break;
                case kCmdPartNumber:
                    RunSession<CPartNumberSession>();
                    break;
                case kCmdReport:
                    RunSession<CReportSession>();
                    break;
                case kCmdExit:
                    close();
                    break;
                case kCmdHelpIndex:
                    ShowHelpIndex();
                    break;
                case kCmdAbout:
                    CAboutDlg(this).exec();
                    break;
                case kCmdPortSetup:
                    RunPortSetup();
                    break;
                case kCmdLineMonitor:
                    ShowLineMonitor();
                    break;
                default:
                    break;
            }
            break;
    }
    // What this run found and selected is what Reconnect offers next.
    if (table != ControllerTable{}) {
        remembered = table;
    }
    UpdateCommandUi();
}

// The remembered selection becomes the selection when its controller answers.
void CMainFrame::Reconnect() {
    ControllerTable asked = remembered;
    CReconnectSession session(&asked, this, portIndex, parity, kDefaultBaudRate);
    if (session.Run()) {
        table = asked;
    }
}

// The port chosen in the setup becomes the port of the next command.
void CMainFrame::RunPortSetup() {
    CPortSetupDlg dialog(this, portIndex, SettingsFilePath(), ListSerialDevices());
    if (dialog.exec() == QDialog::Accepted) {
        portIndex = dialog.ChosenPort();
    }
}

void CMainFrame::ShowLineMonitor() {
    if (lineMonitor == nullptr) {
        lineMonitor = new CLineMonitorWnd(this);
    }
    lineMonitor->show();
    lineMonitor->raise();
    lineMonitor->activateWindow();
}

// Without the help file the installed user guide opens in a help window of its own.
void CMainFrame::ShowHelpIndex() {
    if (helpFile.Present()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(CHelpFile::Path()));
        return;
    }
    if (helpWindow == nullptr) {
        helpWindow = new CHelpWnd(this, CHelpWnd::UserGuidePath());
    }
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
}

// Values are taken as read, without range checks: a port index or parity letter that no
// menu item stands for leaves that menu without a check mark and goes to the port as is.
void CMainFrame::LoadSettings() {
    const CSettingsFile file(SettingsFilePath());
    const ConnectionChoice choice = ReadConnectionChoice(file);
    portIndex = choice.portIndex;
    parity = choice.parity;
    saveOnExit = file.GetInt(kOptions, kSave, 1);
    partNumbersAvailable = file.EntryNames(kPartNumbers).empty() ? 0 : 1;
    remembered = LoadRememberedSearch(file);
}

// With the option off nothing is written, so the stored "Save" applies at the next start.
// A file that cannot be written is left as it was, without a message.
void CMainFrame::SaveSettings() const {
    if (saveOnExit == 0) {
        return;
    }
    CSettingsFile file(SettingsFilePath());
    file.WriteString(kCommunicationSection, kPortEntry, std::to_string(portIndex));
    file.WriteString(kParitySection, kParityEntry,
                     std::to_string(static_cast<signed char>(parity)));
    file.WriteString(kOptions, kSave, std::to_string(saveOnExit));
    StoreRememberedSearch(file, remembered);
    file.Save();
}
