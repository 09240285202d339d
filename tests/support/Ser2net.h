#pragma once
// The serial-to-network proxy as a child process: it serves one pseudo-terminal of the
// simulated line on a free loopback port, with the COM port control, from a configuration
// written for it in a temporary folder. It is started and ended by its process ID, and can
// be stopped and started again on the same port.

#include <sys/types.h>

#include <string>

class CSer2net {
public:
    // device: the terminal side of the pseudo-terminal to serve.
    explicit CSer2net(const std::string& device);
    ~CSer2net();
    CSer2net(const CSer2net&) = delete;
    CSer2net& operator=(const CSer2net&) = delete;

    // False when the program is not installed.
    static bool Installed();

    // Starts it; true once it accepts connections (within 5 s).
    bool Start();
    // Ends it by its process ID and waits for it.
    void Stop();
    unsigned Port() const { return port; }
    // The address a COM port maps to: rfc2217://127.0.0.1:port.
    std::string Address() const;

private:
    std::string folder;
    std::string config;
    unsigned port = 0;
    pid_t pid = -1;
};

// A TCP port on the loopback interface that nothing listens on just now.
unsigned FreeLoopbackPort();

// A listening socket on the loopback interface that nobody serves: the kernel completes
// connections to it, and nothing is ever sent. Closed when the object goes.
class CIdleListener {
public:
    CIdleListener();
    ~CIdleListener();
    CIdleListener(const CIdleListener&) = delete;
    CIdleListener& operator=(const CIdleListener&) = delete;

    unsigned Port() const { return port; }

private:
    int fd = -1;
    unsigned port = 0;
};
