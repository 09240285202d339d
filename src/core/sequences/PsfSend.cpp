#include "sequences/PsfSend.h"

#include <cstdio>

#include "protocol/ControllerLink.h"
#include "records/Psf.h"
#include "sequences/LostConnection.h"
#include "serial/Clock.h"

namespace {

constexpr uint32_t kSendBackPauseMs = 1000;
constexpr const char* kIdTakenFormat =
    "The id for controller '%c' cannot be changed to id '%c' because a contoller already "
    "exists with the new id. You must select a unique id.";

}  // namespace

std::string PsfRateRefusal(const CPsf& psf) {
    const int baud = psf.GetBaudIndex();
    if (baud < kSearchedBaudIndexes) {
        return "";
    }
    const std::string rate = baud < kBaudRateCount
                                 ? std::to_string(CControllerLink::BaudRateOf(baud)) + " baud"
                                 : "baud index " + std::to_string(baud);
    return "This PSF would set the controller to " + rate +
           ", a rate at which it can no longer be reached. Choose 9600, 19200 or 38400 baud.";
}

std::string PsfSendRefusal(CControllerLink& link, const ControllerTable& table, const CPsf& psf) {
    std::string refusal = PsfRateRefusal(psf);
    if (!refusal.empty()) {
        return refusal;
    }
    const int selectedId = table[0][0];
    const int id = psf.GetControllerId();
    const int current = link.GetBaudIndex();
    const int baud = psf.GetBaudIndex();
    bool taken = id != selectedId && link.Ping(static_cast<char>(id)) != 0;
    if (!taken && baud != current) {
        link.SetBaudIndex(baud);
        taken = link.Ping(static_cast<char>(id)) != 0;
        link.SetBaudIndex(current);
    }
    return taken ? IdTakenText(selectedId, id) : "";
}

std::string IdTakenText(int selectedId, int newId) {
    char text[256];
    std::snprintf(text, sizeof text, kIdTakenFormat, selectedId, newId);
    return text;
}

PsfSendResult SendPsf(CControllerLink& link, ControllerTable& table, CPsf& psf,
                      std::string* refusal) {
    const std::string refused = PsfSendRefusal(link, table, psf);
    if (!refused.empty()) {
        if (refusal != nullptr) {
            *refusal = refused;
        }
        return PsfSendResult::kRefused;
    }
    if (!link.OutputPsf(psf)) {
        return PsfSendResult::kNotAccepted;
    }
    const int selectedId = table[0][0];
    const int selectedBaud = table[0][1];
    const int id = psf.GetControllerId();
    const int baud = psf.GetBaudIndex();
    MoveControllerEntry(table, selectedId, selectedBaud, id, baud);
    if (id != selectedId) {
        table[0][0] = id;
        // The controller answers to its new ID only.
        link.SetId(static_cast<char>(id));
    }
    if (baud != selectedBaud) {
        table[0][1] = baud;
        link.SetBaudIndex(baud);
    }
    return PsfSendResult::kAccepted;
}

int SendPsfBack(CControllerLink& link, CPsf& psf, const std::function<void()>& beforeRetry) {
    int restored = RunClosingStep(link, [&] { return link.OutputPsf(psf); });
    if (!restored) {
        DelayMs(kSendBackPauseMs);
        restored = RunClosingStep(link, [&] {
            if (beforeRetry) {
                beforeRetry();
            }
            return link.OutputPsf(psf);
        });
    }
    if (restored) {
        DelayMs(kSendBackPauseMs);
    }
    return restored;
}
