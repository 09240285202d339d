#include "FaultSweep.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "alignment/AlignmentDlg.h"
#include "alignment/BlankingFileCommands.h"
#include "app/IdlePump.h"
#include "app/MainFrame.h"
#include "sim/BeamMeasures.h"
#include "sim/SimPort.h"

namespace {

constexpr char kSelectedId = 'A';
constexpr char kOtherId = 'C';
constexpr int kOtherBaudIndex = 1;
constexpr int kScansPerLoop = 2;
// The operator reads each dialog and message for a second before he clicks: so the line
// has fallen quiet by then, as it has for a real operator.
constexpr uint32_t kThinkMs = 1000;
// However the faults fall, no command needs more turns or more virtual time than this.
constexpr int kMaxTurns = 40;
constexpr uint64_t kMaxRunMs = 10 * 60 * 1000;

// How the operator leaves a dialog once its script is done: these buttons, one per turn.
struct DialogExits {
    const char* dialogClass;
    std::vector<const char*> buttons;
};
const std::vector<DialogExits> kExits = {
    {"CPingDlg", {"cancelButton"}},
    {"CPsfDlg", {"quitButton"}},
    {"CMeasurementDlg", {"exitButton"}},
    {"CNullSpanDlg", {"cancelButton"}},
    {"CDiagnosticsDlg", {"exitButton"}},
    // Cancel stays open when the controller does not take the initial blanking back:
    // once more, then OK.
    {"CAlignmentDlg", {"cancelButton", "cancelButton", "okButton"}},
    {"CEditBlankingDlg", {"cancelButton"}},
    {"CPartNumberDlg", {"cancelButton"}},
};

const std::vector<const char*>* ExitsOf(const std::string& dialogClass) {
    for (const DialogExits& exits : kExits) {
        if (dialogClass == exits.dialogClass) {
            return &exits.buttons;
        }
    }
    return nullptr;
}

}  // namespace

void ClickButton(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QAbstractButton*>(name);
    if (button != nullptr) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        ADD_FAILURE() << dialog.metaObject()->className() << " has no " << name;
    }
}

void ChooseEntry(QDialog& dialog, const char* name, int index) {
    auto* list = dialog.findChild<QComboBox*>(name);
    ASSERT_NE(list, nullptr) << name;
    list->showPopup();
    QAbstractItemView* view = list->view();
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

SweepBytes PsfImage(CPsf psf) {
    psf.Pack();
    return SweepBytes(psf.Image(), psf.Image() + kPsfImageSize);
}

// The operator reads every message for a second before he presses a button, as he does in
// the dialogs; the scripted prompts answer and keep the texts.
class CReadingPrompts final : public CPrompts {
public:
    CReadingPrompts(CPrompts& answers, CVirtualClock& clock) : answers(answers), clock(clock) {
        InstallPrompts(this);
    }
    ~CReadingPrompts() override { InstallPrompts(&answers); }
    CReadingPrompts(const CReadingPrompts&) = delete;
    CReadingPrompts& operator=(const CReadingPrompts&) = delete;

    int Message(QWidget* owner, const QString& text, PromptIcon icon,
                PromptButtons buttons) override {
        clock.Advance(kThinkMs);
        return answers.Message(owner, text, icon, buttons);
    }
    QString OpenFileName(QWidget* owner, const CFileDialogSpec& options) override {
        clock.Advance(kThinkMs);
        return answers.OpenFileName(owner, options);
    }
    QString SaveFileName(QWidget* owner, const CFileDialogSpec& options) override {
        clock.Advance(kThinkMs);
        return answers.SaveFileName(owner, options);
    }
    void Beep() override { answers.Beep(); }

private:
    CPrompts& answers;
    CVirtualClock& clock;
};

// The operator of one run. He acts from a zero timer, but never inside it: a turn may run
// a nested dialog, whose own turns need the timer free, so every action is posted and
// checks again when it runs that it is still due.
class CSweepRig::COperator {
public:
    COperator(CSweepRig& rig, const SweepScript& script, std::function<void()> duringExchange,
              int exchange)
        : rig(rig),
          script(script),
          duringExchange(std::move(duringExchange)),
          exchange(exchange),
          startMs(rig.clock->Now()) {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(0);
    }
    COperator(const COperator&) = delete;
    COperator& operator=(const COperator&) = delete;

    std::vector<std::string> giveUps;

private:
    int Scans() const {
        const std::string frames = rig.Frames();
        return static_cast<int>(std::count(frames.begin(), frames.end(), 'S'));
    }
    static QDialog* ActiveDialog() {
        return qobject_cast<QDialog*>(QApplication::activeModalWidget());
    }

    // Runs action from the event loop, provided still() holds then.
    void Post(std::function<bool()> still, std::function<void()> action) {
        pending = true;
        QTimer::singleShot(0, &timer, [this, still = std::move(still), action = std::move(action)] {
            pending = false;
            if (still()) {
                action();
            }
        });
    }

    void Poll() {
        if (pending) {
            return;
        }
        if (rig.clock->Now() - startMs > kMaxRunMs && !unplugged) {
            // Nothing answers any more: every loop and exchange ends by itself.
            unplugged = true;
            giveUps.push_back("virtual time ran out");
            for (int i = 0; i < rig.line->ControllerCount(); ++i) {
                rig.line->Controller(i).AddFault({SimFaultKind::silence, kUntilCleared});
            }
        }
        if (duringExchange && !exchangeDone && static_cast<int>(rig.Frames().size()) >= exchange &&
            InputHeld()) {
            Post([] { return InputHeld(); },
                 [this] {
                     exchangeDone = true;
                     duringExchange();
                 });
            return;
        }
        QDialog* dialog = ActiveDialog();
        if (dialog == nullptr) {
            return;
        }
        if (PumpTarget() != nullptr) {
            PollLoop(dialog);
            return;
        }
        loopStart = -1;
        if (InputHeld()) {
            return;
        }
        // The alignment dialog starts its first scan loop by itself once shown.
        if (auto* alignment = qobject_cast<CAlignmentDlg*>(dialog);
            alignment != nullptr && (Scans() == 0 || alignment->Mode() != DialogMode::Idle)) {
            return;
        }
        const QPointer<QDialog> guarded(dialog);
        Post([guarded] { return guarded != nullptr && ActiveDialog() == guarded && !InputHeld(); },
             [this, guarded] { TakeTurn(*guarded); });
    }

    void PollLoop(QDialog* dialog) {
        if (PumpTarget() != dialog) {
            return;
        }
        if (loopStart < 0) {
            loopStart = Scans();
            loopEnded = false;
        }
        if (loopEnded || Scans() < loopStart + kScansPerLoop) {
            return;
        }
        loopEnded = true;
        const QPointer<QDialog> guarded(dialog);
        Post([guarded] { return guarded != nullptr && PumpTarget() == guarded; },
             [this, guarded] {
                 for (const char* name : script.loopEnders) {
                     auto* button = guarded->findChild<QAbstractButton*>(name);
                     if (button != nullptr && button->isEnabled() && button->isVisible()) {
                         QTest::mouseClick(button, Qt::LeftButton);
                         return;
                     }
                 }
                 giveUps.push_back("no button ends the loop");
             });
    }

    void TakeTurn(QDialog& dialog) {
        const std::string dialogClass = dialog.metaObject()->className();
        size_t& used = turnsUsed[dialogClass];
        const auto scripted = script.turns.find(dialogClass);
        const size_t scriptedTurns = scripted == script.turns.end() ? 0 : scripted->second.size();
        const size_t turn = used++;
        rig.clock->Advance(kThinkMs);
        if (++turns <= kMaxTurns) {
            if (turn < scriptedTurns) {
                scripted->second[turn](dialog);
                return;
            }
            const std::vector<const char*>* exits = ExitsOf(dialogClass);
            if (exits != nullptr && turn - scriptedTurns < exits->size()) {
                ClickButton(dialog, (*exits)[turn - scriptedTurns]);
                return;
            }
        }
        giveUps.push_back("forced " + dialogClass + " shut");
        dialog.done(QDialog::Rejected);
    }

    CSweepRig& rig;
    const SweepScript& script;
    std::function<void()> duringExchange;
    int exchange;
    uint64_t startMs;
    QTimer timer;
    bool pending = false;
    bool unplugged = false;
    bool exchangeDone = false;
    int loopStart = -1;
    bool loopEnded = false;
    int turns = 0;
    std::map<std::string, size_t> turnsUsed;
};

CSweepRig::CSweepRig()
    : factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
          return std::make_unique<CSimPort>(*line, *clock, baud, parity, portNumber);
      }) {
    settings.Write("[PartNumbers]\nFirst=000123\n");
    CPsf other = StartPsf(kSelectedId, 0);
    other.SetMeasMode(2, kTotalMade);
    other.SetAnalogNull(2, 321);
    EXPECT_TRUE(other.SaveToFile(PsfFile()));
    CBlankingMap fromFile(kSimChannelsPerBoard);
    fromFile.SetBlanked(20, true);
    fromFile.SetBlanked(21, true);
    EXPECT_EQ(SaveBlankingFile(BfsFile(), fromFile), "");
    ResetLine();
    app = std::make_unique<CTarnApp>();
    app->SetSplashMs(0);
    app->InitInstance();
}

CSweepRig::~CSweepRig() {
    app.reset();
}

CPsf CSweepRig::StartPsf(char id, int baudIndex) {
    CPsf psf;
    psf.SetControllerId(id);
    psf.SetBaudIndex(baudIndex);
    psf.SetParityIndex(2);
    psf.SetControlMode('a');          // Continuous
    psf.SetSerialTransmission(0x65);  // Max Meas, Send On Clear, binary, no clear data
    psf.SetMeasMode(1, kTotalBlocked);
    psf.SetAnalogNull(1, 100);
    psf.SetAnalogSpan(1, 4000);
    psf.SetAnalogNull(2, 200);
    psf.SetAnalogSpan(2, 3000);
    return psf;
}

void CSweepRig::ResetLine() {
    line = std::make_unique<CSimLine>();
    selected = line->AddController(kSelectedId, 0);
    line->AddController(kOtherId, kOtherBaudIndex);
    for (int i = 0; i < line->ControllerCount(); ++i) {
        CSimController& controller = line->Controller(i);
        controller.Psf() = StartPsf(controller.Id(), controller.BaudIndex());
        controller.SetBlocked(3);
        controller.SetBlocked(40);
        controller.BlankingMap().SetBlanked(10, true);
    }
}

std::string CSweepRig::Frames() const {
    std::string letters;
    for (const SimReceivedFrame& frame : selected->Received()) {
        letters += static_cast<char>(frame.bytes[2]);
    }
    return letters;
}

std::string CSweepRig::PsfFile() const {
    return folder.filePath(QStringLiteral("OTHER.PSF")).toStdString();
}

std::string CSweepRig::BfsFile() const {
    return folder.filePath(QStringLiteral("fields.bfs")).toStdString();
}

std::string CSweepRig::SavePath(const char* name) const {
    return folder.filePath(QString::fromLatin1(name)).toStdString();
}

SweepControllerState CSweepRig::StateOf(const CSimController& controller) {
    return {controller.Id(), controller.IsSuspended(), controller.InAlignmentMode(),
            controller.InNullSpanAdjustment(), PsfImage(controller.Psf())};
}

SweepOutcome CSweepRig::Run(const SweepScript& script, std::optional<SimFault> fault, int exchange,
                            const std::function<void()>& duringExchange) {
    ResetLine();
    int heard = 0;
    selected->WatchFrames([&heard, fault, exchange](CSimController& controller, const SweepBytes&) {
        ++heard;
        if (fault && heard == exchange) {
            controller.AddFault(*fault);
        } else if (fault && heard == exchange + 1) {
            // A fault on a reply that never came must not spoil a later one.
            controller.ClearFaults();
        }
    });
    CMainFrame& frame = *app->MainFrame();
    ControllerTable& table = frame.Table();
    table = ControllerTable{};
    table[0] = {kSelectedId, 0, kFoundMarker, 0};
    table[kSelectedId - 0x40][0] = kFoundMarker;
    table[kOtherId - 0x40][kOtherBaudIndex] = kFoundMarker;
    frame.UpdateCommandUi();
    sentPsfs.clear();

    CScriptedPrompts prompts;
    prompts.ScriptFiles(script.files);
    const CReadingPrompts reading(prompts, *clock);
    SweepOutcome outcome;
    {
        COperator player(*this, script, duringExchange, exchange);
        frame.CommandAction(script.command)->trigger();
        outcome.giveUps = player.giveUps;
    }
    selected->WatchFrames({});
    outcome.frames = Frames();
    outcome.messages = prompts.Texts();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(widget) != nullptr && widget->isVisible()) {
            outcome.openDialogs.push_back(widget->metaObject()->className());
        }
    }
    for (int i = 0; i < line->ControllerCount(); ++i) {
        outcome.controllers.push_back(StateOf(line->Controller(i)));
    }
    return outcome;
}
