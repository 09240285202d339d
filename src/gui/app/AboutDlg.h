#pragma once
// The About box: the application icon, the product's name, its version and two lines
// of notice, and OK.

#include <QDialog>
#include <memory>

namespace Ui {
class CAboutDlg;
}

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::CAboutDlg> ui;
};
