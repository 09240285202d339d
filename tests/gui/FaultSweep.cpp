#include "FaultSweep.h"

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "BeamMeasures.h"
#include "SimPort.h"
#include "alignment/AlignmentDlg.h"
#include "app/MainFrame.h"
#include "protocol/LineTap.h"
#include "sequences/BlankingFileCommands.h"
#include "serial/NetworkPort.h"
#include "widgets/IdlePump.h"

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

// The buttons that close a dialog.
constexpr const char* kClosers[] = {"okButton", "cancelButton", "exitButton", "quitButton"};
// The buttons that work while a scan loop runs, and end it.
constexpr const char* kLoopEnders[] = {"stopButton", "acceptAutoBlankingButton",
                                       "abortAutoBlankingButton"};

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

int ClickEverything(QWidget& mainWindow) {
    int sent = 0;
    const QPointer<QWidget> dialog = QApplication::activeModalWidget();
    if (dialog != nullptr) {
        const bool looping = PumpTarget() == dialog;
        const auto endsLoop = [](const QAbstractButton& button) {
            return std::any_of(
                std::begin(kLoopEnders), std::end(kLoopEnders),
                [&](const char* name) { return button.objectName() == QLatin1String(name); });
        };
        // The buttons that close the dialog come last, so that the others are tried too.
        QList<QAbstractButton*> buttons = dialog->findChildren<QAbstractButton*>();
        std::stable_partition(buttons.begin(), buttons.end(), [](const QAbstractButton* button) {
            return std::none_of(std::begin(kClosers), std::end(kClosers), [&](const char* name) {
                return button->objectName() == QLatin1String(name);
            });
        });
        for (const QPointer<QAbstractButton> button : buttons) {
            if (button != nullptr && button->isVisible() && button->isEnabled() &&
                !(looping && endsLoop(*button))) {
                QTest::mouseClick(button, Qt::LeftButton);
                ++sent;
            }
        }
        for (const QPointer<QComboBox> list : dialog->findChildren<QComboBox*>()) {
            if (list != nullptr && list->isVisible()) {
                QTest::mouseClick(list, Qt::LeftButton);
                ++sent;
            }
        }
        for (const QPointer<QTableWidget> grid : dialog->findChildren<QTableWidget*>()) {
            if (grid != nullptr && grid->isVisible()) {
                QTest::mouseClick(grid->viewport(), Qt::LeftButton);
                ++sent;
            }
        }
        if (dialog != nullptr && !looping) {
            for (const QPointer<QAbstractButton> button :
                 dialog->findChildren<QAbstractButton*>()) {
                const QString text = button != nullptr ? button->text() : QString();
                const auto mark = text.indexOf(QLatin1Char('&'));
                if (dialog != nullptr && mark >= 0 && mark + 1 < text.size()) {
                    QTest::keyClick(dialog, text.at(mark + 1).toLower().toLatin1(),
                                    Qt::AltModifier);
                    ++sent;
                }
            }
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                if (dialog != nullptr) {
                    QTest::keyClick(dialog, key);
                    ++sent;
                }
            }
        }
        if (dialog != nullptr) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            QCloseEvent close;
            QSpontaneKeyEvent::setSpontaneous(&close);
            QApplication::instance()->notify(dialog, &close);
            sent += 2;
        }
    }
    for (const Qt::Key key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}) {
        QTest::keyClick(&mainWindow, key);
        ++sent;
    }
    if (auto* window = qobject_cast<QMainWindow*>(&mainWindow)) {
        QMenuBar* bar = window->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(bar->actions().first()).center());
        ++sent;
    }
    if (QWidget* menu = QApplication::activePopupWidget()) {
        ADD_FAILURE() << "a menu opened while the line was busy";
        menu->close();
    }
    return sent;
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
    QString SaveFileName(QWidget* owner, const CFileDialogSpec& options,
                         const QString& suggestedName) override {
        clock.Advance(kThinkMs);
        return answers.SaveFileName(owner, options, suggestedName);
    }
    void Beep() override { answers.Beep(); }

private:
    CPrompts& answers;
    CVirtualClock& clock;
};

// The scans the program asked for, whether or not they reached the line (a device
// server's lost connection keeps them from it).
class CScansAsked : public CLineObserver {
public:
    void OnExchange(const CLineExchange& exchange) override {
        count += exchange.request.size() > 2 && exchange.request[2] == 'S' ? 1 : 0;
    }
    void OnVerdictChanged(LineVerdict) override {}
    int count = 0;
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
            alignment != nullptr &&
            (scansAsked.count == 0 || alignment->Mode() != DialogMode::Idle)) {
            return;
        }
        const QPointer<QDialog> guarded(dialog);
        Post([guarded] { return guarded != nullptr && ActiveDialog() == guarded && !InputHeld(); },
             [this, guarded] { TakeTurn(*guarded); });
    }

    // Counted as the host sends them: the idle pump runs right after each request goes
    // out, however fast its reply comes, so the loop always ends after the same scan.
    int ScanRequests() const {
        int requests = 0;
        for (const SimBurst& burst : rig.line->HostBursts()) {
            requests += burst.bytes.size() == 3 && burst.bytes[2] == 'S' ? 1 : 0;
        }
        return requests;
    }

    // Ending a loop only sets a flag in the dialog, so it is done at once.
    void PollLoop(QDialog* dialog) {
        if (PumpTarget() != dialog) {
            return;
        }
        if (loopStart < 0) {
            loopStart = ScanRequests();
            loopEnded = false;
        }
        // loopStart counts the loop's first request already.
        if (loopEnded || ScanRequests() < loopStart + kScansPerLoop - 1) {
            return;
        }
        loopEnded = true;
        for (const char* name : script.loopEnders) {
            auto* button = dialog->findChild<QAbstractButton*>(name);
            if (button != nullptr && button->isEnabled() && button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        giveUps.push_back("no button ends the loop");
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
                scripted->second[turn](dialog, rig);
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
    CScansAsked scansAsked;
    CScopedLineObserver observing{&scansAsked};
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
          if (!serverFault) {
              return std::make_unique<CSimPort>(*line, *clock, baud, parity, portNumber);
          }
          connections.push_back(std::make_shared<ServerFault>(
              *serverFault == ServerFault::kKeepsRate ? ServerFault::kKeepsRate
                                                      : ServerFault::kNone));
          CNetworkAddress address;
          ParseNetworkAddress(std::string("rfc2217://") + kServerAddress, &address);
          return std::make_unique<CNetworkPort>(
              portNumber, address, baud, parity, 8, 1, 0, 1, 0, 0, 0,
              std::make_unique<CSimDeviceServer>(*line, *clock, baud, parity, connections.back()));
      }) {
    settings.Write("[PartNumbers]\nFirst=000123\n");
    CPsf other = StartPsf(kSelectedId, 0);
    other.SetMeasMode(2, kTotalMade);
    other.SetAnalogNull(2, 321);
    EXPECT_TRUE(other.SaveToFile(PathOf(kPsfFileName)));
    CBlankingMap fromFile(kSimChannelsPerBoard);
    fromFile.SetBlanked(20, true);
    fromFile.SetBlanked(21, true);
    EXPECT_EQ(SaveBlankingFile(PathOf(kBfsFileName), fromFile), "");
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

QWidget& CSweepRig::MainWindow() const {
    return *app->MainFrame();
}

std::string CSweepRig::Frames() const {
    std::string letters;
    for (const SimReceivedFrame& frame : selected->Received()) {
        letters += static_cast<char>(frame.bytes[2]);
    }
    return letters;
}

std::string CSweepRig::PathOf(const std::string& name) const {
    return folder.filePath(QString::fromStdString(name)).toStdString();
}

SweepControllerState CSweepRig::StateOf(const CSimController& controller) {
    return {controller.Id(), controller.IsSuspended(), controller.InAlignmentMode(),
            controller.InNullSpanAdjustment(), PsfImage(controller.Psf())};
}

SweepOutcome CSweepRig::Run(const SweepScript& script, std::optional<SimFault> fault, int exchange,
                            const std::function<void()>& duringExchange) {
    ResetLine();
    int heard = 0;
    selected->WatchFrames(
        [this, &heard, fault, exchange](CSimController& controller, const SweepBytes&) {
            ++heard;
            if (serverFault && heard == exchange && !connections.empty()) {
                *connections.front() = *serverFault;
            }
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
    std::vector<std::string> paths;
    for (const std::string& name : script.files) {
        paths.push_back(PathOf(name));
    }
    prompts.ScriptFiles(paths);
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

SweepOutcome CSweepRig::RunThroughServer(const SweepScript& script, ServerFault fault,
                                         int exchange) {
    serverFault = fault;
    connections.clear();
    SweepOutcome outcome = Run(script, std::nullopt, exchange);
    serverFault.reset();
    connections.clear();
    return outcome;
}
