#pragma once
// Keeps a window whole on its screen: a window sized for a large screen opens partly off a
// small one, with its buttons out of reach.

class QWidget;

// Shrinks window to the free area of the screen it opens on, if need be, and moves it
// inside that area. Call before the window is shown.
void FitOnScreen(QWidget& window);
