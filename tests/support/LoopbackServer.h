#pragma once
// A misbehaving device server inside the test process, on a loopback port: it accepts one
// connection, sends its opening, answers once the client has sent a given number of bytes,
// then floods: it sends its pattern over and over until the connection breaks, the object
// goes or its time limit passes, so that no test of a port that reads on for ever can hang.

#include <atomic>
#include <thread>
#include <vector>

class CLoopbackFlooder {
public:
    using Bytes = std::vector<unsigned char>;

    CLoopbackFlooder(Bytes opening, size_t answerAfter, Bytes answer, Bytes pattern, int limitMs);
    ~CLoopbackFlooder();
    CLoopbackFlooder(const CLoopbackFlooder&) = delete;
    CLoopbackFlooder& operator=(const CLoopbackFlooder&) = delete;

    unsigned Port() const { return port; }

private:
    void Serve(Bytes opening, size_t answerAfter, Bytes answer, Bytes pattern, int limitMs);

    int listener = -1;
    unsigned port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// The resident size of this process in bytes.
long ResidentBytes();
