#pragma once
// The Ping command: forgets the last search and selection, suspends every controller on
// the line by broadcast at each searched rate, searches every ID at every rate into the
// controller table while the search notice is shown (Cancel there ends the search early,
// keeping what was found so far), lets the operator choose a
// controller in the Ping dialog, and resumes the controllers found and then, by
// broadcast, every controller on the line.

#include "app/ServiceSession.h"

class CPingSession : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override;
};
