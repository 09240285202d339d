#include "psf/NullSpanDlg.h"

#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

#include "protocol/ControllerLink.h"
#include "records/Psf.h"
#include "sequences/LostConnection.h"
#include "ui_NullSpanDlg.h"
#include "widgets/InputRules.h"
#include "widgets/Prompts.h"

namespace {

struct CRange {
    int low;
    int high;
};
constexpr CRange kNullRange{0, 1000};
constexpr CRange kSpanRange{1500, 4095};
constexpr std::array<CRange, 4> kRanges = {kNullRange, kSpanRange, kNullRange, kSpanRange};
constexpr int kPageStep = 100;  // the thumb's size only: page clicks do not move the bar
constexpr int kBoxLength = 4;   // characters the operator can type into a box

constexpr const char* kUpdateFailed = "Unable to update Null/Span Information.";

void ReportFailure(QWidget* owner) {
    Prompts().Message(owner, QString::fromLatin1(kUpdateFailed), PromptIcon::kExclamation,
                      PromptButtons::kOk);
}

// The box's value: its text as an unsigned decimal, 0 when it is not one.
int BoxValue(const QLineEdit& box) {
    bool ok = false;
    const unsigned value = box.text().toUInt(&ok);
    return ok ? static_cast<int>(value) : 0;
}

bool AllDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

}  // namespace

CNullSpanDlg::CNullSpanDlg(CPsf& psf, CControllerLink& link, const Values& initial, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::CNullSpanDlg>()),
      psf(psf),
      link(link),
      initial(initial),
      current(initial) {
    ui->setupUi(this);
    boxes = {ui->null1Edit, ui->span1Edit, ui->null2Edit, ui->span2Edit};
    bars = {ui->null1Bar, ui->span1Bar, ui->null2Bar, ui->span2Bar};
    for (size_t i = 0; i < boxes.size(); ++i) {
        LimitTyping(boxes[i], kBoxLength);
        ShowInBox(i, current[i]);
        // A value outside the range puts the bar at the nearer end; the box keeps it.
        bars[i]->setRange(kRanges[i].low, kRanges[i].high);
        bars[i]->setSingleStep(1);
        bars[i]->setPageStep(kPageStep);
        bars[i]->setValue(current[i]);
        connect(boxes[i], &QLineEdit::textChanged, this, [this, i] { BoxChanged(i); });
        boxes[i]->installEventFilter(this);
        connect(bars[i], &QScrollBar::actionTriggered, this,
                [this, i](int action) { BarAction(i, action); });
        connect(bars[i], &QScrollBar::sliderReleased, this,
                [this, i] { ShowInBox(i, bars[i]->value()); });
    }
    connect(ui->nullUpdateButton, &QPushButton::clicked, this, [this] { SendValues('n'); });
    connect(ui->spanUpdateButton, &QPushButton::clicked, this, [this] { SendValues('s'); });
    connect(ui->okButton, &QPushButton::clicked, this, &CNullSpanDlg::Ok);
    connect(ui->cancelButton, &QPushButton::clicked, this, &CNullSpanDlg::Cancel);
}

CNullSpanDlg::~CNullSpanDlg() = default;

bool CNullSpanDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto found = std::find(boxes.begin(), boxes.end(), watched);
        if (found != boxes.end()) {
            BoxLeft(static_cast<size_t>(found - boxes.begin()));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CNullSpanDlg::BoxChanged(size_t index) {
    if (!AllDigits(boxes[index]->text())) {
        boxes[index]->clear();  // changes the text again, which stores 0
        return;
    }
    current[index] = BoxValue(*boxes[index]);
}

void CNullSpanDlg::BoxLeft(size_t index) {
    const int value = std::clamp(BoxValue(*boxes[index]), kRanges[index].low, kRanges[index].high);
    bars[index]->setValue(value);
    ShowInBox(index, value);
}

void CNullSpanDlg::BarAction(size_t index, int action) {
    QScrollBar& bar = *bars[index];
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderSingleStepSub:
            // The position is already moved by one step and kept inside the range.
            ShowInBox(index, bar.sliderPosition());
            break;
        case QAbstractSlider::SliderMove:
            // The thumb follows a drag; the box waits for the release. Anything else
            // that moves the bar this way (the wheel) is undone.
            if (!bar.isSliderDown()) {
                bar.setSliderPosition(bar.value());
            }
            break;
        default:
            // Page clicks and jumps to the ends leave the bar where it is.
            bar.setSliderPosition(bar.value());
            break;
    }
}

void CNullSpanDlg::ShowInBox(size_t index, int value) {
    boxes[index]->setText(QString::number(static_cast<unsigned>(value)));
}

void CNullSpanDlg::SendValues(char command) {
    if (!link.OutputNullSpan(command, current.data())) {
        ReportFailure(this);
    }
}

void CNullSpanDlg::WriteToPsf(const Values& values) {
    psf.SetAnalogNull(1, values[0]);
    psf.SetAnalogSpan(1, values[1]);
    psf.SetAnalogNull(2, values[2]);
    psf.SetAnalogSpan(2, values[3]);
}

void CNullSpanDlg::Ok() {
    WriteToPsf(current);
    if (!RunClosingStep(link, [&] { return link.EndNullSpan('E'); })) {
        ReportFailure(this);
        return;
    }
    done(QDialog::Accepted);
}

void CNullSpanDlg::Cancel() {
    // The dialog closes whatever happens: one more try, so that a lost request does not
    // leave the controller in the adjustment; only when that fails too is it a failure.
    // A device server's connection lost meanwhile is made again for it.
    const auto discard = [&] { return link.EndNullSpan('Q'); };
    if (!RunClosingStep(link, discard) && !RunClosingStep(link, discard)) {
        ReportFailure(this);
    }
    WriteToPsf(initial);
    done(QDialog::Rejected);
}
