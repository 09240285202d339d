#pragma once
// CServiceSession: one controller command of the menu, from opening the port to closing
// it. The main frame makes a session of the command's class with its controller table
// and connection choices, calls Run and destroys it; Run opens the COM port through the
// port factory and builds the controller link over it, then runs the command's Execute.
// The session owns the link and the link owns the port, so the port is open exactly
// while the command runs.

#include <cstdint>
#include <functional>
#include <memory>

#include "protocol/ControllerLink.h"
#include "protocol/ControllerTable.h"
#include "sequences/ServiceBracket.h"

class CPsf;
class QWidget;

class CServiceSession {
public:
    // defaultBaudRate is used unless the table holds a selection (entry 0 nonzero): then
    // the selected controller's rate, BaudRateOf entry 1, replaces it.
    CServiceSession(ControllerTable* table, QWidget* owner, int portIndex, char parity,
                    long defaultBaudRate);
    virtual ~CServiceSession();
    CServiceSession(const CServiceSession&) = delete;
    CServiceSession& operator=(const CServiceSession&) = delete;

    // OpenConnection, then Execute; 0 when the port could not be opened (the operator has
    // been told), else Execute's answer. A connection lost on the way is told, and the
    // resume broadcast over a new one.
    int Run();
    // Opens COM portIndex + 1 at the session's baud rate and parity and builds the link
    // addressed to the selected controller. 1 on success; otherwise shows
    // "Unable to open COM%d:\n%s\n" over the owner and answers 0.
    int OpenConnection();

    // Sends psf, the PSF the controller held before the operator tried out another one,
    // back to it and pauses a second. When the controller does not take it at the second
    // try either, the operator is offered to save it to a PSF file, so that it is not lost.
    // beforeRetry, when given, runs before the second try, e.g. to address the controller
    // where the first try could not reach it.
    void RestoreOriginalPsf(CPsf& psf, const std::function<void()>& beforeRetry = {});

    ControllerTable* Table() const { return table; }
    QWidget* Owner() const { return owner; }
    long BaudRate() const { return baudRate; }
    // The link of an open session; null before OpenConnection succeeded.
    CControllerLink* Link() const { return link.get(); }

protected:
    // The command's body, run with the connection open; 1 or 0.
    virtual int Execute() = 0;

    // The service bracket around a command's dialog. Under the busy scope: suspend every
    // controller the table knows, pause kSettleMs and, with PortFlush::kDiscard, discard the
    // port's input and output. The busy scope ends before the dialog opens.
    void SuspendKnownControllers(PortFlush flush);
    // Under the busy scope: resume every controller the table knows.
    void ResumeKnownControllers();

private:
    void ResumeAfterLostConnection();

    ControllerTable* table;
    long baudRate;
    QWidget* owner;
    int portIndex;
    char parity;
    std::unique_ptr<CControllerLink> link;
};
