#pragma once
// CMainFrame: the program's single main window. It owns the controller table (what the
// last search found and which controller the operator selected) and the connection
// choices (COM port, parity, save on exit), shows the menu of the menu table with its
// accelerators and a status bar, and runs every controller command as a service
// session. Its client area shows the selected controller and what it last reported; all
// work happens in modal dialogs.

#include <QMainWindow>
#include <QPointer>
#include <utility>
#include <vector>

#include "app/MenuTable.h"
#include "protocol/ControllerTable.h"

class CControllerPanel;
class CHelpWnd;
class CLineMonitorWnd;
class CHelpFile;
class QLabel;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // Loads the connection choices from the settings file; they are written back when the
    // frame is destroyed, if the save option is then on.
    explicit CMainFrame(const CHelpFile& helpFile);
    ~CMainFrame() override;

    ControllerTable& Table() { return table; }
    int PortIndex() const { return portIndex; }
    char Parity() const { return parity; }
    int SaveOnExit() const { return saveOnExit; }
    int PartNumbersAvailable() const { return partNumbersAvailable; }
    const ControllerTable& Remembered() const { return remembered; }

    // The menu item that runs commandId; null for an unknown identifier.
    QAction* CommandAction(int commandId) const;
    // Sets every menu item's enabled state and check mark from the frame's state.
    void UpdateCommandUi();

protected:
    // Shows the prompt of the highlighted menu item in the message pane.
    bool event(QEvent* event) override;
    // Exit, or the close box, ends the program: the windows beside the main window close
    // with it.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    void OnCommand(const MenuItem& item);
    template <class Session>
    void RunSession();
    bool IsEnabled(EnableRule rule) const;
    bool IsChecked(const MenuItem& item) const;
    void ShowHelpIndex();
    void ShowLineMonitor();
    void Reconnect();
    void RunPortSetup();
    void LoadSettings();
    void SaveSettings() const;

    const CHelpFile& helpFile;
    ControllerTable table{};
    // The last search and selection, from the settings file or from this run.
    ControllerTable remembered{};
    QLabel* messagePane = nullptr;
    // Set by LoadSettings.
    char parity = 0;
    int saveOnExit = 0;
    int portIndex = 0;
    int partNumbersAvailable = 0;
    std::vector<std::pair<const MenuItem*, QAction*>> actions;
    QPointer<CLineMonitorWnd> lineMonitor;  // while it is open
    QPointer<CHelpWnd> helpWindow;          // while it is open
    CControllerPanel* panel = nullptr;
};
