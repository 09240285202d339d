#pragma once
// What the alignment tests share: a simulated controller on the in-process line, the
// controller table that knows it, scripted prompts, and steps that run from the event
// loop once their condition holds, also while a scan loop waits on the line.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "protocol/ControllerTable.h"
#include "records/BlankingMap.h"
#include "serial/Clock.h"

// Runs action once, as soon as ready() holds. It is polled from a zero timer, which fires
// whenever events are processed: from the dialog's own loop and from the idle pump while
// a transfer waits.
class CWhen {
public:
    CWhen(std::function<bool()> ready, std::function<void()> action)
        : ready(std::move(ready)), action(std::move(action)) {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(0);
    }
    CWhen(const CWhen&) = delete;
    CWhen& operator=(const CWhen&) = delete;

    bool Done() const { return done; }

private:
    void Poll() {
        if (done || !ready()) {
            return;
        }
        done = true;
        timer.stop();
        action();
    }

    std::function<bool()> ready;
    std::function<void()> action;
    QTimer timer;
    bool done = false;
};

// Processes events until done() holds; a test whose condition never comes fails instead
// of hanging.
inline void RunUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 100000 && !done(); ++round) {
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(done()) << "the awaited state never came";
}

inline CBlankingMap MapOf(int channels, std::initializer_list<int> blanked) {
    CBlankingMap map(channels);
    for (int channel : blanked) {
        map.SetBlanked(channel, true);
    }
    return map;
}

class AlignmentFixture : public ::testing::Test {
protected:
    AlignmentFixture() : controller(line.AddController('A', 0)) {
        table[0] = {'A', 0, 'X', 0};
        table[1][0] = 'X';
    }

    // The command letters of the frames the controller got, in order ('S' for a scan).
    std::string Commands() const {
        std::string letters;
        for (const SimReceivedFrame& frame : controller->Received()) {
            letters += static_cast<char>(frame.bytes[2]);
        }
        return letters;
    }
    int ScansHeard() const {
        int scans = 0;
        for (const SimReceivedFrame& frame : controller->Received()) {
            scans += frame.bytes[2] == 'S' ? 1 : 0;
        }
        return scans;
    }
    // Exactly these beams blocked.
    void Block(std::initializer_list<int> channels) {
        controller->SetAllBlocked(false);
        for (int channel : channels) {
            controller->SetBlocked(channel);
        }
    }
    void Blank(std::initializer_list<int> channels) {
        controller->BlankingMap() = MapOf(controller->Channels(), channels);
    }
    // The next frames addressed to the controller go unanswered.
    void Silence(int frames) { controller->AddFault({SimFaultKind::silence, frames}); }

    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller;
    ControllerTable table{};
    CScriptedPrompts prompts;
};
