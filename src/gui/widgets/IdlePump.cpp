#include "widgets/IdlePump.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include "serial/IdleHook.h"

namespace {

int holdCount = 0;
constexpr char kPassesInput[] = "tarnPassesInputDuringExchanges";

QPointer<QWidget>& Target() {
    static QPointer<QWidget> target;
    return target;
}

bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
            return true;
        case QEvent::Close:
            // Only the close box; a window the program closes itself must still close.
            return event.spontaneous();
        default:
            return false;
    }
}

bool BelongsToTarget(const QObject* receiver) {
    const QWidget* target = Target();
    for (const QObject* o = receiver; o != nullptr; o = o->parent()) {
        if ((target != nullptr && o == target) || o->property(kPassesInput).toBool()) {
            return true;
        }
    }
    return false;
}

class CInputGate final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Window-system events reach a QWindow first and are passed on to its widgets,
        // where the gate decides; stopping them here would block the pump target too.
        if (holdCount == 0 || watched->isWindowType() || !IsUserInput(*event) ||
            BelongsToTarget(watched)) {
            return false;
        }
        // A close event left accepted would still close the window.
        event->ignore();
        return true;
    }
};

int PumpEvents() {
    CInputHold hold;
    QCoreApplication::processEvents();
    return 0;
}

}  // namespace

void InstallIdlePump() {
    static QPointer<CInputGate> gate;
    if (gate == nullptr) {
        gate = new CInputGate(qApp);
        qApp->installEventFilter(gate);
    }
    InstallIdleHandler(PumpEvents);
}

void PassInputDuringExchanges(QWidget* window) {
    window->setProperty(kPassesInput, true);
}

void SetPumpTarget(QWidget* target) {
    Target() = target;
}

QWidget* PumpTarget() {
    return Target();
}

CPumpTargetScope::CPumpTargetScope(QWidget* target) : previous(Target()) {
    Target() = target;
}

CPumpTargetScope::~CPumpTargetScope() {
    Target() = previous;
}

CInputHold::CInputHold() {
    ++holdCount;
}

CInputHold::~CInputHold() {
    --holdCount;
}

bool InputHeld() {
    return holdCount > 0;
}

CBusyScope::CBusyScope() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CBusyScope::~CBusyScope() {
    QApplication::restoreOverrideCursor();
}
