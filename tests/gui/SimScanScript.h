#pragma once
// Helpers of the dialog tests that run on simulated controllers: the frames a controller
// got or is sent, and a script that plays measurement readings scan by scan.

#include <QCoreApplication>
#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "SimController.h"
#include "records/Psf.h"
#include "serial/IdleHook.h"
#include "widgets/IdlePump.h"

// The frames controller got whose command letter is letter, or all of them for 0.
inline std::vector<std::vector<unsigned char>> FramesTo(const CSimController& controller,
                                                        char letter = 0) {
    std::vector<std::vector<unsigned char>> frames;
    for (const SimReceivedFrame& frame : controller.Received()) {
        if (letter == 0 || (frame.bytes.size() > 2 && frame.bytes[2] == letter)) {
            frames.push_back(frame.bytes);
        }
    }
    return frames;
}

// The frame that sends psf to controller id.
inline std::vector<unsigned char> PsfFrame(char id, CPsf psf) {
    psf.Pack();
    // Sized once: growing the three-byte start by the image draws a false bounds warning
    // from GCC 12 at -O2.
    std::vector<unsigned char> frame(kPsfImageSize + 4);
    frame[0] = 0xF8;
    frame[1] = static_cast<unsigned char>(id);
    frame[2] = 'C';
    std::copy_n(psf.Image(), kPsfImageSize, frame.begin() + 3);
    frame.back() = 0x0E;
    return frame;
}

// Blocks the first count beams of controller and makes the others.
inline void BlockFirst(CSimController& controller, int count) {
    controller.SetAllBlocked(false);
    for (int channel = 0; channel < count; ++channel) {
        controller.SetBlocked(channel);
    }
}

// Plays readings on a controller that counts its blocked beams: before each scan request
// reaches it, it blocks as many beams as the next reading. An action given for scan n
// (from 1) runs once while the link waits for the reply to that scan. While the script
// lives it is the idle handler, and pumps events with input held back from every window
// but the pump target, as the program's idle handler does.
class CScanScript {
public:
    CScanScript(CSimController& controller, std::vector<int> readings)
        : controller(controller),
          readings(std::move(readings)),
          before(FramesTo(controller, 'S').size()),
          handler([this] { return Idle(); }) {
        Prepare(0);
    }
    CScanScript(const CScanScript&) = delete;
    CScanScript& operator=(const CScanScript&) = delete;

    void At(int scan, std::function<void()> action) { actions[scan] = std::move(action); }
    // Scan requests the controller got since the script began.
    int Scans() const { return static_cast<int>(FramesTo(controller, 'S').size() - before); }

private:
    void Prepare(int scan) {
        if (scan < static_cast<int>(readings.size())) {
            BlockFirst(controller, readings[static_cast<size_t>(scan)]);
        }
    }
    int Idle() {
        const int scans = Scans();
        Prepare(scans);
        const auto action = actions.find(scans);
        if (action != actions.end()) {
            const std::function<void()> run = std::move(action->second);
            actions.erase(action);
            run();
        }
        CInputHold hold;
        QCoreApplication::processEvents();
        return 0;
    }

    CSimController& controller;
    std::vector<int> readings;
    size_t before;
    std::map<int, std::function<void()>> actions;
    CScopedIdleHandler handler;
};
