#pragma once
// CPsfDlg: the PSF configuration dialog. The operator edits a working copy of the
// selected controller's PSF in lists, buttons and boxes that keep it consistent, uploads
// it again, sends it (which may move the controller to a new ID or baud rate), saves it to
// and retrieves it from a PSF file, tries it out (Execute...) and adjusts the analog
// outputs (Null/Span). Only Quit and Exit close it; Enter and Escape do nothing.

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

#include "protocol/ControllerTable.h"
#include "psf/PsfTrial.h"
#include "records/Psf.h"
#include "records/PsfRules.h"
#include "widgets/Prompts.h"

class CControllerLink;
class CEditPsfSession;
class QComboBox;
class QLineEdit;

namespace Ui {
class CPsfDlg;
}

class CPsfDlg : public QDialog, public CPsfTrial {
    Q_OBJECT

public:
    // Opens on table's selection through the session's open link: when the search
    // selected a controller its PSF is read ("Unable to Upload PSF" and the defaults when
    // that fails), then every control shows the working PSF.
    CPsfDlg(ControllerTable& table, CEditPsfSession& session, QWidget* parent);
    ~CPsfDlg() override;

    // What the commands of the dialog's buttons work with; the try-out's view of the
    // dialog is described in CPsfTrial.
    QWidget* Window() override { return this; }
    CEditPsfSession& Session() const override { return session; }
    CControllerLink& Link() const override;
    ControllerTable& Table() const { return table; }
    CPsf& Psf() override { return psf; }
    int MeasIndex(int n) const override;
    QString MeasName(int n) const override;
    int BaudRateIndex() const override;
    bool ControllerSelected() const override;
    bool SelectedBySearch() const override;
    void ShowPsf() override;
    bool CheckIdChange() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillLists();
    void ConnectControls();
    void Message(const QString& text, PromptIcon icon = PromptIcon::kExclamation);

    // The serial transmission setup.
    void ShowSerialTransmission(int serialTransmission);
    void ClickSerial(SerialButton button);
    void SetFormatButtonsEnabled(bool enabled);
    void SetSendOnButtonsEnabled(bool enabled);

    // The lists.
    void ChooseControllerId(int index);
    void ChooseBaudRate(int index);
    void ChooseParity(int index);
    void ChooseScanningMethod(int index);
    void ChooseDiscrete1();
    void ChooseDiscrete2();
    // The code of list's entry from "xyzYZwv"; first decides whether Scan # applies.
    int OutputCodeFromList(const QComboBox* list);
    void SetBoxesEnabled(int n, bool enabled);

    // The set point and hysteresis boxes of output n, and the trigger channel box. A box
    // the program writes is stored like one the operator typed.
    QLineEdit* Box(int n, SetPointBox box) const;
    void WriteBox(int n, SetPointBox which, int value);
    void WriteBoxes(int n, const SetPointValues& values);
    void WriteTriggerChannel(const QString& text);
    void BoxChanged(int n, SetPointBox which);
    void LeaveBox(int n, SetPointBox which);
    void TriggerChanged();
    void LeaveTrigger();

    // The buttons.
    void UploadPsf();
    void SendPsf();
    // 1 when the PSF was written or the operator cancelled, 0 when the write failed.
    int SavePsfFile();
    void RetrievePsfFile();
    // The working copy beside a PSF file or the controller's PSF.
    void ComparePsf();
    void ExitDialog();

    std::unique_ptr<Ui::CPsfDlg> ui;
    ControllerTable& table;
    CEditPsfSession& session;
    CPsf psf;
    std::array<std::array<QLineEdit*, 4>, 2> boxes{};
};
