#include "app/SplashDlg.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/Artwork.h"

CSplashDlg::CSplashDlg(QWidget* parent, int periodMs)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    bitmap = SplashBitmap(screen != nullptr ? screen->devicePixelRatio() : 1.0);
    setFixedSize(kSplashWidth, kSplashHeight);
    if (screen != nullptr) {
        const QRect desktop = screen->geometry();
        move(desktop.left() + (desktop.width() - kSplashWidth) / 2,
             desktop.top() + (desktop.height() - kSplashHeight) / 2);
    }
    QTimer::singleShot(periodMs, this, &QDialog::accept);
}

void CSplashDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), bitmap);
}
