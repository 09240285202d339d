#pragma once
// The splash window: the program's bitmap, without caption or frame, centred on the
// screen above the main window, closing itself after periodMs.

#include <QDialog>
#include <QPixmap>

class CSplashDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSplashDlg(QWidget* parent, int periodMs = 1000);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap bitmap;
};
