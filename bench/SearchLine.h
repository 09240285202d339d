#pragma once
// The line the search benchmarks time: controllers A at 9600, C at 38400 and H at 19200,
// served on a pseudo-terminal in real time.

#include <cstdio>
#include <memory>

#include "PtyServer.h"

class CSearchBenchLine {
public:
    CSearchBenchLine() {
        line.AddController('A', 0);
        line.AddController('C', 2);
        line.AddController('H', 1);
        server = std::make_unique<CPtyServer>(line);
        if (server->Open() != 0) {
            std::fprintf(stderr, "cannot open a pseudo-terminal\n");
            return;
        }
        server->Start();
        open = true;
    }

    bool Open() const { return open; }
    CPtyServer& Server() { return *server; }

private:
    CSimLine line;
    std::unique_ptr<CPtyServer> server;
    bool open = false;
};
