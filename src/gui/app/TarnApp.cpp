#include "app/TarnApp.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPalette>

#include "app/Artwork.h"
#include "app/MainFrame.h"
#include "app/SplashDlg.h"
#include "widgets/AppTitle.h"
#include "widgets/IdlePump.h"

namespace {

constexpr char kHelpCheckFile[] = "tarnhelp.hlp";

// Light grey dialogs with black text, message boxes included.
void SetDialogColours() {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    palette.setColor(QPalette::WindowText, Qt::black);
    QApplication::setPalette(palette, "QDialog");
}

}  // namespace

CTarnApp::CTarnApp() = default;

CTarnApp::~CTarnApp() = default;

void CTarnApp::InitInstance() {
    SetDialogColours();
    QApplication::setWindowIcon(AppIcon());
    InstallIdlePump();
    frame = std::make_unique<CMainFrame>(*this);
    frame->show();
    frame->setWindowTitle(QString::fromLatin1(kAppTitle));

    QFile help(QString::fromLatin1(kHelpCheckFile));
    helpFilePresent = help.open(QIODevice::ReadOnly);
    help.close();
    frame->UpdateCommandUi();

    CSplashDlg(frame.get(), splashMs).exec();
}

QString CTarnApp::HelpPath() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return program.path() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".HLP");
}
