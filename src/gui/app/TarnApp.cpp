#include "app/TarnApp.h"

#include <QApplication>
#include <QPalette>

#include "app/Artwork.h"
#include "app/MainFrame.h"
#include "app/SplashDlg.h"
#include "widgets/AppTitle.h"
#include "widgets/IdlePump.h"

namespace {

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
    frame = std::make_unique<CMainFrame>(helpFile);
    frame->show();
    frame->setWindowTitle(QString::fromLatin1(kAppTitle));

    helpFile.Check();
    frame->UpdateCommandUi();

    CSplashDlg(frame.get(), splashMs).exec();
}
