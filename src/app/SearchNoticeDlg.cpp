#include "app/SearchNoticeDlg.h"

#include <QCoreApplication>

#include "ui_SearchNoticeDlg.h"

CSearchNoticeDlg::CSearchNoticeDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::CSearchNoticeDlg>()) {
    ui->setupUi(this);
    adjustSize();
    if (parent != nullptr) {
        const QRect area = parent->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    show();
    // Let the window system expose the window and paint it now; the operator's input
    // waits, so that nothing else starts before the search.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

CSearchNoticeDlg::~CSearchNoticeDlg() = default;
