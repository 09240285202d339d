#pragma once
// The Reconnect command: asks the controller selected in the remembered search whether it
// is still there, at its remembered rate, with the remembered controllers suspended
// meanwhile; tells the operator when it does not answer.

#include "app/ServiceSession.h"

class CReconnectSession : public CServiceSession {
public:
    // table is the remembered search.
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
