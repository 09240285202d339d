// tarnctl psf: get, put, show and diff.

#include "CtlCommands.h"
#include "CtlJson.h"
#include "CtlPsfText.h"
#include "CtlSessions.h"
#include "files/AtomicFile.h"
#include "records/Psf.h"
#include "sequences/PsfSend.h"

namespace {

// A PSF from a file or, for an operand ID@RATE, from that controller. 0 when it could not
// be had (told), with *status the exit status.
int LoadPsf(const CtlContext& context, const std::string& source, CPsf& psf, int* status) {
    CtlTarget target;
    if (ParseTarget(source, &target)) {
        CCtlLine line;
        if (!OpenForTarget(context, target, line)) {
            *status = kExitPort;
            return 0;
        }
        const int read =
            line.Held(PortFlush::kKeep, [&] { return ReadPsfSession(context, line, target, psf); });
        *status = line.Outcome(context, read ? kExitOk : kExitRefused);
        return *status == kExitOk ? 1 : 0;
    }
    if (!psf.LoadFromFile(source)) {
        context.Tell(source + ": " + kPsfFileNotCompatible);
        *status = kExitRefused;
        return 0;
    }
    return 1;
}

int GetPsf(const CtlContext& context) {
    CtlTarget target;
    if (!TargetOperand(context, 1, 2, "psf get takes one controller address", &target)) {
        return kExitUsage;
    }
    CPsf psf;
    int status = kExitOk;
    if (!LoadPsf(context, context.options.operands[1], psf, &status)) {
        return status;
    }
    if (!context.options.output.empty()) {
        FileWriteError error;
        if (!psf.SaveToFile(context.options.output, &error)) {
            std::string text = "Unable to write " + context.options.output + ".";
            if (error.damaged) {
                text.append(" ").append(DamagedFileText(context.options.output));
            }
            context.Tell(text);
            return kExitRefused;
        }
        return kExitOk;
    }
    context.out << PsfText(psf, context.options.json);
    return kExitOk;
}

int PutPsf(const CtlContext& context) {
    CtlTarget target;
    if (!TargetOperand(context, 1, 3, "psf put takes a controller address and a PSF file",
                       &target)) {
        return kExitUsage;
    }
    const std::string& path = context.options.operands[2];
    CPsf psf;
    if (!psf.LoadFromFile(path)) {
        context.Tell(path + ": " + kPsfFileNotCompatible);
        return kExitRefused;
    }
    // As the PSF dialog loads a file for a selected controller: the controller's ID and
    // rate, unless new ones are asked for.
    const CtlOptions& options = context.options;
    psf.SetControllerId(options.newId != 0 ? options.newId : target.id);
    psf.SetBaudIndex(options.newBaudIndex >= 0 ? options.newBaudIndex : target.baudIndex);
    CCtlLine line;
    if (!OpenForTarget(context, target, line)) {
        return kExitPort;
    }
    CtlTarget moved;
    const int put = line.Held(PortFlush::kKeep,
                              [&] { return PutPsfSession(context, line, target, psf, &moved); });
    const int status = line.Outcome(context, put ? kExitOk : kExitRefused);
    if (status != kExitOk) {
        return status;
    }
    context.Say(std::string(kPsfAccepted) +
                (moved.id != target.id || moved.baudIndex != target.baudIndex
                     ? ": the controller is now " + TargetText(moved)
                     : std::string()));
    return kExitOk;
}

int ShowPsf(const CtlContext& context) {
    if (context.options.operands.size() != 2) {
        return UsageError(context, "psf show takes one PSF file");
    }
    CPsf psf;
    int status = kExitOk;
    if (!LoadPsf(context, context.options.operands[1], psf, &status)) {
        return status;
    }
    context.out << PsfText(psf, context.options.json);
    return kExitOk;
}

int DiffPsf(const CtlContext& context) {
    const auto& operands = context.options.operands;
    if (operands.size() != 3) {
        return UsageError(context, "psf diff takes two PSF files or controller addresses");
    }
    CPsf first;
    CPsf second;
    int status = kExitOk;
    if (!LoadPsf(context, operands[1], first, &status) ||
        !LoadPsf(context, operands[2], second, &status)) {
        return status == kExitRefused ? kExitUsage : status;
    }
    bool differ = false;
    context.out << PsfDiffText(first, second, context.options.json, &differ);
    return differ ? kExitRefused : kExitOk;
}

}  // namespace

int PsfCommand(const CtlContext& context) {
    const auto& operands = context.options.operands;
    const std::string action = operands.empty() ? "" : operands[0];
    if (action == "get") {
        return GetPsf(context);
    }
    if (action == "put") {
        return PutPsf(context);
    }
    if (action == "show") {
        return ShowPsf(context);
    }
    if (action == "diff") {
        return DiffPsf(context);
    }
    return UsageError(context, "psf takes get, put, show or diff");
}
