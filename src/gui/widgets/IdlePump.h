#pragma once
// The idle pump and the input gate. While a port transfer waits, the serial layer's idle
// handler lets Qt process pending events (repaints, timers), so the windows stay alive.
// Meanwhile an event filter on the application swallows user input (mouse, keys, wheel,
// shortcuts, the close box) to every window except the registered pump target, the
// running-scan dialog, and its children: so the operator can press Stop in that dialog,
// but cannot start a second exchange anywhere else. The busy scope does the same
// between exchanges and shows the wait cursor.

#include <QPointer>
#include <QWidget>

// Installs the input gate on the application object and the idle handler into the serial
// layer. Call after the QApplication exists; a second call changes nothing.
void InstallIdlePump();

// The running-scan dialog; nullptr clears it.
void SetPumpTarget(QWidget* target);
QWidget* PumpTarget();

// Lets user input through the gate to window and its children at all times: for a window
// that only shows what happens and never starts an exchange itself.
void PassInputDuringExchanges(QWidget* window);

// Makes target the pump target for the lifetime of the object, then restores the previous.
class CPumpTargetScope {
public:
    explicit CPumpTargetScope(QWidget* target);
    ~CPumpTargetScope();
    CPumpTargetScope(const CPumpTargetScope&) = delete;
    CPumpTargetScope& operator=(const CPumpTargetScope&) = delete;

private:
    QPointer<QWidget> previous;
};

// Holds user input back, except to the pump target, for the lifetime of the object.
// Holds nest.
class CInputHold {
public:
    CInputHold();
    ~CInputHold();
    CInputHold(const CInputHold&) = delete;
    CInputHold& operator=(const CInputHold&) = delete;
};

// True while any CInputHold lives.
bool InputHeld();

// Around exchanges outside a dialog: the wait cursor is shown and user input is held
// back. Release it before a dialog opens.
class CBusyScope {
public:
    CBusyScope();
    ~CBusyScope();
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    CInputHold hold;
};
