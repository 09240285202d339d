#pragma once
// CPsfTrial: what trying a PSF out (Execute..., Null/Span) needs of the dialog that edits
// it: the working PSF, the chosen measurement modes and rate, the selection and the open
// link. The PSF dialog provides it; the try-out sees nothing else of the dialog.

#include <QString>

class CControllerLink;
class CEditPsfSession;
class CPsf;
class QWidget;

class CPsfTrial {
public:
    // The window the try-out's own dialogs and messages belong to.
    virtual QWidget* Window() = 0;
    virtual CEditPsfSession& Session() const = 0;
    virtual CControllerLink& Link() const = 0;
    virtual CPsf& Psf() = 0;
    // The index chosen in list Meas1 (n = 1) or Meas2 (n = 2), 10 for "None", -1 for
    // none; and its text, at most 4 characters.
    virtual int MeasIndex(int n) const = 0;
    virtual QString MeasName(int n) const = 0;
    // The index chosen in the Baud Rate list.
    virtual int BaudRateIndex() const = 0;
    // A controller is selected (the selection's ID is nonzero), and it was selected by
    // the search (its marker is 'X').
    virtual bool ControllerSelected() const = 0;
    virtual bool SelectedBySearch() const = 0;
    // Sets every control from the working PSF and, when the search selected a controller,
    // writes its ID and baud index into the working PSF first.
    virtual void ShowPsf() = 0;
    // True when the working PSF's ID may be sent: it is the selected one, or no
    // controller answers a ping to it (else the operator is told).
    virtual bool CheckIdChange() = 0;

protected:
    ~CPsfTrial() = default;
};
