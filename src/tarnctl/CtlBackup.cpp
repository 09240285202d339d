// tarnctl backup: every controller's PSF, blanking map and diagnostics in one folder, a
// file each named by the controller's ID and rate, with a summary that lists each file's
// length and checksum. The backup is made in a folder of its own beside the target and
// takes the target's place only once it is complete, so a failed or stopped backup never
// spoils the one before.

#include <filesystem>
#include <vector>

#include "CtlCommands.h"
#include "CtlJson.h"
#include "CtlSessions.h"
#include "CtlStop.h"
#include "CtlSummary.h"
#include "files/AtomicFile.h"
#include "files/Utf8Path.h"
#include "protocol/Diagnostics.h"
#include "records/Psf.h"
#include "sequences/ServiceBracket.h"

namespace {

namespace fs = std::filesystem;

// The new backup is made here, beside the target; the old one waits here while the new
// one takes its place.
constexpr const char* kPartialSuffix = ".tarnctl-partial";
constexpr const char* kOldSuffix = ".tarnctl-old";

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
}

// The folder an operand names, whole: "line/" and "line/." are the folder line, whose
// partial and old backups lie beside it, not in it.
fs::path BackupFolder(const std::string& operand) {
    std::error_code error;
    const fs::path folder = fs::absolute(Utf8Path(operand), error).lexically_normal();
    return folder.has_filename() ? folder : folder.parent_path();
}

// Adds name to entry when the file in folder reads back; its length and checksum are of
// what lies on the disk.
bool ListFile(const std::string& folder, const std::string& name, BackupEntry* entry) {
    std::vector<unsigned char> bytes;
    if (!ReadFileStart(Utf8(Utf8Path(folder) / name), kMaxBackupFileLength, &bytes)) {
        return false;
    }
    entry->files.push_back({name, bytes.size(), Crc32(bytes.data(), bytes.size())});
    return true;
}

// Saves the PSF, the blanking map and the diagnostics of target into folder; answers
// the controller's entry of the summary.
BackupEntry BackUpController(const CtlContext& context, CCtlLine& line, const CtlTarget& target,
                             const std::string& folder) {
    BackupEntry entry{target, {}};
    const std::string base = TargetText(target);
    const auto path = [&](const char* extension) {
        return Utf8(Utf8Path(folder) / (base + extension));
    };
    if (!line.Select(context, target)) {
        return entry;
    }
    CPsf psf;
    if (ReadPsfSession(context, line, target, psf)) {
        if (psf.SaveToFile(path(kBackupPsf))) {
            ListFile(folder, base + kBackupPsf, &entry);
        } else {
            TellFailure(context, target, "save PSF", "cannot write " + path(kBackupPsf));
        }
    }
    CDiagnostics emitter;
    CDiagnostics receiver;
    if (!line.Lost() &&
        GetBlankingSession(context, line, target, path(kBackupBfs), emitter, receiver)) {
        ListFile(folder, base + kBackupBfs, &entry);
    }
    // The alignment reads both diagnostics first; they are kept also when it went no
    // further.
    if (receiver.Side() == kReceiverSide) {
        if (WriteText(path(kBackupDiag),
                      DiagnosticsReport(emitter, receiver, context.options.json) + "\n")) {
            ListFile(folder, base + kBackupDiag, &entry);
        } else {
            TellFailure(context, target, "save diagnostics", "cannot write " + path(kBackupDiag));
        }
    }
    return entry;
}

// Why folder may not be replaced by a backup: it is no folder, or it holds files that
// are not a backup's. "" when it may (also when it does not exist).
std::string TargetRefusal(const fs::path& folder) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (!fs::exists(status)) {
        return "";
    }
    if (!fs::is_directory(status)) {
        return Utf8(folder) + " is not a folder";
    }
    for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
        if (!item.is_regular_file() || !IsBackupFileName(Utf8(item.path().filename()))) {
            return Utf8(folder) + " holds " + Utf8(item.path().filename()) +
                   ", which is no file of a backup; give a new or empty folder, or a backup's";
        }
    }
    return error ? Utf8(folder) + " cannot be read: " + error.message() : "";
}

// The previous backup set aside by a replacement that a crash cut short goes back in
// place; once a newer backup is in place, it is dropped.
void FinishInterruptedReplace(const fs::path& folder) {
    const fs::path old = fs::path(folder).concat(kOldSuffix);
    std::error_code error;
    if (!fs::exists(old, error)) {
        return;
    }
    if (fs::exists(folder, error)) {
        fs::remove_all(old, error);
    } else {
        fs::rename(old, folder, error);
    }
}

// Puts the complete backup in partial in the place of folder. "" when done, else why not;
// folder is then as it was.
std::string ReplaceFolder(const fs::path& partial, const fs::path& folder) {
    std::error_code error;
    const fs::path old = fs::path(folder).concat(kOldSuffix);
    const bool existed = fs::exists(folder);
    if (existed) {
        fs::rename(folder, old, error);
        if (error) {
            return "cannot move the previous backup aside: " + error.message();
        }
    }
    fs::rename(partial, folder, error);
    if (error) {
        std::error_code ignored;
        if (existed) {
            fs::rename(old, folder, ignored);
        }
        return "cannot put the new backup in place: " + error.message();
    }
    fs::remove_all(old, error);
    return "";
}

}  // namespace

int BackupCommand(const CtlContext& context) {
    if (context.options.operands.size() != 1) {
        return UsageError(context, "backup takes the folder to save into");
    }
    const fs::path folder = BackupFolder(context.options.operands[0]);
    const fs::path partial = fs::path(folder).concat(kPartialSuffix);
    FinishInterruptedReplace(folder);
    const std::string refusal = TargetRefusal(folder);
    std::error_code error;
    fs::remove_all(partial, error);
    if (!refusal.empty() || !fs::create_directories(partial, error)) {
        context.Tell(!refusal.empty() ? refusal : "cannot make the folder " + Utf8(partial));
        return kExitRefused;
    }
    CCtlLine line;
    if (!line.Open(context, 0, 0)) {
        fs::remove_all(partial, error);
        return kExitPort;
    }
    ControllerTable& table = line.Table();
    CStopSearchOnRequest stop;
    SearchLine(line.Link(), table, &stop);
    // A backup of the controllers at the rates the device server did set would pass the
    // others over without a word.
    const std::string ratesNotSet = RatesNotSetText(line.Link());
    if (!ratesNotSet.empty()) {
        context.Tell("backup: " + ratesNotSet);
    }
    const ControllerTable found = table;
    const std::vector<CtlTarget> targets =
        ratesNotSet.empty() ? FoundControllers(found) : std::vector<CtlTarget>{};
    std::vector<BackupEntry> entries;
    std::string missing;
    for (const CtlTarget& target : targets) {
        if (line.Lost()) {
            break;
        }
        if (StopRequested()) {
            TellFailure(context, target, "backup", StopText());
            AppendSeparated(missing, ", ", TargetText(target) + " not saved");
            continue;
        }
        entries.push_back(BackUpController(context, line, target, Utf8(partial)));
        const bool complete = entries.back().files.size() == 3;
        if (!complete) {
            AppendSeparated(missing, ", ", TargetText(target) + " saved in part");
        }
        context.Say(TargetText(target) + (complete ? " saved" : " saved in part"));
    }
    EndSearch(line.Link(), found);
    const int lineStatus = line.Outcome(context, ratesNotSet.empty() ? kExitOk : kExitPort);
    const bool stopped = StopRequested();
    const bool written = lineStatus == kExitOk && !entries.empty() &&
                         WriteText(Utf8(partial / kSummaryName), SummaryText(entries));
    std::string failure;
    if (lineStatus != kExitOk) {
        failure = line.Lost() ? "the connection was lost" : "not every rate was searched";
    } else if (entries.empty()) {
        failure = stopped ? StopText() : "no controller answered";
    } else if (!written) {
        failure = "cannot write the summary in " + Utf8(partial);
    } else if (!missing.empty() || stopped) {
        failure = missing.empty() ? StopText() : missing;
    } else {
        failure = ReplaceFolder(partial, folder);
    }
    if (failure.empty()) {
        return kExitOk;
    }
    if (!written) {
        fs::remove_all(partial, error);
    }
    context.Tell("backup not made (" + failure + "); " + Utf8(folder) + " is left as it was" +
                 (written ? "; what was saved is in " + Utf8(partial) : std::string()));
    return lineStatus != kExitOk ? lineStatus : kExitRefused;
}
