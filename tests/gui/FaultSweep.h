#pragma once
// The fault sweep's rig: the program's main window over two simulated controllers, A at
// 9600 baud (selected) and C at 19200 (known), a line fault armed at exactly the k-th
// frame that A hears, and an operator who clicks through every modal dialog by a script.
// The operator acts from a zero timer whenever it is his turn (a modal dialog is active
// and no exchange holds the input back), ends each scan loop once two scans went out,
// leaves every dialog by its exit buttons once the script is done, and gives up after a
// fixed number of turns or of virtual minutes, so no run can hang. After each run the rig
// reports the frames A heard, the messages shown, the dialogs left open and the state the
// controllers were left in.

#include <QDialog>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "SimDeviceServer.h"
#include "SimLine.h"
#include "UiFixtures.h"
#include "app/TarnApp.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

class CSweepRig;

using SweepBytes = std::vector<unsigned char>;

inline constexpr char kPsfFileName[] = "OTHER.PSF";
inline constexpr char kBfsFileName[] = "fields.bfs";

// What the operator does in one command: the menu command, and his turns in its dialogs
// by dialog class ("CPsfDlg", ...), in order over the run. Once a class's turns are used
// up he leaves its dialogs by their exit buttons.
struct SweepScript {
    using Turn = std::function<void(QDialog&, CSweepRig&)>;

    std::string name;
    int command = 0;
    std::map<std::string, std::vector<Turn>> turns;
    // Ends a scan loop: the first enabled of these buttons of the looping dialog.
    std::vector<const char*> loopEnders = {"stopButton"};
    // The answers of the file dialogs, in order: names of files in the rig's folder,
    // which holds kPsfFileName and kBfsFileName to read.
    std::vector<std::string> files;
};

// A controller as a run left it.
struct SweepControllerState {
    char id = 0;
    bool suspended = false;
    bool aligning = false;
    bool adjusting = false;
    SweepBytes psf;
};

struct SweepOutcome {
    std::string frames;  // command letters of the frames A heard, in order ('S' a scan)
    std::vector<std::string> messages;
    std::vector<std::string> openDialogs;  // class names of dialogs still open
    std::vector<std::string> giveUps;      // why the operator had to force his way out
    std::vector<SweepControllerState> controllers;
};

// Clicks button as the operator does, with the mouse.
void ClickButton(QDialog& dialog, const char* name);
// Chooses entry index of a drop-down list as the operator does.
void ChooseEntry(QDialog& dialog, const char* name, int index);
// The packed image of psf.
SweepBytes PsfImage(CPsf psf);

// Everything an operator can click or press: every enabled button of the active modal
// dialog (but those that end its scan loop while it runs), its lists and grids, its
// mnemonics, Enter, Escape and its close box; the main window's menu bar and function
// keys. Answers how many clicks and key presses were sent.
int ClickEverything(QWidget& mainWindow);

class CSweepRig {
public:
    // Starts the program with a settings file that offers a part number.
    CSweepRig();
    ~CSweepRig();
    CSweepRig(const CSweepRig&) = delete;
    CSweepRig& operator=(const CSweepRig&) = delete;

    QWidget& MainWindow() const;

    // Runs script's command from the main window on fresh controllers, with fault armed
    // at the exchange-th frame A hears (from 1; none for 0). duringExchange, when given,
    // runs once while the link waits for the reply to that frame.
    SweepOutcome Run(const SweepScript& script, std::optional<SimFault> fault = std::nullopt,
                     int exchange = 0, const std::function<void()>& duringExchange = {});
    // Runs script as Run does, through a device server on the network instead of the
    // serial port: fault strikes the run's first connection once A has heard the
    // exchange-th frame (ServerFault::kKeepsRate: every connection, from the start);
    // a connection made after it finds a server that works.
    SweepOutcome RunThroughServer(const SweepScript& script, ServerFault fault, int exchange);
    // The address of that server, as its messages name it.
    static constexpr char kServerAddress[] = "192.0.2.10:4001";

    // The PSF both controllers start each run with; its image.
    static CPsf StartPsf(char id, int baudIndex);
    // The frames A heard so far in the current run.
    std::string Frames() const;

    // The working PSFs the operator sent in this run (recorded by the scripts).
    std::vector<SweepBytes> sentPsfs;

private:
    class COperator;
    void ResetLine();
    static SweepControllerState StateOf(const CSimController& controller);
    std::string PathOf(const std::string& name) const;

    CScopedVirtualClock clock;
    CTempSettings settings;
    QTemporaryDir folder;
    std::unique_ptr<CSimLine> line;
    CSimController* selected = nullptr;
    // Through a device server: its fault, and the fault of each connection of the run.
    std::optional<ServerFault> serverFault;
    std::vector<std::shared_ptr<ServerFault>> connections;
    CScopedPortFactory factory;
    std::unique_ptr<CTarnApp> app;
};
