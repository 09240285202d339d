// The windows of start-up and Help: the splash and the About box.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "UiFixtures.h"
#include "app/MainFrame.h"
#include "app/SplashDlg.h"
#include "app/TarnApp.h"

namespace {

TEST(StartUpTest, SplashTakesTheBitmapSizeCentredAndClosesByItself) {
    CSplashDlg splash(nullptr, 5);
    EXPECT_EQ(splash.size(), QSize(720, 540));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(splash.pos(),
              screen.topLeft() + QPoint((screen.width() - 720) / 2, (screen.height() - 540) / 2));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
}

TEST(StartUpTest, AboutBoxNamesTheProductAndItsVersion) {
    CTempSettings settings;
    CTarnApp app;
    app.SetSplashMs(0);
    app.InitInstance();
    std::string title;
    std::string text;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        title = about->windowTitle().toStdString();
        for (const QLabel* label : about->findChildren<QLabel*>()) {
            text += label->text().toStdString();
        }
        about->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    app.MainFrame()->CommandAction(kCmdAbout)->trigger();
    EXPECT_EQ(title, "About TALVEN VARN 2.1 with Blanking");
    EXPECT_NE(text.find("TALVEN VARN 2.1 with Blanking"), std::string::npos);
    EXPECT_NE(text.find("\nVersion 2.0\n"), std::string::npos);
    EXPECT_NE(
        text.find("\nFree software under the GNU General Public License, version 3 or later.\n"),
        std::string::npos);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
