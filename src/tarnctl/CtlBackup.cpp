// tarnctl backup and restore: every controller's PSF, blanking map and diagnostics in
// one folder, a file each named by the controller's ID and rate, with a summary that
// lists the controllers; the restore puts the PSFs and maps back where they came from.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "CtlCommands.h"
#include "CtlSessions.h"
#include "CtlStop.h"
#include "protocol/Diagnostics.h"
#include "records/Psf.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSummaryName = "summary.txt";
constexpr const char* kSummaryHeader =
    "# tarnctl backup: one controller a line, ID@RATE and the files saved of it\n";
constexpr const char* kPsfExtension = ".PSF";
constexpr const char* kBfsExtension = ".bfs";
constexpr const char* kDiagExtension = ".diag.txt";
constexpr const char* kStopped = "stopped by Ctrl+C";

std::string FileOf(const std::string& folder, const CtlTarget& target, const char* extension) {
    return (fs::path(folder) / (TargetText(target) + extension)).string();
}

int WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return file ? 1 : 0;
}

// Saves the PSF, the blanking map and the diagnostics of target into folder; answers
// the summary line, and whether everything was saved in *complete.
std::string BackUpController(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                             const std::string& folder, bool* complete) {
    std::string saved = TargetText(target);
    line.Select(target);
    CPsf psf;
    const bool psfRead = ReadPsfSession(context, line, target, psf) != 0;
    if (psfRead && psf.SaveToFile(FileOf(folder, target, kPsfExtension))) {
        saved += std::string(" ") + TargetText(target) + kPsfExtension;
    } else if (psfRead) {
        TellFailure(context, target, "save PSF",
                    "cannot write " + FileOf(folder, target, kPsfExtension));
    }
    CDiagnostics emitter;
    CDiagnostics receiver;
    if (GetBlankingSession(context, line, target, FileOf(folder, target, kBfsExtension), emitter,
                           receiver)) {
        saved += std::string(" ") + TargetText(target) + kBfsExtension;
    }
    // The alignment reads both diagnostics first; they are kept also when it went no
    // further.
    if (receiver.Side() == kReceiverSide &&
        WriteText(FileOf(folder, target, kDiagExtension),
                  DiagnosticsReport(emitter, receiver, context.options.json) + "\n")) {
        saved += std::string(" ") + TargetText(target) + kDiagExtension;
    }
    *complete = saved.find(kPsfExtension) != std::string::npos &&
                saved.find(kBfsExtension) != std::string::npos &&
                saved.find(kDiagExtension) != std::string::npos;
    return saved;
}

// The controllers that the summary of folder lists; 0 when there is no summary.
int ReadSummary(const std::string& folder, std::vector<CtlTarget>* targets) {
    std::ifstream file(fs::path(folder) / kSummaryName);
    if (!file) {
        return 0;
    }
    std::string text;
    while (std::getline(file, text)) {
        std::istringstream words(text);
        std::string first;
        CtlTarget target;
        if (words >> first && first[0] != '#' && ParseTarget(first, &target)) {
            targets->push_back(target);
        }
    }
    return 1;
}

}  // namespace

int BackupCommand(const CtlContext& context) {
    if (context.options.operands.size() != 1) {
        return UsageError(context, "backup takes the folder to save into");
    }
    const std::string& folder = context.options.operands[0];
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder)) {
        context.Tell("cannot make the folder " + folder);
        return kExitRefused;
    }
    CCtlLine line;
    if (!line.Open(context, 0, 0)) {
        return kExitPort;
    }
    ControllerTable& table = line.Table();
    CStopSearchOnRequest stop;
    SearchLine(line.Link(), table, &stop);
    const ControllerTable found = table;
    std::string summary = kSummaryHeader;
    int status = kExitOk;
    for (const CtlTarget& target : FoundControllers(found)) {
        if (StopRequested()) {
            TellFailure(context, target, "backup", kStopped);
            status = kExitRefused;
            break;
        }
        bool complete = false;
        summary += BackUpController(context, line, target, folder, &complete) + "\n";
        if (!complete) {
            status = kExitRefused;
        }
        context.Say(TargetText(target) + (complete ? " saved" : " saved in part"));
    }
    EndSearch(line.Link(), found);
    if (!WriteText((fs::path(folder) / kSummaryName).string(), summary)) {
        context.Tell("cannot write the summary in " + folder);
        return kExitRefused;
    }
    return status;
}

int RestoreCommand(const CtlContext& context) {
    if (context.options.operands.size() != 1) {
        return UsageError(context, "restore takes the folder of a backup");
    }
    const std::string& folder = context.options.operands[0];
    std::vector<CtlTarget> targets;
    if (!ReadSummary(folder, &targets)) {
        return UsageError(context, "no backup summary in " + folder);
    }
    if (targets.empty()) {
        return kExitOk;
    }
    CCtlLine line;
    if (!line.Open(context, targets[0].baudIndex, targets[0].id)) {
        return kExitPort;
    }
    // Every controller of the backup is suspended around each exchange, as after a search.
    for (const CtlTarget& target : targets) {
        StoreControllerEntry(line.Table(), target.id, target.baudIndex, kFoundMarker);
    }
    int status = kExitOk;
    for (const CtlTarget& target : targets) {
        if (StopRequested()) {
            TellFailure(context, target, "restore", kStopped);
            return kExitRefused;
        }
        line.Select(target);
        const std::string psfPath = FileOf(folder, target, kPsfExtension);
        const std::string bfsPath = FileOf(folder, target, kBfsExtension);
        bool restored = true;
        if (fs::exists(psfPath)) {
            CPsf psf;
            CtlTarget moved;
            if (!psf.LoadFromFile(psfPath)) {
                TellFailure(context, target, "restore PSF", psfPath + ": " + kPsfFileNotCompatible);
                restored = false;
            } else if (!PutPsfSession(context, line, target, psf, &moved)) {
                restored = false;
            }
        }
        if (restored && fs::exists(bfsPath)) {
            line.Select(target);
            restored = PutBlankingSession(context, line, target, bfsPath) != 0;
        }
        if (!restored) {
            status = kExitRefused;
        }
        context.Say(TargetText(target) + (restored ? " restored" : " not restored"));
    }
    return status;
}
