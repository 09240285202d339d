#pragma once
// The notice shown while the controller search runs: a small window without caption that
// asks the operator to wait. It is shown, centred on its parent and painted as soon as it
// is made, because the search that follows blocks the event loop; deleting it removes it.

#include <QDialog>
#include <memory>

namespace Ui {
class CSearchNoticeDlg;
}

class CSearchNoticeDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSearchNoticeDlg(QWidget* parent);
    ~CSearchNoticeDlg() override;

private:
    std::unique_ptr<Ui::CSearchNoticeDlg> ui;
};
