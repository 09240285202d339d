#include "widgets/ScreenFit.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {
// Room left for the window's frame and title bar, which the window system adds.
constexpr int kFrameAllowance = 48;
}  // namespace

void FitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize room = area.size() - QSize(kFrameAllowance, kFrameAllowance);
    window.resize(window.size().boundedTo(room));
    const int x = std::clamp(window.x(), area.left(), area.left() + room.width() - window.width());
    const int y = std::clamp(window.y(), area.top(), area.top() + room.height() - window.height());
    window.move(x, y);
}
