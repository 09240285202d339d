#include "CtlCommands.h"

#include <string>

#include "CtlJson.h"
#include "CtlSessions.h"
#include "CtlStop.h"
#include "protocol/Diagnostics.h"
#include "protocol/ScanReply.h"
#include "records/Psf.h"
#include "records/PsfCodes.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/DateCode.h"
#include "sequences/PartNumberWrite.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"

namespace {

constexpr const char* kBothNone = "Measurement Modes cannot both be 'None'.";
constexpr const char* kScanFailed = "Unable to Input Scan.";
constexpr int kNoMeasurement = static_cast<int>(kMeasModeTexts.size()) - 1;

std::string SideReport(const char* name, CDiagnostics& side) {
    std::string text = std::string(name) + ": part number " + side.PartNumberText() +
                       ", date code " + side.DateCodeText() + ", version " + side.VersionText() +
                       ", boards " + std::to_string(side.BoardCount());
    for (int board = 1; board <= side.BoardCount(); ++board) {
        text += "\n  board " + std::to_string(board) + ": " + side.ChannelText(board);
    }
    return text;
}

std::string SideJson(CDiagnostics& side) {
    std::vector<std::string> boards;
    for (int board = 1; board <= side.BoardCount(); ++board) {
        boards.push_back(JsonString(side.ChannelText(board)));
    }
    return JsonObject({JsonField("partNumber", side.PartNumberText()),
                       JsonField("dateCode", JsonString(side.DateCodeText())),
                       JsonField("version", JsonString(side.VersionText())),
                       JsonField("boards", JsonArray(boards))});
}

// The measurement selection of a PSF: 1 Meas1 only, 2 Meas2 only, 3 both, 0 neither.
int MeasurementSelection(const CPsf& psf) {
    const bool first = kMeasModeCodes.IndexOf(psf.GetMeasMode(1)) != kNoMeasurement;
    const bool second = kMeasModeCodes.IndexOf(psf.GetMeasMode(2)) != kNoMeasurement;
    return (first ? 1 : 0) | (second ? 2 : 0);
}

std::string MeasName(const CPsf& psf, int n) {
    const int index = kMeasModeCodes.IndexOf(psf.GetMeasMode(n));
    return index >= 0 && index < kNoMeasurement ? kMeasModeTexts[static_cast<size_t>(index)] : "?";
}

// One line per controller found, ID@RATE; or a JSON list of {"id", "rate"}.
std::string SearchResults(const ControllerTable& table, bool json) {
    std::string text;
    std::vector<std::string> objects;
    for (const CtlTarget& found : FoundControllers(table)) {
        objects.push_back(JsonObject(
            {JsonField("id", JsonString(std::string(1, found.id))),
             JsonField("rate", std::to_string(CControllerLink::BaudRateOf(found.baudIndex)))}));
        text += TargetText(found) + "\n";
    }
    return json ? JsonArray(objects) + "\n" : text;
}

// The scans of the scan command, inside its hold; 1 unless the controller failed.
int Scan(const CtlContext& context, CCtlLine& line, const CtlTarget& target) {
    CPsf psf;
    if (!line.Link().InputPsf(psf)) {
        TellFailure(context, target, "upload PSF", kPsfNotReceived);
        return 0;
    }
    const int selection = MeasurementSelection(psf);
    if (selection == 0) {
        TellFailure(context, target, "scan", kBothNone);
        return 0;
    }
    const char* separator = context.options.csv ? "," : " ";
    std::string header;
    for (int n = 1; n <= 2; ++n) {
        if (selection & n) {
            AppendSeparated(header, separator, MeasName(psf, n));
        }
    }
    context.out << header << '\n';
    CMeasurementScan scan(selection);
    for (int i = 0; i < context.options.count && !StopRequested(); ++i) {
        if (!line.Link().InputScan(scan)) {
            TellFailure(context, target, "scan", kScanFailed);
            return 0;
        }
        std::string values;
        if (selection & 1) {
            values = std::to_string(scan.Value1());
        }
        if (selection & 2) {
            AppendSeparated(values, separator, std::to_string(scan.Value2()));
        }
        context.out << values << '\n';
    }
    return 1;
}

}  // namespace

int UsageError(const CtlContext& context, const std::string& text) {
    context.Tell(text + "\n(tarnctl " + context.options.command + " --help tells more)");
    return kExitUsage;
}

int TargetOperand(const CtlContext& context, size_t index, size_t operandCount, const char* usage,
                  CtlTarget* target) {
    const auto& operands = context.options.operands;
    if (operands.size() != operandCount) {
        UsageError(context, usage);
        return 0;
    }
    if (!ParseTarget(operands[index], target)) {
        UsageError(context, "'" + operands[index] +
                                "' is not a controller address ID@RATE, such as C@19200");
        return 0;
    }
    return 1;
}

std::string DiagnosticsReport(CDiagnostics& emitter, CDiagnostics& receiver, bool json) {
    const std::string state = emitter.StateText(receiver);
    if (json) {
        return JsonObject({JsonField("state", JsonString(state)),
                           JsonField("emitter", SideJson(emitter)),
                           JsonField("receiver", SideJson(receiver))});
    }
    return "state: " + state + "\n" + SideReport("emitter", emitter) + "\n" +
           SideReport("receiver", receiver);
}

int SearchCommand(const CtlContext& context) {
    if (!context.options.operands.empty()) {
        return UsageError(context, "search takes no operands");
    }
    CCtlLine line;
    if (!line.Open(context, 0, 0)) {
        return kExitPort;
    }
    ControllerTable& table = line.Table();
    CStopSearchOnRequest stop;
    SearchLine(line.Link(), table, &stop);
    // A search cut short by a lost connection lists nothing: its list would be partial.
    if (line.Outcome(context, kExitOk) != kExitOk) {
        return kExitPort;
    }
    // The results go out before the resume, which takes another second.
    context.out << SearchResults(table, context.options.json) << std::flush;
    EndSearch(line.Link(), table);
    if (line.Outcome(context, kExitOk) != kExitOk) {
        return kExitPort;
    }
    if (StopRequested()) {
        context.Tell(std::string("search: ") + StopText() +
                     "; the controllers found so far are listed");
        return kExitRefused;
    }
    const std::string ratesNotSet = RatesNotSetText(line.Link());
    if (!ratesNotSet.empty()) {
        context.Tell("search: " + ratesNotSet);
        return kExitPort;
    }
    return kExitOk;
}

int DiagCommand(const CtlContext& context) {
    CtlTarget target;
    if (!TargetOperand(context, 0, 1, "diag takes one controller address", &target)) {
        return kExitUsage;
    }
    CCtlLine line;
    if (!OpenForTarget(context, target, line)) {
        return kExitPort;
    }
    CDiagnostics emitter;
    CDiagnostics receiver;
    const int read = line.Held(PortFlush::kDiscard, [&] {
        return DiagnosticsSession(context, line, target, emitter, receiver);
    });
    const int status = line.Outcome(context, read ? kExitOk : kExitRefused);
    if (status != kExitOk) {
        return status;
    }
    context.out << DiagnosticsReport(emitter, receiver, context.options.json) << '\n';
    return kExitOk;
}

int PartNumberCommand(const CtlContext& context) {
    CtlTarget target;
    if (!TargetOperand(context, 0, 2, "part-number takes ID@RATE and the part number", &target)) {
        return kExitUsage;
    }
    const std::string& partNumber = context.options.operands[1];
    const std::string dateCode =
        context.options.dateCode.empty() ? MakeDateCode(Today()) : context.options.dateCode;
    for (const std::string& refusal : {PartNumberRefusal(partNumber), DateCodeRefusal(dateCode)}) {
        if (!refusal.empty()) {
            return UsageError(context, refusal);
        }
    }
    CCtlLine line;
    if (!OpenForTarget(context, target, line)) {
        return kExitPort;
    }
    const int written = line.Held(PortFlush::kDiscard, [&] {
        // A stop during the settle pause still writes nothing.
        return StopRequested() ? 0 : WritePartNumber(line.Link(), partNumber, dateCode);
    });
    if (StopRequested()) {
        TellFailure(context, target, "part number", StopText());
        return kExitRefused;
    }
    if (!written) {
        TellFailure(context, target, "part number", kPartNumberNotSet);
    }
    const int status = line.Outcome(context, written ? kExitOk : kExitRefused);
    if (status != kExitOk) {
        return status;
    }
    context.Say(kPartNumberSet);
    return kExitOk;
}

int BlankingCommand(const CtlContext& context) {
    const auto& operands = context.options.operands;
    const std::string action = operands.empty() ? "" : operands[0];
    CtlTarget target;
    if (action != "get" && action != "put") {
        return UsageError(context, "blanking takes get or put");
    }
    const bool get = action == "get";
    if (!TargetOperand(
            context, 1, get ? 2 : 3,
            get ? "blanking get takes ID@RATE -o FILE.BFS" : "blanking put takes ID@RATE FILE.BFS",
            &target)) {
        return kExitUsage;
    }
    const std::string path = get ? context.options.output : operands[2];
    if (path.empty()) {
        return UsageError(context, "blanking get takes ID@RATE -o FILE.BFS");
    }
    if (!get) {
        // A file that cannot be read is refused before the line is touched.
        CBlankingMap fileMap;
        const std::string failure = ReadBlankingFile(path, fileMap);
        if (!failure.empty()) {
            context.Tell(failure);
            return kExitRefused;
        }
    }
    CCtlLine line;
    if (!OpenForTarget(context, target, line)) {
        return kExitPort;
    }
    CDiagnostics emitter;
    CDiagnostics receiver;
    const int done = line.Held(PortFlush::kDiscard, [&] {
        return get ? GetBlankingSession(context, line, target, path, emitter, receiver)
                   : PutBlankingSession(context, line, target, path);
    });
    return line.Outcome(context, done ? kExitOk : kExitRefused);
}

int ScanCommand(const CtlContext& context) {
    CtlTarget target;
    if (!TargetOperand(context, 0, 1, "scan takes one controller address", &target)) {
        return kExitUsage;
    }
    CCtlLine line;
    if (!OpenForTarget(context, target, line)) {
        return kExitPort;
    }
    const int scanned = line.Held(PortFlush::kDiscard, [&] { return Scan(context, line, target); });
    int status = scanned ? kExitOk : kExitRefused;
    if (scanned && StopRequested()) {
        TellFailure(context, target, "scan", StopText());
        status = kExitRefused;
    }
    return line.Outcome(context, status);
}
