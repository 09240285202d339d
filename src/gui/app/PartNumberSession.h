#pragma once
// The Set Part Number command: with every known controller suspended and the port
// flushed, the operator picks a part number in the part number dialog, and on OK the
// part number and today's date code are written into the selected controller. A part
// number that is not a decimal number is refused without sending anything.

#include "app/ServiceSession.h"

class QString;

class CPartNumberSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;

private:
    void SendPartNumber(const QString& partNumber, const QString& dateCode);
};
