#pragma once
// The program's pictures, drawn by the program itself: the splash bitmap and the
// application icon. Both show the light curtain: an emitter and a receiver bar with the
// beams between them.

#include <QIcon>
#include <QPixmap>

constexpr int kSplashWidth = 720;
constexpr int kSplashHeight = 540;

// The splash bitmap, kSplashWidth x kSplashHeight device-independent pixels, drawn at
// devicePixelRatio so that it stays sharp on high-DPI screens.
QPixmap SplashBitmap(qreal devicePixelRatio);
QIcon AppIcon();
