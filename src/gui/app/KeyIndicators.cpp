#include "app/KeyIndicators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct KeyLocks {
    bool caps;
    bool num;
    bool scroll;
};

std::optional<KeyLocks> ReadKeyLocks([[maybe_unused]] const QKeyEvent& event) {
#ifdef _WIN32
    return KeyLocks{(GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                    (GetKeyState(VK_SCROLL) & 1) != 0};
#else
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return std::nullopt;
    }
    // The X11 modifier state: Lock is Caps Lock, Mod2 is Num Lock by convention; X11 has
    // no modifier for Scroll Lock.
    constexpr quint32 kLockMask = 0x02;
    constexpr quint32 kMod2Mask = 0x10;
    const quint32 state = event.nativeModifiers();
    return KeyLocks{(state & kLockMask) != 0, (state & kMod2Mask) != 0, false};
#endif
}

QLabel* AddPane(QStatusBar* statusBar, const char* text) {
    auto* pane = new QLabel(statusBar);
    pane->setObjectName(QString::fromLatin1(text));
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) +
                          2 * pane->fontMetrics().averageCharWidth());
    statusBar->addPermanentWidget(pane);
    return pane;
}

}  // namespace

CKeyIndicators::CKeyIndicators(QStatusBar* statusBar)
    : QObject(statusBar),
      caps(AddPane(statusBar, "CAP")),
      num(AddPane(statusBar, "NUM")),
      scroll(AddPane(statusBar, "SCRL")) {
    qApp->installEventFilter(this);
}

bool CKeyIndicators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (const std::optional<KeyLocks> locks = ReadKeyLocks(*static_cast<QKeyEvent*>(event))) {
            caps->setText(locks->caps ? caps->objectName() : QString());
            num->setText(locks->num ? num->objectName() : QString());
            scroll->setText(locks->scroll ? scroll->objectName() : QString());
        }
    }
    return QObject::eventFilter(watched, event);
}
