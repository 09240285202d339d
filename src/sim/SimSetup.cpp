#include "SimSetup.h"

#include <array>
#include <charconv>
#include <fstream>
#include <string_view>
#include <utility>

#include "BeamMeasures.h"

namespace {

struct FaultName {
    const char* name;
    SimFaultKind kind;
};

// The fault kinds by the names the options use.
constexpr std::array<FaultName, 10> kFaultNames = {{
    {"silence", SimFaultKind::silence},
    {"lateReply", SimFaultKind::lateReply},
    {"corruptChecksum", SimFaultKind::corruptChecksum},
    {"corruptByte", SimFaultKind::corruptByte},
    {"wrongId", SimFaultKind::wrongId},
    {"wrongLetter", SimFaultKind::wrongLetter},
    {"wrongEnd", SimFaultKind::wrongEnd},
    {"shortReply", SimFaultKind::shortReply},
    {"extraBytes", SimFaultKind::extraBytes},
    {"noise", SimFaultKind::noise},
}};

constexpr uint32_t kShortestPeriodMs = 100;

using Fields = std::vector<std::string_view>;

Fields Split(std::string_view text, char separator) {
    Fields fields;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return fields;
        }
        start = end + 1;
    }
}

template <typename T>
bool ParseNumber(std::string_view text, T low, T high, T& out) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

int Fail(std::string& error, std::string_view what, std::string_view text) {
    error = std::string(what) + ": \"" + std::string(text) + "\"";
    return 0;
}

bool ParseId(std::string_view text, char& id) {
    if (text.size() != 1 || text[0] < 'A' || text[0] > 'O') {
        return false;
    }
    id = text[0];
    return true;
}

bool ParseBaud(std::string_view text, int& baudIndex) {
    long baud = 0;
    if (!ParseNumber(text, 0L, 1000000L, baud)) {
        return false;
    }
    for (size_t index = 0; index < kControllerBaudRates.size(); ++index) {
        if (kControllerBaudRates[index] == baud) {
            baudIndex = static_cast<int>(index);
            return true;
        }
    }
    return false;
}

bool ParseParity(std::string_view text, int& parityIndex) {
    for (size_t index = 0; index < kControllerParities.size(); ++index) {
        if (text.size() == 1 && text[0] == kControllerParities[index]) {
            parityIndex = static_cast<int>(index);
            return true;
        }
    }
    return false;
}

// FIRST or FIRST-LAST, channels counted from 1.
bool ParseRange(std::string_view text, SimChannelRange& range) {
    const Fields ends = Split(text, '-');
    int first = 0;
    int last = 0;
    if (ends.size() > 2 || !ParseNumber(ends.front(), 1, kSimMaxBoards * 64, first) ||
        !ParseNumber(ends.back(), first, kSimMaxBoards * 64, last)) {
        return false;
    }
    range = {first - 1, last - 1};
    return true;
}

// SIDE:BOARD:CHANNEL with SIDE e or r.
bool ParseChannelError(std::string_view text, SimChannelError& channelError) {
    const Fields parts = Split(text, ':');
    if (parts.size() != 3 || (parts[0] != "e" && parts[0] != "r") ||
        !ParseNumber(parts[1], 1, kSimMaxBoards, channelError.board) ||
        !ParseNumber(parts[2], 1, kSimChannelsPerBoard, channelError.channel)) {
        return false;
    }
    channelError.side = parts[0] == "e" ? kEmitter : kReceiver;
    return true;
}

bool ParseModes(std::string_view text, char (&modes)[2]) {
    if (text.size() != 2) {
        return false;
    }
    for (size_t n = 0; n < 2; ++n) {
        if (text[n] < kFirstBlocked || text[n] > kNoMeasure) {
            return false;
        }
        modes[n] = text[n];
    }
    return true;
}

bool ParseHex(std::string_view text, std::vector<unsigned char>& bytes) {
    if (text.empty() || text.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (size_t at = 0; at < text.size(); at += 2) {
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
        if (error != std::errc() || end != text.data() + at + 2) {
            return false;
        }
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

// key=value into its two halves; false without '='.
bool SplitKey(std::string_view field, std::string_view& key, std::string_view& value) {
    const size_t equals = field.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = field.substr(0, equals);
    value = field.substr(equals + 1);
    return true;
}

bool TakeControllerKey(SimControllerSetup& c, std::string_view key, std::string_view value) {
    if (key == "parity") {
        return ParseParity(value, c.parityIndex);
    }
    if (key == "emitters") {
        return ParseNumber(value, 0, kSimMaxBoards, c.emitterBoards);
    }
    if (key == "receivers") {
        return ParseNumber(value, 0, kSimMaxBoards, c.receiverBoards);
    }
    if (key == "blocked") {
        return ParseRange(value, c.blocked.emplace_back());
    }
    if (key == "error") {
        return ParseChannelError(value, c.errors.emplace_back());
    }
    if (key == "part") {
        return ParseNumber(value, uint32_t{0}, UINT32_MAX, c.partNumber);
    }
    if (key == "date") {
        return ParseNumber(value, uint16_t{0}, uint16_t{UINT16_MAX}, c.dateCode);
    }
    if (key == "meas") {
        return ParseModes(value, c.measureModes);
    }
    return false;
}

int TakeController(SimSetup& setup, const std::string& value, std::string& error) {
    const Fields fields = Split(value, ',');
    SimControllerSetup controller;
    if (fields.size() < 2 || !ParseId(fields[0], controller.id) ||
        !ParseBaud(fields[1], controller.baudIndex)) {
        return Fail(error, "a controller is ID,BAUD[,key=value...]", value);
    }
    for (size_t n = 2; n < fields.size(); ++n) {
        std::string_view key;
        std::string_view setting;
        if (!SplitKey(fields[n], key, setting) || !TakeControllerKey(controller, key, setting)) {
            return Fail(error, "unknown or bad controller setting", fields[n]);
        }
    }
    setup.controllers.push_back(std::move(controller));
    return 1;
}

bool TakeFaultKey(SimFault& fault, std::string_view key, std::string_view value) {
    if (key == "frames") {
        if (value == "always") {
            fault.frames = kUntilCleared;
            return true;
        }
        return ParseNumber(value, 1, 1000000, fault.frames);
    }
    if (key == "delay") {
        return ParseNumber(value, uint32_t{0}, uint32_t{60000}, fault.delayMs);
    }
    if (key == "offset") {
        return ParseNumber(value, 0u, 4000u, fault.offset);
    }
    if (key == "count") {
        return ParseNumber(value, 0u, 4000u, fault.count);
    }
    if (key == "bytes") {
        return ParseHex(value, fault.bytes);
    }
    return false;
}

int TakeFault(SimSetup& setup, const std::string& value, std::string& error) {
    const Fields fields = Split(value, ',');
    SimFaultSetup entry{};
    const FaultName* kind = nullptr;
    for (const FaultName& name : kFaultNames) {
        if (fields.size() >= 2 && fields[1] == name.name) {
            kind = &name;
        }
    }
    if (kind == nullptr || !ParseId(fields[0], entry.id)) {
        return Fail(error, "a fault is ID,KIND[,key=value...]", value);
    }
    entry.fault.kind = kind->kind;
    for (size_t n = 2; n < fields.size(); ++n) {
        std::string_view key;
        std::string_view setting;
        if (!SplitKey(fields[n], key, setting) || !TakeFaultKey(entry.fault, key, setting)) {
            return Fail(error, "unknown or bad fault setting", fields[n]);
        }
    }
    setup.faults.push_back(std::move(entry));
    return 1;
}

int TakeObject(SimSetup& setup, const std::string& value, std::string& error) {
    if (value == "none") {
        setup.objectWidth = 0;
        return 1;
    }
    const Fields fields = Split(value, ',');
    int width = 0;
    uint32_t periodMs = 0;
    if (fields.size() != 2 || !ParseNumber(fields[0], 1, kSimMaxBoards * 64, width) ||
        !ParseNumber(fields[1], kShortestPeriodMs, uint32_t{3600000}, periodMs)) {
        return Fail(error, "the object is WIDTH,PERIOD_MS or none", value);
    }
    setup.objectWidth = width;
    setup.objectPeriodMs = periodMs;
    return 1;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

int TakeSetupOption(SimSetup& setup, const std::string& name, const std::string& value,
                    std::string& error) {
    if (name == "controller") {
        return TakeController(setup, value, error);
    }
    if (name == "fault") {
        return TakeFault(setup, value, error);
    }
    if (name == "object") {
        return TakeObject(setup, value, error);
    }
    if (name == "link") {
        setup.link = value;
        return setup.link.empty() ? Fail(error, "the link needs a path", value) : 1;
    }
    if (name == "trace") {
        setup.trace = true;
        return 1;
    }
    if (name == "config") {
        return ReadSetupFile(setup, value, error);
    }
    return Fail(error, "unknown option", name);
}

int ReadSetupFile(SimSetup& setup, const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        return Fail(error, "cannot read the configuration file", path);
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string_view text = Trim(std::string_view(line).substr(0, line.find('#')));
        if (text.empty()) {
            continue;
        }
        const size_t blank = text.find_first_of(" \t");
        const std::string name(text.substr(0, blank));
        const std::string value(blank == std::string_view::npos ? std::string_view()
                                                                : Trim(text.substr(blank)));
        if (name == "config") {
            Fail(error, "a configuration file cannot name another", value);
        } else if (TakeSetupOption(setup, name, value, error)) {
            continue;
        }
        error = path + ":" + std::to_string(number) + ": " + error;
        return 0;
    }
    return 1;
}

int TakeSetupArguments(SimSetup& setup, const std::vector<std::string>& arguments,
                       std::string& error) {
    for (size_t n = 0; n < arguments.size(); ++n) {
        const std::string& argument = arguments[n];
        if (argument.rfind("--", 0) != 0) {
            return Fail(error, "not an option", argument);
        }
        const size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? equals : equals - 2);
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (name != "trace") {
            if (n + 1 == arguments.size()) {
                return Fail(error, "the option needs a value", argument);
            }
            value = arguments[++n];
        }
        if (!TakeSetupOption(setup, name, value, error)) {
            return 0;
        }
    }
    return 1;
}

void AddDefaultControllers(SimSetup& setup) {
    SimControllerSetup a;
    a.id = 'A';
    a.baudIndex = 0;
    a.emitterBoards = 2;
    a.receiverBoards = 2;
    a.partNumber = 1040200;
    a.dateCode = 2107;
    SimControllerSetup c;
    c.id = 'C';
    c.baudIndex = 2;
    c.errors.push_back({kReceiver, 1, 17});
    c.partNumber = 1040100;
    c.dateCode = 2011;
    setup.controllers.push_back(a);
    setup.controllers.push_back(c);
}

int BuildLine(const SimSetup& setup, CSimLine& line, std::string& error) {
    for (const SimControllerSetup& c : setup.controllers) {
        const std::string name(1, c.id);
        CSimController* controller = line.AddController(c.id, c.baudIndex, c.parityIndex);
        if (controller == nullptr) {
            return Fail(error, "a line holds at most 15 controllers; one too many", name);
        }
        controller->SetBoards(c.emitterBoards, c.receiverBoards);
        for (const SimChannelError& e : c.errors) {
            if (e.board > controller->Boards(e.side)) {
                return Fail(error, "a channel error on a board the controller does not have", name);
            }
            controller->SetChannelError(e.side, e.board, e.channel);
        }
        for (const SimChannelRange& range : c.blocked) {
            if (range.last >= controller->Channels()) {
                return Fail(error, "a blocked channel the controller does not have", name);
            }
            for (int channel = range.first; channel <= range.last; ++channel) {
                controller->SetBlocked(channel);
            }
        }
        controller->SetPartNumber(c.partNumber, c.dateCode);
        controller->Psf().SetMeasMode(1, c.measureModes[0]);
        controller->Psf().SetMeasMode(2, c.measureModes[1]);
    }
    for (const SimFaultSetup& entry : setup.faults) {
        bool found = false;
        for (int index = 0; index < line.ControllerCount(); ++index) {
            if (line.Controller(index).Id() == entry.id) {
                line.Controller(index).AddFault(entry.fault);
                found = true;
            }
        }
        if (!found) {
            return Fail(error, "a fault for a controller that is not on the line",
                        std::string(1, entry.id));
        }
    }
    return 1;
}
