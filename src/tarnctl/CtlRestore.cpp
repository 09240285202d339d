// tarnctl restore: puts a backup's PSFs and blanking maps back into the controllers the
// summary lists, exactly the files it lists. Every file is checked against the summary
// before the first frame goes on the line, and a stop falls between controllers only,
// never between a controller's PSF and its map.

#include <algorithm>
#include <optional>
#include <vector>

#include "CtlCommands.h"
#include "CtlSessions.h"
#include "CtlStop.h"
#include "CtlSummary.h"
#include "files/AtomicFile.h"
#include "files/FileErrorText.h"
#include "files/Utf8Path.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "sequences/BlankingFileCommands.h"
#include "sequences/PsfSend.h"
#include "sequences/ServiceBracket.h"

namespace {

// Far more than a summary of every controller a line can hold.
constexpr size_t kMaxSummaryLength = 64 * 1024;

// What a controller is to be given back, read and checked.
struct RestoreItem {
    CtlTarget target;
    std::optional<CPsf> psf;
    std::optional<CBlankingMap> map;
};

std::string PathIn(const std::string& folder, const std::string& name) {
    const std::u8string text = (Utf8Path(folder) / name).u8string();
    return std::string(text.begin(), text.end());
}

// The bytes of file in folder, as the summary describes them; "" when they are, else why
// not.
std::string ReadListedFile(const std::string& folder, const BackupFile& file,
                           std::vector<unsigned char>* bytes) {
    FileReadError error;
    if (!ReadFileStart(PathIn(folder, file.name), file.length + 1, bytes, &error)) {
        return file.name + (error.notRegular ? " is not a regular file"
                                             : std::string(" cannot be read: ") +
                                                   FileErrorText(error.errorNumber));
    }
    if (bytes->size() != file.length) {
        return file.name + " is " + (bytes->size() > file.length ? "longer" : "shorter") +
               " than the " + std::to_string(file.length) + " bytes the summary gives";
    }
    if (Crc32(bytes->data(), bytes->size()) != file.checksum) {
        return file.name + " does not match its checksum in the summary";
    }
    return "";
}

// Reads and checks every file of entry into *item; "" when all are sound, else the first
// fault.
std::string CheckEntry(const std::string& folder, const BackupEntry& entry, RestoreItem* item) {
    item->target = entry.target;
    for (const BackupFile& file : entry.files) {
        std::vector<unsigned char> bytes;
        const std::string fault = ReadListedFile(folder, file, &bytes);
        if (!fault.empty()) {
            return fault;
        }
        if (&file == entry.File(kBackupPsf)) {
            CPsf& psf = item->psf.emplace();
            if (bytes.size() != kPsfImageSize || !psf.Unpack(bytes.data())) {
                return file.name + ": " + kPsfFileNotCompatible;
            }
            const CtlTarget own{static_cast<char>(psf.GetControllerId()), psf.GetBaudIndex()};
            const std::string rate = PsfRateRefusal(psf);
            if (!rate.empty()) {
                return file.name + ": " + rate;
            }
            if (own.id != entry.target.id || own.baudIndex != entry.target.baudIndex) {
                return file.name + " would move the controller to " + TargetText(own);
            }
        } else if (&file == entry.File(kBackupBfs)) {
            const std::string fault = BlankingFromBytes(bytes, item->map.emplace());
            if (!fault.empty()) {
                return file.name + ": " + fault;
            }
        }
    }
    return "";
}

// The summary of folder, strictly read; "" when sound, else why not.
std::string ReadSummary(const std::string& folder, std::vector<BackupEntry>* entries) {
    std::vector<unsigned char> bytes;
    FileReadError error;
    const std::string path = PathIn(folder, kSummaryName);
    if (!ReadFileStart(path, kMaxSummaryLength + 1, &bytes, &error)) {
        return "no backup summary " + path + ": " +
               (error.notRegular ? "not a regular file" : FileErrorText(error.errorNumber));
    }
    if (bytes.size() > kMaxSummaryLength) {
        return path + ": too long for a backup summary";
    }
    const std::string fault = ParseSummary(std::string(bytes.begin(), bytes.end()), entries);
    return fault.empty() ? "" : path + ": " + fault;
}

// Gives every item back to its controller, inside the command's hold; the exit status.
// A controller at a rate the line did not take is passed over; a lost connection ends it.
int RestoreItems(const CtlContext& context, CCtlLine& line, std::vector<RestoreItem>& items) {
    int status = kExitOk;
    for (RestoreItem& item : items) {
        if (line.Lost()) {
            return kExitPort;
        }
        if (StopRequested()) {
            TellFailure(context, item.target, "restore", StopText());
            return kExitRefused;
        }
        const bool selected = line.Select(context, item.target) != 0;
        const bool restored =
            selected && RestoreSession(context, line, item.target, item.psf ? &*item.psf : nullptr,
                                       item.map ? &*item.map : nullptr) != 0;
        if (!restored) {
            status = std::max(status, selected ? kExitRefused : kExitPort);
        }
        context.Say(TargetText(item.target) + (restored ? " restored" : " not restored"));
    }
    return status;
}

}  // namespace

int RestoreCommand(const CtlContext& context) {
    if (context.options.operands.size() != 1) {
        return UsageError(context, "restore takes the folder of a backup");
    }
    const std::string& folder = context.options.operands[0];
    std::vector<BackupEntry> entries;
    const std::string summaryFault = ReadSummary(folder, &entries);
    if (!summaryFault.empty()) {
        context.Tell("restore: " + summaryFault + "; nothing was sent");
        return kExitRefused;
    }
    std::vector<RestoreItem> items(entries.size());
    int status = kExitOk;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string fault = CheckEntry(folder, entries[i], &items[i]);
        if (!fault.empty()) {
            TellFailure(context, entries[i].target, "restore", fault);
            status = kExitRefused;
        }
    }
    if (status != kExitOk) {
        context.Tell("restore: nothing was sent");
        return status;
    }
    CCtlLine line;
    if (!line.Open(context, items[0].target.baudIndex, items[0].target.id)) {
        return kExitPort;
    }
    // Every controller of the backup is known to the line, as after a search.
    for (const RestoreItem& item : items) {
        StoreControllerEntry(line.Table(), item.target.id, item.target.baudIndex, kFoundMarker);
    }
    {
        const CLineHold hold(line.Link(), line.Table(), LineKnown::kFromTable, PortFlush::kDiscard);
        status = RestoreItems(context, line, items);
    }
    return line.Outcome(context, status);
}
