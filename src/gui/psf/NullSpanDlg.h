#pragma once
// CNullSpanDlg: live adjustment of the null and span of the controller's two analog
// outputs. The controller is already in its null/span adjustment when the dialog opens;
// Null Update and Span Update send the values shown, OK ends the adjustment keeping what
// was sent, Cancel ends it discarding. Both write into the PSF record the values the
// controller is left with: the values shown on OK, the values it reported on Cancel.
// When a device server's connection was lost during the adjustment, OK and Cancel end
// it over a new one.

#include <QDialog>
#include <array>
#include <memory>

class CControllerLink;
class CPsf;
class QLineEdit;
class QScrollBar;

namespace Ui {
class CNullSpanDlg;
}

class CNullSpanDlg : public QDialog {
    Q_OBJECT

public:
    // Null #1, span #1, null #2, span #2: the order of the values throughout.
    using Values = std::array<int, 4>;

    // psf and link must outlive the dialog; initial holds the values the controller
    // reported when the adjustment was opened.
    CNullSpanDlg(CPsf& psf, CControllerLink& link, const Values& initial, QWidget* parent);
    ~CNullSpanDlg() override;

    const Values& Current() const { return current; }

public slots:
    // Escape and the close box do nothing: only OK and Cancel end the adjustment.
    void reject() override {}

protected:
    // Leaving a box normalises its value.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BoxChanged(size_t index);
    void BoxLeft(size_t index);
    void BarAction(size_t index, int action);
    void ShowInBox(size_t index, int value);
    void SendValues(char command);
    void WriteToPsf(const Values& values);
    void Ok();
    void Cancel();

    std::unique_ptr<Ui::CNullSpanDlg> ui;
    CPsf& psf;
    CControllerLink& link;
    const Values initial;
    Values current;
    std::array<QLineEdit*, 4> boxes;
    std::array<QScrollBar*, 4> bars;
};
