#pragma once
// The screenshot program's registry. A file Shot<Window>.cpp registers a function with
// TARN_SCREENSHOT(name) { ... } that builds its window over simulated controllers, shows
// it and saves it with SaveShot. The program runs every registered function, or those
// named on its command line, and writes the pictures into the folder it is given.

#include <QString>
#include <functional>

class QWidget;

using ShotFunction = std::function<void(const QString& outputFolder)>;

class CShotRegistrar {
public:
    CShotRegistrar(const char* name, ShotFunction function);
};

// Lays out and paints widget as it shows on screen, and writes it as a PNG file.
void SaveShot(QWidget* widget, const QString& outputFolder, const QString& fileName);

#define TARN_SCREENSHOT_JOIN2(a, b) a##b
#define TARN_SCREENSHOT_JOIN(a, b) TARN_SCREENSHOT_JOIN2(a, b)
#define TARN_SCREENSHOT(name)                                                   \
    static void TARN_SCREENSHOT_JOIN(Shot_, name)(const QString& outputFolder); \
    static const CShotRegistrar TARN_SCREENSHOT_JOIN(shotRegistrar_, name)(     \
        #name, TARN_SCREENSHOT_JOIN(Shot_, name));                              \
    static void TARN_SCREENSHOT_JOIN(Shot_, name)(const QString& outputFolder)
