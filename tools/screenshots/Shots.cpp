#include "Shots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "serial/Clock.h"
#include "settings/SettingsPath.h"
#include "widgets/IdlePump.h"

namespace {

int failedShots = 0;

std::map<std::string, ShotFunction>& Registry() {
    static std::map<std::string, ShotFunction> registry;
    return registry;
}

}  // namespace

CShotRegistrar::CShotRegistrar(const char* name, ShotFunction function) {
    Registry()[name] = std::move(function);
}

void SaveShot(QWidget* widget, const QString& outputFolder, const QString& fileName) {
    widget->show();
    if (!widget->testAttribute(Qt::WA_Resized)) {
        widget->adjustSize();  // a window given no size takes the size of its contents
    }
    QApplication::processEvents();
    const QString path = QDir(outputFolder).filePath(fileName);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        ++failedShots;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// screenshots OUTPUT-FOLDER [NAME ...]
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    InstallIdlePump();
    // The simulated line runs in virtual time, so a picture never waits on the clock.
    CScopedVirtualClock clock;
    // Windows that load and save settings use a throw-away file, never the user's own.
    QTemporaryDir settingsFolder;
    OverrideSettingsFilePath(settingsFolder.filePath("tarn.INI").toStdString());
    const QString outputFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "docs/images";
    QDir().mkpath(outputFolder);
    for (const auto& [name, function] : Registry()) {
        bool wanted = argc <= 2;
        for (int i = 2; i < argc; ++i) {
            wanted = wanted || name == argv[i];
        }
        if (wanted) {
            function(outputFolder);
        }
    }
    return failedShots == 0 ? 0 : 1;
}
