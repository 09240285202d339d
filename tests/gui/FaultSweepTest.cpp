// The fault sweep: every controller command of the main menu, with each button of its
// dialogs, run from the main window while the selected controller commits one of the
// simulator's faults at one exchange, for every fault and every exchange of the
// command's clean run; and the same through a device server on the network whose
// connection is dropped, reset or flooded at each exchange, or that does not follow a
// change of rate. After each run: the program is back at the main window, the operator
// saw exactly the messages that belong to that failure, and no controller is left
// suspended, in alignment mode, in a null/span adjustment or with another PSF than its
// own or the one the operator sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "FaultSweep.h"
#include "SweepScripts.h"

namespace {

using Texts = std::vector<std::string>;

constexpr SimFaultKind kKinds[] = {
    SimFaultKind::silence,     SimFaultKind::lateReply,  SimFaultKind::corruptChecksum,
    SimFaultKind::corruptByte, SimFaultKind::wrongId,    SimFaultKind::wrongLetter,
    SimFaultKind::wrongEnd,    SimFaultKind::shortReply, SimFaultKind::extraBytes,
    SimFaultKind::noise,
};
constexpr const char* kKindNames[] = {"silence",    "lateReply",   "corruptChecksum", "corruptByte",
                                      "wrongId",    "wrongLetter", "wrongEnd",        "shortReply",
                                      "extraBytes", "noise"};
constexpr ServerFault kServerFaults[] = {ServerFault::kDropped, ServerFault::kReset,
                                         ServerFault::kFlooding};
constexpr const char* kServerFaultNames[] = {"dropped", "reset", "flooding"};

// Late: after the longest read limit (1000 ms). Extra bytes and noise: two bytes of trash.
SimFault FaultOf(SimFaultKind kind) {
    SimFault fault;
    fault.kind = kind;
    fault.delayMs = 1200;
    fault.bytes = {0x00, 0xFF};
    return fault;
}

// The messages.
const std::string kNoActive = "You must select an active controller.";
const std::string kUploadFailed = "Unable to Upload PSF";
const std::string kUploaded = "Uploaded PSF";
const std::string kNotReceived = "PSF Was Not Received";
const std::string kAccepted = "PSF Accepted";
const std::string kNotAccepted = "PSF Not Accepted";
const std::string kBothNone = "Measurement Modes cannot both be 'None'.";
const std::string kSavedUnreadable = "Unable to input existing controller's PSF.";
const std::string kTrialRefused = "Unable to output PSF.";
const std::string kNoScan = "Could not input scan.";
const std::string kNotActive = "Serial Interface is not active.";
const std::string kNullSpan = "Unable to update Null/Span Information.";
const std::string kEmitter = "Error Reading VARN Emitter Diagnostics.";
const std::string kReceiver = "Error Reading VARN Receiver Diagnostics.";
const std::string kAborted = "\nAlignment aborted...";
const std::string kBlankingUnread = "Unable to upload blanking fields from controller.";
const std::string kEnterRefused = "Unable to enter alignment mode";
const std::string kScanFailed = "Unable to Input Scan.";
const std::string kClearRefused = "Unable to clear blanking fields in controller.";
const std::string kInitialRefused = "Unable to restore initial controller blanking fields.";
const std::string kDownloadRefused = "Unable to download blanking fields to controller.";
const std::string kSavedRefused = "Unable to restore blanking fields in controller.";
const std::string kPartSet = "Part Number and Date Code Set.";
const std::string kPartNotSet = "Unable to Set Part Number and Date Code.";
const std::string kLost = std::string("Connection to ") + CSweepRig::kServerAddress + " lost";
const std::string kFlooded = std::string("The connection to ") + CSweepRig::kServerAddress +
                             " carries data nobody asked for and never falls quiet";
const std::string kRatesNotSet =
    "The device server did not change the line's rate to 19200 and 38400 baud: no controller "
    "was searched at those rates.";

// What a fault does to one exchange, by the reply the exchange expects.
enum class Effect { kNone, kFails, kRetried };

Effect EffectOf(char letter, SimFaultKind kind, bool beamScans) {
    using K = SimFaultKind;
    switch (letter) {
        case 'V':
        case 'v':
            return Effect::kNone;  // no reply; a lost one is checked on the controller
        case 'S':
            // A scan is tried again after a time-out or a short reply; what parses the
            // reply sees only its first and last byte.
            if (kind == K::silence || kind == K::lateReply || kind == K::shortReply) {
                return Effect::kRetried;
            }
            return !beamScans && (kind == K::wrongEnd || kind == K::noise) ? Effect::kFails
                                                                           : Effect::kNone;
        default:
            break;
    }
    if (kind == K::extraBytes) {
        return Effect::kNone;  // the reply itself came whole
    }
    if (kind == K::corruptChecksum) {
        // Only the PSF and blanking replies carry a checksum.
        return letter == 'G' || letter == 'b' ? Effect::kFails : Effect::kNone;
    }
    const bool diagnostics = letter == 'I' || letter == 'J';
    if (kind == K::corruptByte) {
        // Byte 3 is payload in the null/span and diagnostics replies, the end of an
        // acknowledgement, and covered by the checksum of the PSF and blanking replies.
        return letter == 'A' || diagnostics ? Effect::kNone : Effect::kFails;
    }
    if (kind == K::wrongId && diagnostics) {
        return Effect::kNone;  // diagnostics replies are not checked for the ID
    }
    return Effect::kFails;
}

// A run whose outcome differs from what the exchange's failure alone gives: a fault whose
// consequences reach a later exchange.
struct Override {
    int exchange;
    SimFaultKind kind;
    Texts messages;
};

// A reply that comes whole but is followed by more (extra bytes, or after a scan retried
// on a time-out the answer to the first request) spoils the next exchange that reads
// the line without discarding its input first, or that follows at once, while the
// surplus is still coming: that exchange fails as it does on its own.
struct Spoil {
    int exchange;
    SimFaultKind kind;
    int spoiled;
};

struct Expectation {
    std::string script;
    std::string frames;  // what A hears in the clean run
    Texts clean;         // the messages of the clean run
    // Per exchange: the messages when that exchange fails.
    std::vector<Texts> onFailure;
    std::vector<Override> overrides;
    bool beamScans = false;

    void Add(std::initializer_list<Spoil> spoils) {
        for (const Spoil& spoil : spoils) {
            overrides.push_back(
                {spoil.exchange, spoil.kind, onFailure[static_cast<size_t>(spoil.spoiled - 1)]});
        }
    }
};

std::vector<Expectation> Expectations() {
    constexpr SimFaultKind kExtra = SimFaultKind::extraBytes;
    constexpr SimFaultKind kLate = SimFaultKind::lateReply;
    const Texts same;  // placeholder for exchanges without a failure of their own
    std::vector<Expectation> all;
    // Ping: the search suspends by broadcast; A missing from the search cannot be chosen.
    all.push_back({"Ping", "VPvv", {}, {same, {kNoActive}, same, same}, {}});
    all.push_back({"PingUpdate", "VPPvv", {}, {same, same, {kNoActive}, same, same}, {}});

    // Edit PSF: the dialog opens with an upload; on failure it works on the defaults.
    all.push_back({"PsfUpload",
                   "VGGv",
                   {kUploaded},
                   {same, {kUploadFailed, kUploaded}, {kNotReceived}, same},
                   {}});
    all.push_back({"PsfSend",
                   "VGCv",
                   {kAccepted},
                   {same, {kUploadFailed, kAccepted}, {kNotAccepted}, same},
                   {}});
    // Execute: the previous PSF is sent back whatever happened after it was read.
    all.push_back({"PsfExecuteStep",
                   "VGGCSCv",
                   {},
                   {same,
                    {kUploadFailed, kBothNone},
                    {kSavedUnreadable},
                    {kTrialRefused},
                    {kNoScan},
                    same,
                    same},
                   {}});
    all.back().Add({{3, kExtra, 4}, {4, kExtra, 5}});
    all.push_back({"PsfExecuteRun",
                   "VGGCSSCv",
                   {},
                   {same,
                    {kUploadFailed, kBothNone},
                    {kSavedUnreadable},
                    {kTrialRefused},
                    {kNoScan},
                    {kNoScan},
                    same,
                    same},
                   {}});
    all.back().Add({{3, kExtra, 4}, {4, kExtra, 5}, {5, kExtra, 6}});
    all.push_back({"PsfNullSpanOk",
                   "VGAnsEGv",
                   {},
                   {same,
                    {kUploadFailed},
                    {kNotActive},
                    {kNullSpan},
                    {kNullSpan},
                    {kNullSpan},
                    {kUploadFailed},
                    same},
                   {}});
    all.back().Add({{3, kExtra, 4}, {4, kExtra, 5}, {6, kExtra, 7}});
    all.push_back({"PsfNullSpanCancel",
                   "VGAnQGv",
                   {},
                   {same, {kUploadFailed}, {kNotActive}, {kNullSpan}, same, {kUploadFailed}, same},
                   {}});
    all.back().Add({{3, kExtra, 4}, {5, kExtra, 6}});
    // Cancel tries the end twice, and a single failure goes untold. The late answer to
    // the first try spoils the upload that follows; after noise the second try fails
    // as well, and only then is the failure told.
    all.back().Add({{5, kLate, 6}});
    all.back().overrides.push_back({5, SimFaultKind::noise, {kNullSpan}});
    for (const char* name : {"PsfSave", "PsfRetrieve", "PsfQuit", "PsfExit"}) {
        all.push_back({name, "VGv", {}, {same, {kUploadFailed}, same}, {}});
    }

    // Diagnostics: no dialog without both records; Refresh reads them again.
    all.push_back({"DiagnosticsRefresh",
                   "VIJIJv",
                   {},
                   {same, {kEmitter}, {kReceiver}, {kEmitter}, {kReceiver}, same},
                   {}});
    all.push_back({"DiagnosticsExit", "VIJv", {}, {same, {kEmitter}, {kReceiver}, same}, {}});

    // Alignment: the session's checks, then the dialog reconnects (x v V b a, results
    // ignored) and scans; Cancel sends the initial blanking back, the session leaves
    // alignment mode.
    const std::vector<Texts> opening = {same,
                                        {kEmitter + kAborted},
                                        {kReceiver + kAborted},
                                        {kBlankingUnread},
                                        {kEnterRefused},
                                        same,
                                        same,
                                        same,
                                        same,
                                        same};
    // A lost request to enter alignment mode again leaves every scan of the dialog
    // unanswered: scans is how many scan commands the script runs.
    const auto alignment = [&](const char* name, const char* frames, std::vector<Texts> dialog,
                               int scans, std::initializer_list<Spoil> spoils) {
        Expectation expectation{name, frames, {}, opening, {}, true};
        expectation.onFailure.insert(expectation.onFailure.end(), dialog.begin(), dialog.end());
        expectation.overrides.push_back(
            {10, SimFaultKind::silence, Texts(static_cast<size_t>(scans), kScanFailed)});
        expectation.Add({{4, kExtra, 5}});
        expectation.Add(spoils);
        return expectation;
    };
    // One fault at the exit from alignment mode is mended by a second request unnoticed.
    all.push_back(alignment("AlignmentOk", "VIJbaxvVbaSSxv", {same, same, same, same}, 1,
                            {{11, kLate, 13}, {12, kLate, 13}, {12, kExtra, 13}}));
    for (const char* name : {"AlignmentCancel", "AlignmentSaveFile", "AlignmentEditCancel"}) {
        all.push_back(
            alignment(name, "VIJbaxvVbaSSBxv", {same, same, {kInitialRefused}, same, same}, 1,
                      {{11, kLate, 13}, {12, kLate, 13}, {12, kExtra, 13}, {13, kExtra, 14}}));
    }
    all.push_back(alignment("AlignmentStart", "VIJbaxvVbaSSSSBxv",
                            {same, same, same, same, {kInitialRefused}, same, same}, 2,
                            {{11, kLate, 15},
                             {12, kLate, 15},
                             {13, kLate, 15},
                             {14, kLate, 15},
                             {14, kExtra, 15},
                             {15, kExtra, 16}}));
    all.push_back(alignment(
        "AlignmentStep", "VIJbaxvVbaSSSBxv", {same, same, same, {kInitialRefused}, same, same}, 2,
        {{11, kLate, 14}, {12, kLate, 14}, {13, kLate, 14}, {13, kExtra, 14}, {14, kExtra, 15}}));
    const auto changeAndCancel = [&](const char* name, const std::string& refused) {
        return alignment(name, "VIJbaxvVbaSSBSBxv",
                         {same, same, {refused}, same, {kInitialRefused}, same, same}, 2,
                         {{11, kLate, 13},
                          {12, kLate, 13},
                          {12, kExtra, 13},
                          {14, kLate, 15},
                          {14, kExtra, 15},
                          {15, kExtra, 16}});
    };
    all.push_back(changeAndCancel("AlignmentClear", kClearRefused));
    all.push_back(changeAndCancel("AlignmentRestore", kInitialRefused));
    all.push_back(changeAndCancel("AlignmentReadFile", kDownloadRefused));
    all.push_back(changeAndCancel("AlignmentEditOk", kDownloadRefused));
    // Auto Blanking clears the controller's blanking, scans until Accept or Abort, sends
    // the result or the saved blanking, and scans once more.
    const auto automatic = [&](const char* name, const std::string& refused) {
        return alignment(name, "VIJbaxvVbaSSBSSBSBxv",
                         {same,
                          same,
                          {kClearRefused},
                          same,
                          same,
                          {refused},
                          same,
                          {kInitialRefused},
                          same,
                          same},
                         3,
                         {{11, kLate, 13},
                          {12, kLate, 13},
                          {12, kExtra, 13},
                          {14, kLate, 16},
                          {15, kLate, 16},
                          {15, kExtra, 16},
                          {17, kLate, 18},
                          {17, kExtra, 18},
                          {18, kExtra, 19}});
    };
    all.push_back(automatic("AlignmentAutoAccept", kDownloadRefused));
    all.push_back(automatic("AlignmentAutoAbort", kSavedRefused));

    all.push_back({"PartNumberOk", "VWv", {kPartSet}, {same, {kPartNotSet}, same}, {}});
    all.push_back({"PartNumberCancel", "Vv", {}, {same, same}, {}});
    return all;
}

std::string Show(const Texts& texts) {
    std::string shown;
    for (const std::string& text : texts) {
        shown += "[" + text + "]";
    }
    return shown;
}

class FaultSweepTest : public ::testing::TestWithParam<size_t> {
protected:
    static void SetUpTestSuite() { rig = new CSweepRig; }
    static void TearDownTestSuite() {
        delete rig;
        rig = nullptr;
    }

    const Expectation& Expected() const { return expectations[GetParam()]; }
    const SweepScript& Script() const {
        const auto found = std::find_if(scripts.begin(), scripts.end(), [&](const SweepScript& s) {
            return s.name == Expected().script;
        });
        EXPECT_NE(found, scripts.end()) << Expected().script;
        return found != scripts.end() ? *found : scripts.front();
    }

    // The program is back at the main window, and no controller is left suspended (but
    // suspendedId, when given), in alignment mode, in a null/span adjustment or with
    // another PSF than its own or one the operator sent.
    static void ExpectLeftSound(const SweepOutcome& outcome, const std::string& where,
                                char suspendedId = 0) {
        EXPECT_TRUE(outcome.openDialogs.empty()) << where;
        EXPECT_TRUE(outcome.giveUps.empty()) << where << " " << Show(outcome.giveUps);
        const SweepBytes startA = PsfImage(CSweepRig::StartPsf('A', 0));
        const SweepBytes startC = PsfImage(CSweepRig::StartPsf('C', 1));
        for (const SweepControllerState& state : outcome.controllers) {
            EXPECT_EQ(state.suspended, state.id == suspendedId) << where << " " << state.id;
            EXPECT_FALSE(state.aligning) << where << " " << state.id;
            EXPECT_FALSE(state.adjusting) << where << " " << state.id;
            const SweepBytes& start = state.id == 'A' ? startA : startC;
            const bool sent = std::find(rig->sentPsfs.begin(), rig->sentPsfs.end(), state.psf) !=
                              rig->sentPsfs.end();
            EXPECT_TRUE(state.psf == start || sent) << where << " " << state.id;
        }
    }

    static CSweepRig* rig;
    const std::vector<Expectation> expectations = Expectations();
    const std::vector<SweepScript> scripts = MenuScripts();
};

CSweepRig* FaultSweepTest::rig = nullptr;

TEST_P(FaultSweepTest, EveryFaultAtEveryExchange) {
    const Expectation* expected = &Expected();
    const SweepScript& script = Script();
    ASSERT_EQ(script.name, expected->script);

    const SweepOutcome clean = rig->Run(script);
    ASSERT_EQ(clean.frames, expected->frames);
    ASSERT_EQ(clean.messages, expected->clean);
    ASSERT_EQ(expected->onFailure.size(), clean.frames.size());

    int runs = 0;
    for (size_t k = 1; k <= clean.frames.size(); ++k) {
        const char letter = clean.frames[k - 1];
        for (size_t kind = 0; kind < std::size(kKinds); ++kind) {
            const SweepOutcome outcome =
                rig->Run(script, FaultOf(kKinds[kind]), static_cast<int>(k));
            ++runs;
            const std::string where = script.name + " exchange " + std::to_string(k) + " (" +
                                      letter + ") " + kKindNames[kind];
            Texts messages = clean.messages;
            if (EffectOf(letter, kKinds[kind], expected->beamScans) == Effect::kFails) {
                messages = expected->onFailure[k - 1];
            }
            for (const Override& special : expected->overrides) {
                if (special.exchange == static_cast<int>(k) && special.kind == kKinds[kind]) {
                    messages = special.messages;
                }
            }
            EXPECT_EQ(Show(outcome.messages), Show(messages))
                << where << ", frames heard: " << outcome.frames;
            // A resume has no answer: when the only one after the last suspend is lost,
            // nobody can tell.
            const size_t lastSuspend = clean.frames.rfind('V');
            const bool lostResume =
                kKinds[kind] == SimFaultKind::silence && letter == 'v' &&
                std::count(clean.frames.begin() + static_cast<std::ptrdiff_t>(lastSuspend),
                           clean.frames.end(), 'v') == 1 &&
                k - 1 > lastSuspend;
            ExpectLeftSound(outcome, where, lostResume ? 'A' : 0);
        }
    }
    RecordProperty("runs", runs);
}

// Through a device server: after the exchange the connection failed at, every exchange
// fails as it does on its own, and the fault's message comes last and once; a search
// cut short lists nothing, so it is the only one; after the last exchange that reads,
// the command's own messages come before it. The resume then goes over a new
// connection, so no controller is left suspended. A server that keeps its rate is told
// after the search.
TEST_P(FaultSweepTest, EveryNetworkFaultAtEveryExchange) {
    const Expectation& expected = Expected();
    const SweepScript& script = Script();
    const bool search = expected.script.rfind("Ping", 0) == 0;
    constexpr size_t kSearchFrames = 2;  // A hears the search's suspend and ping
    for (size_t k = 1; k <= expected.frames.size(); ++k) {
        const bool nothingReadsAfter =
            expected.frames.find_first_not_of('v', k - 1) == std::string::npos;
        for (size_t f = 0; f < std::size(kServerFaults); ++f) {
            const SweepOutcome outcome =
                rig->RunThroughServer(script, kServerFaults[f], static_cast<int>(k));
            const std::string where = script.name + " exchange " + std::to_string(k) + " (" +
                                      expected.frames[k - 1] + ") " + kServerFaultNames[f];
            const std::string& told = kServerFaults[f] == ServerFault::kFlooding ? kFlooded : kLost;
            Texts messages = expected.clean;
            messages.push_back(told);
            if (search && k <= kSearchFrames) {
                messages = {told};
            }
            if (nothingReadsAfter || (search && k <= kSearchFrames)) {
                EXPECT_EQ(Show(outcome.messages), Show(messages)) << where;
            } else {
                EXPECT_EQ(std::count(outcome.messages.begin(), outcome.messages.end(), told), 1)
                    << where << " " << Show(outcome.messages);
                EXPECT_TRUE(!outcome.messages.empty() && outcome.messages.back() == told)
                    << where << " " << Show(outcome.messages);
            }
            ExpectLeftSound(outcome, where);
        }
    }
    const SweepOutcome keeps = rig->RunThroughServer(script, ServerFault::kKeepsRate, 0);
    Texts messages = expected.clean;
    if (search) {
        messages.insert(messages.begin(), kRatesNotSet);
    }
    EXPECT_EQ(Show(keeps.messages), Show(messages)) << script.name << " keeping its rate";
    ExpectLeftSound(keeps, script.name + " keeping its rate");
}

// Every script has its expectation, and the other way round.
TEST(FaultSweepTableTest, CoversEveryScript) {
    std::vector<std::string> scripts;
    for (const SweepScript& script : MenuScripts()) {
        scripts.push_back(script.name);
    }
    std::vector<std::string> expected;
    for (const Expectation& expectation : Expectations()) {
        expected.push_back(expectation.script);
    }
    std::sort(scripts.begin(), scripts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(scripts, expected);
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultSweepTest,
                         ::testing::Range<size_t>(0, Expectations().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return Expectations()[info.param].script;
                         });

}  // namespace
