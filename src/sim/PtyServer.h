#pragma once
// CPtyServer: serves a simulated line on a pseudo-terminal in real time, so that a program
// reaches the controllers through the operating system's serial port. The bytes the
// program writes are put on the line when they are read from the master side; the bytes
// for the program are written to the master side when their last bit would have
// arrived, so every byte takes its wire time at the rate the program set.
//
// What a pseudo-terminal shows: the speed and stop bits the program set (read here from
// a terminal-side descriptor the server keeps open). It always keeps 8 data bits without
// parity, and refuses modem-line (DTR, RTS) and break requests. The program's parity is
// therefore unknown and the program's side of the line has parity '?', which every
// controller hears.
//
// The server keeps one terminal-side descriptor open for its whole life, so that the
// program's closing and reopening of the port between commands never hangs up the
// master side. Stopping the server closes both sides: the program sees the device vanish.
// Replies that come while the program has the port closed wait in the terminal's input
// queue for its next open, where a real port would lose them; the commands that need a
// quiet line discard their input first.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "SimLine.h"

class CMovingObject;

class CPtyServer {
public:
    // line, and object when given, must outlive the server; while it serves, only the
    // serving thread touches them.
    explicit CPtyServer(CSimLine& line, CMovingObject* object = nullptr);
    ~CPtyServer();
    CPtyServer(const CPtyServer&) = delete;
    CPtyServer& operator=(const CPtyServer&) = delete;

    // Opens the pseudo-terminal and puts its terminal side into raw mode at once, before
    // anything can be echoed or translated. Answers 0, or the errno of the failed call.
    int Open();
    // The terminal-side device the program opens, e.g. /dev/pts/3; empty until Open.
    const std::string& DevicePath() const { return devicePath; }

    // Plays the line until RequestStop. Answers 0, or the errno that ended it.
    int Serve();
    // Serve on a thread of its own.
    void Start();
    // Makes Serve return soon; safe from a signal handler and from any thread.
    void RequestStop();
    // RequestStop, waits for the thread of Start, and closes the pseudo-terminal.
    void Stop();

    // Writes every burst on the line to out (nullptr: nothing), one line each.
    void SetTrace(std::FILE* out) { trace = out; }

private:
    // Microseconds since Serve began.
    uint64_t NowUs() const;
    // The program's side of the line as the terminal settings now tell it.
    SimLineFormat HostFormat() const;
    // Puts what the program wrote on the line; answers 0 or errno.
    int ReadFromHost(uint64_t nowUs, const SimLineFormat& format);
    // Writes the bytes that have arrived for the program by nowUs.
    void DeliverToHost(uint64_t nowUs, const SimLineFormat& format);
    // Traces the bursts that ended by nowUs, then forgets them.
    void Settle(uint64_t nowUs);
    void Close();

    CSimLine& line;
    CMovingObject* object;
    int master = -1;
    int terminal = -1;  // kept open: see above
    int wake[2] = {-1, -1};
    std::string devicePath;
    std::atomic<bool> stopping{false};
    std::thread thread;
    std::FILE* trace = nullptr;
    int64_t startNs = 0;
};
