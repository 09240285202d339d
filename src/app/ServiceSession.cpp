#include "app/ServiceSession.h"

#include <QString>

#include "app/IdlePump.h"
#include "app/PortFactory.h"
#include "app/Prompts.h"
#include "serial/Clock.h"

CServiceSession::CServiceSession(ControllerTable* table, QWidget* owner, int portIndex, char parity,
                                 long defaultBaudRate)
    : table(table),
      baudRate((*table)[0][0] != 0 ? CControllerLink::BaudRateOf((*table)[0][1]) : defaultBaudRate),
      owner(owner),
      portIndex(portIndex),
      parity(parity) {}

CServiceSession::~CServiceSession() = default;

int CServiceSession::Run() {
    return OpenConnection() ? Execute() : 0;
}

int CServiceSession::OpenConnection() {
    std::unique_ptr<RS232> port = OpenPort(portIndex, baudRate, parity);
    if (port->Status() != kSuccess) {
        Prompts().Message(owner,
                          QString::asprintf("Unable to open COM%d:\n%s\n", portIndex + 1,
                                            port->StatusText(port->Status())),
                          PromptIcon::kExclamation, PromptButtons::kOk);
        return 0;
    }
    link = std::make_unique<CControllerLink>(std::move(port), static_cast<char>((*table)[0][0]));
    link->SetControllerTable(table);
    return 1;
}

void CServiceSession::SuspendKnownControllers(PortFlush flush) {
    CBusyScope busy;
    link->SuspendKnown(table);
    DelayMs(kSettleMs);
    if (flush == PortFlush::kDiscard) {
        link->FlushBuffers();
    }
}

void CServiceSession::ResumeKnownControllers() {
    CBusyScope busy;
    link->ResumeKnown(table);
}
