#include "psf/PsfDlg.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <span>

#include "app/EditPsfSession.h"
#include "files/AtomicFile.h"
#include "protocol/ControllerLink.h"
#include "psf/PsfCompareDlg.h"
#include "psf/PsfTryOut.h"
#include "records/PsfCodes.h"
#include "sequences/PsfSend.h"
#include "ui_PsfDlg.h"
#include "widgets/InputRules.h"

namespace {

constexpr char kTypeText[] = "VARN with Blanking";
constexpr CFileDialogSpec kPsfFiles{"PSF", "PSF Files (*.PSF) |*.PSF||"};
constexpr SetPointBox kSetPointBoxes[] = {SetPointBox::kSetPointLow, SetPointBox::kSetPointHigh,
                                          SetPointBox::kHysteresisLow,
                                          SetPointBox::kHysteresisHigh};

void Fill(QComboBox* list, std::span<const char* const> texts) {
    for (const char* text : texts) {
        list->addItem(QString::fromLatin1(text));
    }
}

// The field of box of discrete output n; the four lie in the record in box order.
int BoxField(int n, SetPointBox box) {
    return (n == 1 ? kDiscrete1SetPointLow : kDiscrete2SetPointLow) + static_cast<int>(box);
}

void Apply(Switch change, std::initializer_list<QWidget*> widgets) {
    if (change == Switch::kKeep) {
        return;
    }
    for (QWidget* widget : widgets) {
        widget->setEnabled(change == Switch::kOn);
    }
}

// Unchecks every button of an exclusive group, which the group alone would not allow.
void UncheckAll(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

}  // namespace

CPsfDlg::CPsfDlg(ControllerTable& table, CEditPsfSession& session, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::CPsfDlg>()),
      table(table),
      session(session) {
    ui->setupUi(this);
    boxes = {
        {{ui->setPointLow1Box, ui->setPointHigh1Box, ui->hysteresisLow1Box, ui->hysteresisHigh1Box},
         {ui->setPointLow2Box, ui->setPointHigh2Box, ui->hysteresisLow2Box,
          ui->hysteresisHigh2Box}}};
    FillLists();
    ConnectControls();
    setFixedSize(sizeHint());

    LimitTyping(ui->triggerChannelBox, kTriggerBoxLength);
    if (SelectedBySearch() && !Link().InputPsf(psf)) {
        Message(QString::fromLatin1(kPsfNotUploaded));
    }
    ShowPsf();
}

CPsfDlg::~CPsfDlg() {
    // Focus leaving a box while the widgets go must not reach the rules.
    for (const auto& output : boxes) {
        for (QLineEdit* box : output) {
            box->removeEventFilter(this);
        }
    }
    ui->triggerChannelBox->removeEventFilter(this);
}

CControllerLink& CPsfDlg::Link() const {
    return *session.Link();
}

int CPsfDlg::MeasIndex(int n) const {
    return (n == 1 ? ui->meas1List : ui->meas2List)->currentIndex();
}

QString CPsfDlg::MeasName(int n) const {
    return (n == 1 ? ui->meas1List : ui->meas2List)->currentText().left(4);
}

int CPsfDlg::BaudRateIndex() const {
    return ui->baudRateList->currentIndex();
}

bool CPsfDlg::ControllerSelected() const {
    return table[0][0] != 0;
}

bool CPsfDlg::SelectedBySearch() const {
    return table[0][2] == kFoundMarker;
}

void CPsfDlg::FillLists() {
    // Scrolling over the dialog must not change a list the pointer happens to cross.
    for (QComboBox* list : findChildren<QComboBox*>()) {
        TakeWheelOnlyWithFocus(list);
    }
    Fill(ui->controllerIdList, kControllerIdTexts);
    Fill(ui->baudRateList, kBaudRateTexts);
    Fill(ui->parityList, kParityTexts);
    Fill(ui->controlModeList, kControlModeTexts);
    Fill(ui->scanningMethodList, kScanningMethodTexts);
    Fill(ui->meas1List, kMeasModeTexts);
    Fill(ui->meas2List, kMeasModeTexts);
    Fill(ui->scanNumberList, kScanNumberTexts);
    Fill(ui->zeroValue1List, kZeroValueTexts);
    Fill(ui->zeroValue2List, kZeroValueTexts);
    const std::pair<QComboBox*, PsfOutput> outputs[] = {{ui->analog1List, PsfOutput::analog1},
                                                        {ui->analog2List, PsfOutput::analog2},
                                                        {ui->discrete1List, PsfOutput::discrete1},
                                                        {ui->discrete2List, PsfOutput::discrete2}};
    for (const auto& [list, output] : outputs) {
        Fill(list, std::span(kOutputTexts).first(static_cast<size_t>(OutputListLength(output))));
    }
    const std::pair<QAbstractButton*, const char*> buttons[] = {
        {ui->noSerialButton, kSerialModeTexts[0]},
        {ui->measurementResultButton, kSerialModeTexts[1]},
        {ui->allModeButton, kSerialModeTexts[2]},
        {ui->maxMeasButton, kSerialModeTexts[3]},
        {ui->sendOnClearButton, kSendOnTexts[0]},
        {ui->sendOnRequestButton, kSendOnTexts[1]},
        {ui->asciiButton, kTransmissionTypeTexts[0]},
        {ui->binaryButton, kTransmissionTypeTexts[1]},
        {ui->suppressClearDataBox, kSuppressClearDataText},
        {ui->suppressHeaderBox, kSuppressHeaderText}};
    for (const auto& [button, text] : buttons) {
        button->setText(QString::fromLatin1(text));
    }
}

void CPsfDlg::ConnectControls() {
    connect(ui->controllerIdList, &QComboBox::activated, this, &CPsfDlg::ChooseControllerId);
    connect(ui->baudRateList, &QComboBox::activated, this, &CPsfDlg::ChooseBaudRate);
    connect(ui->parityList, &QComboBox::activated, this, &CPsfDlg::ChooseParity);
    connect(ui->scanningMethodList, &QComboBox::activated, this, &CPsfDlg::ChooseScanningMethod);
    connect(ui->controlModeList, &QComboBox::activated, this,
            [this](int index) { psf.SetControlMode(kControlModeCodes.CodeOf(index)); });
    connect(ui->scanNumberList, &QComboBox::activated, this,
            [this](int index) { psf.SetScanNumber(kScanNumberCodes.CodeOf(index)); });
    for (int n = 1; n <= 2; ++n) {
        connect(n == 1 ? ui->meas1List : ui->meas2List, &QComboBox::activated, this,
                [this, n](int index) { psf.SetMeasMode(n, kMeasModeCodes.CodeOf(index)); });
        QComboBox* analog = n == 1 ? ui->analog1List : ui->analog2List;
        connect(analog, &QComboBox::activated, this,
                [this, n, analog] { psf.SetAnalogAssignment(n, OutputCodeFromList(analog)); });
        connect(n == 1 ? ui->zeroValue1List : ui->zeroValue2List, &QComboBox::activated, this,
                [this, n](int index) {
                    if (index >= 0 && index < static_cast<int>(kZeroValueTexts.size())) {
                        psf.SetAnalogZeroValue(n, kZeroValueCodes.CodeOf(index));
                    }
                });
        for (SetPointBox which : kSetPointBoxes) {
            QLineEdit* box = Box(n, which);
            LimitTyping(box, kSetPointBoxLength);
            box->installEventFilter(this);
            connect(box, &QLineEdit::textChanged, this, [this, n, which] { BoxChanged(n, which); });
        }
    }
    connect(ui->discrete1List, &QComboBox::activated, this, &CPsfDlg::ChooseDiscrete1);
    connect(ui->discrete2List, &QComboBox::activated, this, &CPsfDlg::ChooseDiscrete2);
    ui->triggerChannelBox->installEventFilter(this);
    connect(ui->triggerChannelBox, &QLineEdit::textChanged, this, &CPsfDlg::TriggerChanged);

    const std::pair<QAbstractButton*, SerialButton> serialButtons[] = {
        {ui->noSerialButton, SerialButton::kNoSerial},
        {ui->measurementResultButton, SerialButton::kMeasurementResult},
        {ui->allModeButton, SerialButton::kAllMode},
        {ui->maxMeasButton, SerialButton::kMaxMeas},
        {ui->sendOnClearButton, SerialButton::kSendOnClear},
        {ui->sendOnRequestButton, SerialButton::kSendOnRequest}};
    for (const auto& [button, which] : serialButtons) {
        connect(button, &QAbstractButton::clicked, this, [this, which] { ClickSerial(which); });
    }
    const std::pair<QAbstractButton*, int> formatBits[] = {
        {ui->suppressClearDataBox, kSuppressClearData}, {ui->suppressHeaderBox, kSuppressHeader}};
    for (const auto& [box, bit] : formatBits) {
        connect(box, &QAbstractButton::clicked, this, [this, bit](bool checked) {
            psf.SetSerialTransmission(WithFormatBit(psf.GetSerialTransmission(), bit, checked));
        });
    }
    connect(ui->asciiButton, &QAbstractButton::clicked, this, [this] {
        psf.SetSerialTransmission(WithFormatBit(psf.GetSerialTransmission(), kBinaryFormat, false));
    });
    connect(ui->binaryButton, &QAbstractButton::clicked, this, [this] {
        psf.SetSerialTransmission(WithFormatBit(psf.GetSerialTransmission(), kBinaryFormat, true));
    });

    connect(ui->uploadButton, &QPushButton::clicked, this, &CPsfDlg::UploadPsf);
    connect(ui->sendButton, &QPushButton::clicked, this, &CPsfDlg::SendPsf);
    connect(ui->executeButton, &QPushButton::clicked, this, [this] { ExecutePsf(*this); });
    connect(ui->nullSpanButton, &QPushButton::clicked, this, [this] { AdjustNullSpan(*this); });
    connect(ui->saveButton, &QPushButton::clicked, this, &CPsfDlg::SavePsfFile);
    connect(ui->retrieveButton, &QPushButton::clicked, this, &CPsfDlg::RetrievePsfFile);
    connect(ui->compareButton, &QPushButton::clicked, this, &CPsfDlg::ComparePsf);
    connect(ui->quitButton, &QPushButton::clicked, this, [this] { done(Rejected); });
    connect(ui->exitButton, &QPushButton::clicked, this, &CPsfDlg::ExitDialog);
}

void CPsfDlg::Message(const QString& text, PromptIcon icon) {
    Prompts().Message(this, text, icon, PromptButtons::kOk);
}

void CPsfDlg::ShowPsf() {
    ui->parityList->setCurrentIndex(psf.GetParityIndex());
    const bool selected = SelectedBySearch();
    if (selected) {
        ui->idText->setText(QString(QChar(table[0][0])));
        ui->baudText->setText(QString::fromLatin1(SelectedBaudText(table[0][1])));
        ui->typeText->setText(QString::fromLatin1(kTypeText));
    } else {
        ui->typeText->clear();
        for (QPushButton* button :
             {ui->uploadButton, ui->executeButton, ui->sendButton, ui->nullSpanButton}) {
            button->setEnabled(false);
        }
    }
    if (selected) {
        psf.SetControllerId(table[0][0]);
    }
    ui->controllerIdList->setCurrentIndex(kControllerIdCodes.IndexOf(psf.GetControllerId()));
    if (selected) {
        psf.SetBaudIndex(table[0][1]);
    }
    ui->baudRateList->setCurrentIndex(psf.GetBaudIndex());

    const int method = psf.GetScanningMethod();
    ui->scanningMethodList->setCurrentIndex(ScanningMethodIndex(method));
    ui->allModeButton->setEnabled(method == kStraightScanning);
    ui->controlModeList->setCurrentIndex(kControlModeCodes.IndexOf(psf.GetControlMode()));
    for (int n = 1; n <= 2; ++n) {
        QComboBox* meas = n == 1 ? ui->meas1List : ui->meas2List;
        meas->setEnabled(MeasModesApply(method));
        meas->setCurrentIndex(kMeasModeCodes.IndexOf(psf.GetMeasMode(n)));
    }
    ShowSerialTransmission(psf.GetSerialTransmission());
    ui->scanNumberList->setCurrentIndex(kScanNumberCodes.IndexOf(psf.GetScanNumber()));

    const int analog1 = psf.GetAnalogAssignment(1);
    const int analog2 = psf.GetAnalogAssignment(2);
    const int discrete1 = psf.GetDiscreteAssignment(1);
    const int discrete2 = psf.GetDiscreteAssignment(2);
    ui->analog1List->setCurrentIndex(OutputListIndex(PsfOutput::analog1, analog1));
    ui->analog2List->setCurrentIndex(OutputListIndex(PsfOutput::analog2, analog2));
    ui->discrete1List->setCurrentIndex(OutputListIndex(PsfOutput::discrete1, discrete1));
    ui->discrete2List->setCurrentIndex(OutputListIndex(PsfOutput::discrete2, discrete2));
    ui->zeroValue1List->setCurrentIndex(kZeroValueCodes.IndexOf(psf.GetAnalogZeroValue(1)));
    ui->zeroValue2List->setCurrentIndex(kZeroValueCodes.IndexOf(psf.GetAnalogZeroValue(2)));
    ui->scanNumberList->setEnabled(OutputInUse(PsfOutput::analog1, analog1) ||
                                   OutputInUse(PsfOutput::analog2, analog2) ||
                                   OutputInUse(PsfOutput::discrete1, discrete1) ||
                                   OutputInUse(PsfOutput::discrete2, discrete2));

    SetBoxesEnabled(1, OutputInUse(PsfOutput::discrete1, discrete1));
    SetBoxesEnabled(2, OutputInUse(PsfOutput::discrete2, discrete2));
    for (int n = 1; n <= 2; ++n) {
        for (SetPointBox which : kSetPointBoxes) {
            WriteBox(n, which, psf.Get(BoxField(n, which)));
        }
    }
    const bool trigger = discrete2 == kOutputTrigger;
    ui->triggerChannelBox->setEnabled(trigger);
    if (trigger) {
        // The trigger channel shares its field with set point low #2: the boxes are
        // written first, the trigger channel last, so the record keeps the channel.
        const int32_t channel = psf.GetDiscreteSetPointLow(2);
        WriteBoxes(2, kTriggerSetPoints);
        WriteTriggerChannel(QString::number(static_cast<uint32_t>(channel)));
    } else {
        WriteTriggerChannel(QString());
    }
}

void CPsfDlg::ShowSerialTransmission(int serialTransmission) {
    for (QButtonGroup* group : {ui->modeGroup, ui->sendOnGroup, ui->formatGroup}) {
        UncheckAll(group);
    }
    ui->suppressClearDataBox->setChecked(false);
    ui->suppressHeaderBox->setChecked(false);

    const SerialView view = ViewOfSerialTransmission(serialTransmission);
    SetFormatButtonsEnabled(view.formatEnabled);
    SetSendOnButtonsEnabled(view.sendOnEnabled);
    switch (view.mode) {
        case SerialMode::none:
            ui->noSerialButton->setChecked(true);
            break;
        case SerialMode::measurementResult:
            ui->measurementResultButton->setChecked(true);
            break;
        case SerialMode::allMode:
            ui->allModeButton->setChecked(true);
            break;
        case SerialMode::maxMeasOnClear:
        case SerialMode::maxMeasOnRequest:
            ui->maxMeasButton->setChecked(true);
            (view.mode == SerialMode::maxMeasOnClear ? ui->sendOnClearButton
                                                     : ui->sendOnRequestButton)
                ->setChecked(true);
            break;
    }
    (view.binary ? ui->binaryButton : ui->asciiButton)->setChecked(true);
    ui->suppressClearDataBox->setChecked(view.suppressClearData);
    ui->suppressHeaderBox->setChecked(view.suppressHeader);
}

void CPsfDlg::ClickSerial(SerialButton button) {
    const int before = psf.GetSerialTransmission();
    const SerialChange change = ClickSerialButton(before, button);
    Apply(change.format,
          {ui->asciiButton, ui->binaryButton, ui->suppressClearDataBox, ui->suppressHeaderBox});
    Apply(change.sendOn, {ui->sendOnClearButton, ui->sendOnRequestButton});
    if (button == SerialButton::kNoSerial) {
        ui->asciiButton->setChecked(true);
        ui->suppressClearDataBox->setChecked(false);
        ui->suppressHeaderBox->setChecked(false);
    } else if (button == SerialButton::kMaxMeas) {
        if (before == 0) {
            ui->asciiButton->setChecked(true);
        }
        ui->sendOnClearButton->setChecked(true);
    }
    psf.SetSerialTransmission(change.byte);
}

void CPsfDlg::SetFormatButtonsEnabled(bool enabled) {
    Apply(enabled ? Switch::kOn : Switch::kOff,
          {ui->asciiButton, ui->binaryButton, ui->suppressClearDataBox, ui->suppressHeaderBox});
}

void CPsfDlg::SetSendOnButtonsEnabled(bool enabled) {
    Apply(enabled ? Switch::kOn : Switch::kOff, {ui->sendOnClearButton, ui->sendOnRequestButton});
}

void CPsfDlg::ChooseControllerId(int index) {
    const int id = kControllerIdCodes.CodeOf(index);
    if (!ControllerIdAvailable(table, id)) {
        Message(
            QString::asprintf("Controller ID '%c' cannot be selected because a controller "
                              "with that ID already exists.",
                              id));
        ui->controllerIdList->setCurrentIndex(kControllerIdCodes.IndexOf(psf.GetControllerId()));
        return;
    }
    psf.SetControllerId(id);
}

void CPsfDlg::ChooseBaudRate(int index) {
    if (BaudEntryTaken(table, psf.GetControllerId(), index)) {
        Message(QStringLiteral("This controller is already present."));
        ui->baudRateList->setCurrentIndex(psf.GetBaudIndex());
        return;
    }
    psf.SetBaudIndex(index);
}

void CPsfDlg::ChooseParity(int index) {
    psf.SetParityIndex(index);
    Message(QStringLiteral("Changed Parity"));
}

void CPsfDlg::ChooseScanningMethod(int index) {
    const int method = ScanningMethodCode(index);
    psf.SetScanningMethod(method);
    if (index == 0) {
        ui->allModeButton->setEnabled(true);
        return;
    }
    psf.SetSerialTransmission(SerialTransmissionForScanning(psf.GetSerialTransmission(), method));
    ShowSerialTransmission(psf.GetSerialTransmission());
    ui->allModeButton->setEnabled(false);
}

int CPsfDlg::OutputCodeFromList(const QComboBox* list) {
    ui->scanNumberList->setEnabled(
        ScanNumberEnabled(ui->analog1List->currentIndex(), ui->analog2List->currentIndex(),
                          ui->discrete1List->currentIndex(), ui->discrete2List->currentIndex()));
    return OutputCode(list->currentIndex());
}

void CPsfDlg::SetBoxesEnabled(int n, bool enabled) {
    for (SetPointBox which : kSetPointBoxes) {
        Box(n, which)->setEnabled(enabled);
    }
}

void CPsfDlg::ChooseDiscrete1() {
    const int code = OutputCodeFromList(ui->discrete1List);
    psf.SetDiscreteAssignment(1, code);
    SetBoxesEnabled(1, OutputInUse(PsfOutput::discrete1, code));
}

void CPsfDlg::ChooseDiscrete2() {
    const int code = OutputCodeFromList(ui->discrete2List);
    psf.SetDiscreteAssignment(2, code);
    SetBoxesEnabled(2, OutputInUse(PsfOutput::discrete2, code));
    if (code == kOutputTrigger) {
        ui->triggerChannelBox->setEnabled(true);
        WriteBoxes(2, kTriggerSetPoints);
        WriteTriggerChannel(QStringLiteral("1"));
        ui->triggerChannelBox->setFocus();
        return;
    }
    ui->triggerChannelBox->setEnabled(false);
    WriteTriggerChannel(QString());
    // The trigger channel leaves the shared field: it takes back what set point low #2
    // shows, so that the record never sends a value the operator cannot see.
    BoxChanged(2, SetPointBox::kSetPointLow);
}

QLineEdit* CPsfDlg::Box(int n, SetPointBox box) const {
    return boxes[n == 1 ? 0 : 1][static_cast<size_t>(box)];
}

void CPsfDlg::WriteBox(int n, SetPointBox which, int value) {
    QLineEdit* box = Box(n, which);
    {
        const QSignalBlocker blocker(box);
        box->setText(QString::number(static_cast<uint32_t>(value)));
    }
    // Stored once, also when the text stayed the same.
    BoxChanged(n, which);
}

void CPsfDlg::WriteBoxes(int n, const SetPointValues& values) {
    WriteBox(n, SetPointBox::kSetPointLow, values.setPointLow);
    WriteBox(n, SetPointBox::kSetPointHigh, values.setPointHigh);
    WriteBox(n, SetPointBox::kHysteresisLow, values.hysteresisLow);
    WriteBox(n, SetPointBox::kHysteresisHigh, values.hysteresisHigh);
}

void CPsfDlg::WriteTriggerChannel(const QString& text) {
    {
        const QSignalBlocker blocker(ui->triggerChannelBox);
        ui->triggerChannelBox->setText(text);
    }
    TriggerChanged();
}

void CPsfDlg::BoxChanged(int n, SetPointBox which) {
    QLineEdit* box = Box(n, which);
    int value = 0;
    if (!BoxValue(box->text().toStdString(), &value)) {
        const QSignalBlocker blocker(box);
        box->clear();
        value = 0;
    }
    psf.Set(BoxField(n, which), value);
}

void CPsfDlg::LeaveBox(int n, SetPointBox which) {
    int values[4] = {};
    for (SetPointBox each : kSetPointBoxes) {
        BoxValue(Box(n, each)->text().toStdString(), &values[static_cast<int>(each)]);
    }
    WriteBoxes(
        n, NormaliseSetPoints({values[0], values[1], values[2], values[3]}, which, kChannelLimit));
}

void CPsfDlg::TriggerChanged() {
    const QString text = ui->triggerChannelBox->text();
    int channel = 0;
    if (text.isEmpty()) {
        return;
    }
    if (TriggerChannelValue(text.toStdString(), kChannelLimit, &channel)) {
        psf.SetDiscreteSetPointLow(2, channel);
        return;
    }
    {
        const QSignalBlocker blocker(ui->triggerChannelBox);
        ui->triggerChannelBox->clear();
    }
    Prompts().Beep();
}

void CPsfDlg::LeaveTrigger() {
    int channel = 0;
    if (TriggerChannelValue(ui->triggerChannelBox->text().toStdString(), kChannelLimit, &channel)) {
        psf.SetDiscreteSetPointLow(2, channel);
        return;
    }
    Message(QString::asprintf(
        "Invalid value for Trigger Channel number. The value must be between %d and %d", 1,
        kChannelLimit));
}

bool CPsfDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusOut) {
        return QDialog::eventFilter(watched, event);
    }
    // Leaving means the focus moved within the dialog; another window coming to the
    // front (a message box, a list's popup) is no leaving.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        return false;
    }
    if (watched == ui->triggerChannelBox) {
        LeaveTrigger();
        return false;
    }
    for (int n = 1; n <= 2; ++n) {
        for (SetPointBox which : kSetPointBoxes) {
            if (watched == Box(n, which)) {
                LeaveBox(n, which);
            }
        }
    }
    return false;
}

void CPsfDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CPsfDlg::closeEvent(QCloseEvent* event) {
    // Only Quit and Exit close the dialog, never the window system.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool CPsfDlg::CheckIdChange() {
    const std::string refusal = PsfSendRefusal(Link(), table, psf);
    if (refusal.empty()) {
        return true;
    }
    Message(QString::fromStdString(refusal));
    return false;
}

void CPsfDlg::UploadPsf() {
    if (!ControllerSelected()) {
        Message(QStringLiteral("You must select a controller."));
        return;
    }
    if (!Link().InputPsf(psf)) {
        Message(QString::fromLatin1(kPsfNotReceived));
        return;
    }
    Message(QStringLiteral("Uploaded PSF"), PromptIcon::kInformation);
    ShowPsf();
}

void CPsfDlg::SendPsf() {
    if (!ControllerSelected()) {
        Message(QStringLiteral("You must select a controller."));
        return;
    }
    const int selectedId = table[0][0];
    const int selectedBaud = table[0][1];
    std::string refusal;
    switch (::SendPsf(Link(), table, psf, &refusal)) {
        case PsfSendResult::kRefused:
            Message(QString::fromStdString(refusal));
            return;
        case PsfSendResult::kNotAccepted:
            Message(QString::fromLatin1(kPsfNotAccepted));
            return;
        case PsfSendResult::kAccepted:
            break;
    }
    Message(QString::fromLatin1(kPsfAccepted));
    if (table[0][0] != selectedId || table[0][1] != selectedBaud) {
        ShowPsf();
    }
}

int CPsfDlg::SavePsfFile() {
    const QString path = Prompts().SaveFileName(this, kPsfFiles);
    if (path.isEmpty()) {
        return 1;
    }
    FileWriteError error;
    if (!psf.SaveToFile(path.toStdString(), &error)) {
        QString text = QString::asprintf("Unable to write %s.", qUtf8Printable(path));
        if (error.damaged) {
            text += '\n' + QString::fromStdString(DamagedFileText(path.toStdString()));
        }
        Message(text);
        return 0;
    }
    return 1;
}

void CPsfDlg::RetrievePsfFile() {
    const QString path = Prompts().OpenFileName(this, kPsfFiles);
    if (path.isEmpty()) {
        return;
    }
    if (!psf.LoadFromFile(path.toStdString())) {
        Message(QString::fromLatin1(kPsfFileNotCompatible));
        return;
    }
    ShowPsf();
}

void CPsfDlg::ComparePsf() {
    CPsfCompareDlg::ControllerReader reader;
    if (SelectedBySearch()) {
        reader = [this](CPsf& other) { return Link().InputPsf(other); };
    }
    CPsfCompareDlg dialog(psf, reader, this);
    dialog.exec();
}

void CPsfDlg::ExitDialog() {
    // A cancelled save still closes; a failed write keeps the dialog open for another try.
    if (SavePsfFile()) {
        done(Accepted);
    }
}
