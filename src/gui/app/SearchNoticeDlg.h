#pragma once
// The notice shown while the controller search runs: a small window without caption that
// asks the operator to wait, says which ID and rate are being asked, shows the search's
// progress and offers Cancel (or Esc), which ends the search after the current ping. It
// is shown, centred on its parent and painted as soon as it is made, because the search
// that follows holds the event loop; deleting it removes it.

#include <QDialog>
#include <functional>
#include <memory>

#include "protocol/SearchProgress.h"

namespace Ui {
class CSearchNoticeDlg;
}

// The steps of the progress bar: the suspend broadcasts, then every ID at every rate.
constexpr int kSearchSteps = 1 + 45;

class CSearchNoticeDlg : public QDialog, public CSearchProgress {
    Q_OBJECT

public:
    explicit CSearchNoticeDlg(QWidget* parent);
    ~CSearchNoticeDlg() override;

    // The suspend broadcasts went out: the first step is done.
    void Suspended() override;
    bool BeforePing(char id, int baudIndex) override;
    bool Cancelled() const { return cancelled; }
    // True once the search was ended before one of its pings.
    bool EndedEarly() const { return endedEarly; }
    int Progress() const;

public slots:
    // Esc and Cancel: the search ends before its next ping; the notice stays until then.
    void reject() override;

private:
    std::unique_ptr<Ui::CSearchNoticeDlg> ui;
    bool cancelled = false;
    bool endedEarly = false;
};

// Runs search while the notice over owner shows its progress: input is held back from
// every other window, Cancel and Esc reach the notice. Answers false when the operator
// ended the search before its last ping.
bool SearchWithNotice(QWidget* owner, const std::function<void(CSearchProgress&)>& search);
