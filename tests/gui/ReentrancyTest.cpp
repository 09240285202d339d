// Clicks while the line is busy: for every controller command of the menu with each
// button of its dialogs, and for every exchange of it that waits for a reply, the
// operator clicks every button, list and grid of the dialog in front, presses its
// mnemonics, Enter, Escape and the close box, and the main window's menu bar and
// function keys, while the link waits. Nothing starts a second exchange: the controller
// hears exactly the frames of an undisturbed run, and the exchange that was waiting
// completes, so the operator sees the messages of an undisturbed run.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FaultSweep.h"
#include "SweepScripts.h"
#include "widgets/IdlePump.h"

namespace {

// The reply comes late enough for the link to wait on it for a while, yet within every
// command's time limit (the shortest, the ping's, is 200 ms).
SimFault Slow() {
    SimFault fault;
    fault.kind = SimFaultKind::lateReply;
    fault.delayMs = 100;
    return fault;
}

class ReentrancyTest : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite() { rig = new CSweepRig; }
    static void TearDownTestSuite() {
        delete rig;
        rig = nullptr;
    }
    static CSweepRig* rig;
};

CSweepRig* ReentrancyTest::rig = nullptr;

TEST_P(ReentrancyTest, ClicksWhileAnExchangeWaitsStartNothing) {
    const std::vector<SweepScript> scripts = MenuScripts();
    const auto script = std::find_if(scripts.begin(), scripts.end(),
                                     [](const SweepScript& s) { return s.name == GetParam(); });
    ASSERT_NE(script, scripts.end());
    const SweepOutcome clean = rig->Run(*script);
    for (size_t k = 1; k <= clean.frames.size(); ++k) {
        const char letter = clean.frames[k - 1];
        if (letter == 'V' || letter == 'v') {
            continue;  // no reply to wait for
        }
        bool waiting = false;
        int sent = 0;
        const SweepOutcome outcome = rig->Run(*script, Slow(), static_cast<int>(k), [&] {
            waiting = InputHeld();
            sent = ClickEverything(rig->MainWindow());
        });
        const std::string where =
            script->name + " exchange " + std::to_string(k) + " (" + letter + ")";
        EXPECT_TRUE(waiting) << where;
        EXPECT_GT(sent, 0) << where;
        EXPECT_EQ(outcome.frames, clean.frames) << where;
        EXPECT_EQ(outcome.messages, clean.messages) << where;
        EXPECT_TRUE(outcome.openDialogs.empty()) << where;
        EXPECT_TRUE(outcome.giveUps.empty()) << where;
        for (size_t i = 0; i < outcome.controllers.size(); ++i) {
            EXPECT_FALSE(outcome.controllers[i].suspended) << where;
            EXPECT_FALSE(outcome.controllers[i].aligning) << where;
            EXPECT_FALSE(outcome.controllers[i].adjusting) << where;
            EXPECT_EQ(outcome.controllers[i].psf, clean.controllers[i].psf) << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ReentrancyTest, ::testing::ValuesIn([] {
                             std::vector<std::string> names;
                             for (const SweepScript& script : MenuScripts()) {
                                 names.push_back(script.name);
                             }
                             return names;
                         }()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

}  // namespace
