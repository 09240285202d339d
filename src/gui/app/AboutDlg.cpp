#include "app/AboutDlg.h"

#include "app/Artwork.h"
#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::CAboutDlg>()) {
    ui->setupUi(this);
    ui->iconLabel->setPixmap(AppIcon().pixmap(32, 32));
    setFixedSize(sizeHint());
}

CAboutDlg::~CAboutDlg() = default;
