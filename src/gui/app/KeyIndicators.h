#pragma once
// The key indicator panes of the status bar: "CAP", "NUM" and "SCRL" show while Caps
// Lock, Num Lock or Scroll Lock is on, and are blank otherwise. The state is read from
// the key events the application receives, where the platform reports it (Windows, and
// X11 for Caps Lock and Num Lock); elsewhere the panes stay blank.

#include <QObject>

class QLabel;
class QStatusBar;

class CKeyIndicators : public QObject {
    Q_OBJECT

public:
    // Adds the three panes to the right end of statusBar.
    explicit CKeyIndicators(QStatusBar* statusBar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* caps;
    QLabel* num;
    QLabel* scroll;
};
