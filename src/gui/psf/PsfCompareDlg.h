#pragma once
// CPsfCompareDlg: the PSF dialog's working copy beside another PSF, from a PSF file or
// as the controller holds it now. Every field is listed with both values, the rows that
// differ are marked, a summary says how many; Copy puts the table on the clipboard.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "records/Psf.h"
#include "records/PsfCompare.h"

namespace Ui {
class CPsfCompareDlg;
}

class CPsfCompareDlg : public QDialog {
    Q_OBJECT

public:
    // Reads the controller's PSF into its argument; 1 when it was received.
    using ControllerReader = std::function<int(CPsf&)>;

    // working is compared as it is now; without a reader the controller cannot be chosen.
    CPsfCompareDlg(const CPsf& working, ControllerReader readController, QWidget* parent);
    ~CPsfCompareDlg() override;

private:
    void CompareWithFile();
    void CompareWithController();
    void Show(const CPsf& other, const QString& otherHeading);
    void Copy();

    std::unique_ptr<Ui::CPsfCompareDlg> ui;
    CPsf working;
    ControllerReader readController;
    PsfComparison comparison{};
    QString otherHeading;
};
