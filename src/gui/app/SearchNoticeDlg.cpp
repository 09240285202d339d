#include "app/SearchNoticeDlg.h"

#include <QCoreApplication>

#include "protocol/ControllerLink.h"
#include "ui_SearchNoticeDlg.h"
#include "widgets/IdlePump.h"

CSearchNoticeDlg::CSearchNoticeDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::CSearchNoticeDlg>()) {
    ui->setupUi(this);
    ui->progress->setRange(0, kSearchSteps);
    ui->progress->setValue(0);
    connect(ui->cancel, &QPushButton::clicked, this, &CSearchNoticeDlg::reject);
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

void CSearchNoticeDlg::Suspended() {
    ui->progress->setValue(1);
}

bool CSearchNoticeDlg::BeforePing(char id, int baudIndex) {
    if (cancelled) {
        endedEarly = true;
        return false;
    }
    ui->askingText->setText(QStringLiteral("Asking %1 at %2 baud")
                                .arg(QChar::fromLatin1(id))
                                .arg(CControllerLink::BaudRateOf(baudIndex)));
    ui->progress->setValue(ui->progress->value() + 1);
    return true;
}

int CSearchNoticeDlg::Progress() const {
    return ui->progress->value();
}

void CSearchNoticeDlg::reject() {
    cancelled = true;
    ui->cancel->setEnabled(false);
    ui->askingText->setText(QStringLiteral("Cancelled: ending the search"));
}

bool SearchWithNotice(QWidget* owner, const std::function<void(CSearchProgress&)>& search) {
    // The notice is painted before the search blocks the event loop, and removed after
    // the busy state ends.
    CSearchNoticeDlg notice(owner);
    CBusyScope busy;
    const CPumpTargetScope target(&notice);
    search(notice);
    return !notice.EndedEarly();
}
