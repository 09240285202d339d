#pragma once
// A device server inside the test process, as the connection a network port takes: it
// speaks Telnet with the COM port control, sets the line of simulated controllers behind
// it to the rate the port asks for and carries the data both ways, on the virtual clock.
// From the moment its fault is set it misbehaves as a server on a plant's network can.

#include <memory>
#include <vector>

#include "SimPort.h"
#include "serial/Socket.h"
#include "serial/Telnet.h"

enum class ServerFault {
    kNone,
    kDropped,    // the connection closes: the next read or write finds it gone
    kReset,      // the connection breaks: replies no longer come, the next write fails
    kFlooding,   // data 0xFF without end instead of the line's replies
    kKeepsRate,  // a change of rate is answered with the rate the line keeps
};

class CSimDeviceServer final : public CSocket {
public:
    // The server's end of a new connection to line, at baud and parity. fault is read at
    // every call, so that whoever holds it can set it at any moment.
    CSimDeviceServer(CSimLine& line, CVirtualClock& clock, long baud, char parity,
                     std::shared_ptr<const ServerFault> fault);

    SocketResult Send(const unsigned char* data, unsigned count, unsigned* sent,
                      int waitMs) override;
    SocketResult Receive(unsigned char* buffer, unsigned count, unsigned* got, int waitMs) override;

private:
    // Answers a COM port control command as a server that follows it does.
    void Answer(const CTelnetCommand& command);

    CSimPort port;
    CVirtualClock& clock;
    std::shared_ptr<const ServerFault> fault;
    CTelnetDecoder decoder;
    std::vector<unsigned char> toClient;
    long lineBaud;
};
