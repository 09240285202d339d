#include "app/HelpFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

void CHelpFile::Check() {
    QFile help(QStringLiteral("tarnhelp.hlp"));
    present = help.open(QIODevice::ReadOnly);
}

QString CHelpFile::Path() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return program.path() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".HLP");
}
