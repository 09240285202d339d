#include "psf/PsfTryOut.h"

#include "app/EditPsfSession.h"
#include "protocol/ControllerLink.h"
#include "psf/MeasurementDlg.h"
#include "psf/NullSpanDlg.h"
#include "psf/PsfTrial.h"
#include "records/Psf.h"
#include "records/PsfCodes.h"
#include "sequences/LostConnection.h"
#include "sequences/PsfSend.h"
#include "widgets/Prompts.h"

namespace {

// The index of "None" in the measurement mode lists.
constexpr int kNoMeasurement = static_cast<int>(kMeasModeTexts.size()) - 1;
// The trial PSF answers scan requests, and only them, with binary measurement results.
constexpr int kHostControl = kControlModeCodes.CodeOf(1);
constexpr int kTrialTransmission =
    kSerialModeNibbles[static_cast<size_t>(SerialMode::measurementResult)] | kBinaryFormat;
static_assert(kTrialTransmission == 0x44);

void Tell(CPsfTrial& dialog, const char* text, PromptIcon icon = PromptIcon::kExclamation) {
    Prompts().Message(dialog.Window(), QString::fromLatin1(text), icon, PromptButtons::kOk);
}

// Addresses the link to a controller with this ID at this rate.
void Address(CControllerLink& link, char id, int baudIndex) {
    link.SetId(id);
    if (link.GetBaudIndex() != baudIndex) {
        link.SetBaudIndex(baudIndex);
    }
}

}  // namespace

int ExecutePsf(CPsfTrial& dialog) {
    const bool first = dialog.MeasIndex(1) != kNoMeasurement;
    const bool second = dialog.MeasIndex(2) != kNoMeasurement;
    if (!first && !second) {
        Tell(dialog, "Measurement Modes cannot both be 'None'.");
        return 0;
    }
    if (!dialog.CheckIdChange()) {
        return 0;
    }
    const int selection = (first ? 1 : 0) | (second ? 2 : 0);

    CControllerLink& link = dialog.Link();
    const char previousId = link.Id();
    const int previousBaud = link.GetBaudIndex();
    CPsf saved;
    CPsf trial;
    if (!link.InputPsf(saved)) {
        Tell(dialog, "Unable to input existing controller's PSF.");
        return 0;
    }
    trial.CopyFrom(dialog.Psf());
    trial.SetControlMode(kHostControl);
    trial.SetSerialTransmission(kTrialTransmission);
    const bool accepted = link.OutputPsf(trial) != 0;
    if (!accepted) {
        Tell(dialog, "Unable to output PSF.", PromptIcon::kNone);
    }

    // From here on the controller may hold the trial PSF, also when only its
    // acknowledgement was lost, and the saved one must go back whatever happens in
    // between. A controller takes the trial's ID and rate with the trial: once it
    // acknowledged it, the scans and the restore go there. Without the acknowledgement it
    // most likely still has its previous ones, so the restore tries there first and then
    // at the trial's.
    const auto addressTrial = [&] {
        Address(link, static_cast<char>(trial.GetControllerId()), dialog.BaudRateIndex());
    };
    if (accepted) {
        addressTrial();
        CMeasurementDlg measurement(link, dialog.MeasName(1), dialog.MeasName(2), selection,
                                    dialog.Window());
        measurement.exec();
        dialog.Session().RestoreOriginalPsf(saved);
    } else {
        dialog.Session().RestoreOriginalPsf(saved, addressTrial);
    }
    Address(link, previousId, previousBaud);
    return accepted ? 1 : 0;
}

int AdjustNullSpan(CPsfTrial& dialog) {
    if (!dialog.ControllerSelected() || !dialog.SelectedBySearch()) {
        Tell(dialog, "You must select an Analog Controller.");
        return 0;
    }
    CControllerLink& link = dialog.Link();
    CNullSpanDlg::Values values{};
    if (!link.InputNullSpan(values.data())) {
        // The controller may have opened the adjustment with only its answer lost: end it,
        // discarding, so that it does not stay open (over a new connection when a device
        // server's was lost).
        RunClosingStep(link, [&] { return link.EndNullSpan('Q'); });
        Tell(dialog, "Serial Interface is not active.");
        return 0;
    }
    {
        CNullSpanDlg nullSpan(dialog.Psf(), link, values, dialog.Window());
        nullSpan.exec();
    }
    // The controller's PSF now holds whatever the adjustment kept; the dialog shows it.
    const int uploaded = link.InputPsf(dialog.Psf());
    if (!uploaded) {
        Tell(dialog, kPsfNotUploaded);
    }
    dialog.ShowPsf();
    return uploaded;
}
