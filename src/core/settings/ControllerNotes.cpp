#include "settings/ControllerNotes.h"

#include <array>
#include <ctime>
#include <string_view>

#include "records/PsfCodes.h"

namespace {

constexpr unsigned kPsfFrameLength = 3 + kPsfImageSize + 1;
// The command letters whose exchanges the notes read: PSF upload and download, emitter and
// receiver diagnostics.
constexpr const char* kNotedCommands = "GCIJ";

template <size_t N>
std::string TextAt(const std::array<const char*, N>& texts, int index) {
    return index >= 0 && index < static_cast<int>(N) ? texts[static_cast<size_t>(index)]
                                                     : "unknown";
}

}  // namespace

CControllerNotes::CControllerNotes() : tap(this) {}

void CControllerNotes::OnExchange(const CLineExchange& exchange) {
    Commit();
    // Only the commands the notes keep are copied; the frames of a scan loop pass by.
    if (exchange.request.size() < 4 ||
        std::string_view(kNotedCommands).find(static_cast<char>(exchange.request[2])) ==
            std::string_view::npos) {
        return;
    }
    last = exchange;
    pending = true;
}

void CControllerNotes::OnVerdictChanged(LineVerdict verdict) {
    last.verdict = verdict;
}

void CControllerNotes::Commit() {
    if (!pending) {
        return;
    }
    pending = false;
    if (last.verdict != LineVerdict::kAnswered || last.request.size() < 4 ||
        last.reply.size() < 4) {
        return;
    }
    const char id = static_cast<char>(last.request[1]);
    const std::time_t now = std::time(nullptr);
    switch (last.request[2]) {
        case 'G':
            if (last.reply.size() == kPsfFrameLength && psf.psf.Unpack(&last.reply[3])) {
                psf.id = id;
                psf.sent = false;
                psf.at = now;
            }
            break;
        case 'C':
            if (last.reply[2] == 'K' && last.request.size() == kPsfFrameLength &&
                psf.psf.Unpack(&last.request[3])) {
                psf.id = id;
                psf.sent = true;
                psf.at = now;
            }
            break;
        case 'I':
            emitterId =
                emitterRead.Decode(last.reply.data(), static_cast<int>(last.reply.size())) ? id : 0;
            break;
        case 'J':
            if (emitterId == id && diagnostics.receiver.Decode(
                                       last.reply.data(), static_cast<int>(last.reply.size()))) {
                diagnostics.emitter = emitterRead;
                diagnostics.id = id;
                diagnostics.at = now;
            }
            emitterId = 0;
            break;
        default:
            break;
    }
}

std::vector<std::string> DescribePsf(const CPsf& psf) {
    std::vector<std::string> lines;
    lines.push_back("Control mode: " +
                    TextAt(kControlModeTexts, kControlModeCodes.IndexOf(psf.GetControlMode())));
    lines.push_back("Scanning method: " +
                    TextAt(kScanningMethodTexts, ScanningMethodIndex(psf.GetScanningMethod())));
    lines.push_back("Measurements: 1 " +
                    TextAt(kMeasModeTexts, kMeasModeCodes.IndexOf(psf.GetMeasMode(1))) + ", 2 " +
                    TextAt(kMeasModeTexts, kMeasModeCodes.IndexOf(psf.GetMeasMode(2))));
    const auto output = [](PsfOutput which, int code) {
        return TextAt(kOutputTexts, OutputListIndex(which, code));
    };
    lines.push_back("Outputs: analog 1 " + output(PsfOutput::analog1, psf.GetAnalogAssignment(1)) +
                    ", analog 2 " + output(PsfOutput::analog2, psf.GetAnalogAssignment(2)) +
                    ", discrete 1 " + output(PsfOutput::discrete1, psf.GetDiscreteAssignment(1)) +
                    ", discrete 2 " + output(PsfOutput::discrete2, psf.GetDiscreteAssignment(2)));
    return lines;
}
