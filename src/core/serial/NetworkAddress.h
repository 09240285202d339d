#pragma once
// The address of a serial device server on the network, as a COM port maps to it:
// "rfc2217://host:port" for a server that sets the line as asked (the Telnet COM port
// control), "tcp://host:port" for a raw TCP server whose line settings are fixed. Either
// may end in "?baud=N": the one rate the line runs at when the server does not set it
// (a raw server, or one that refuses the COM port control); 9600 when not given.

#include <string>

struct CNetworkAddress {
    enum class Kind { kRfc2217, kRawTcp };

    Kind kind = Kind::kRfc2217;
    std::string host;  // a name or an address; an IPv6 address without its brackets
    unsigned port = 0;
    long fixedBaud = kDefaultFixedBaud;

    static constexpr long kDefaultFixedBaud = 9600;

    // "host:port", as messages name the server.
    std::string HostAndPort() const;
};

// 1 when text is such an address (port 1..65535, a rate 1..kMaxFixedBaud), filling
// *address; 0 otherwise.
inline constexpr long kMaxFixedBaud = 4000000;
int ParseNetworkAddress(const std::string& text, CNetworkAddress* address);

// For text that begins with a device server's scheme but is not such an address, what is
// wrong with it, to follow "'<ShownAddress>'"; empty for an address and for any other text.
std::string NetworkAddressRefusal(const std::string& text);
// text with any user name and password left out: the one form of an address a message
// may show.
std::string ShownAddress(const std::string& text);
