// Writes the program's icon as PNG files in the sizes of the desktop's hicolor icon
// theme: FOLDER/hicolor/NxN/apps/tarn.png. The files are kept in res/icons and
// installed with the program; run this again when the icon's drawing changes.

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "app/Artwork.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "res/icons";
    const QIcon icon = AppIcon();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString sizeFolder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
        QDir().mkpath(sizeFolder);
        const QString path = sizeFolder + "/tarn.png";
        if (!icon.pixmap(size, size).save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
