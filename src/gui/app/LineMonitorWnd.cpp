#include "app/LineMonitorWnd.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "app/LineLog.h"
#include "files/AtomicFile.h"
#include "widgets/AppTitle.h"
#include "widgets/IdlePump.h"
#include "widgets/Prompts.h"
#include "widgets/ScreenFit.h"

namespace {
constexpr CFileDialogSpec kSaveSpec{"txt", "Text Files (*.txt) |*.txt|CSV Files (*.csv) |*.csv||"};
constexpr char kSaveFailed[] = "Unable to save the line monitor's list.";
}  // namespace

CLineMonitorWnd::CLineMonitorWnd(QWidget* parent)
    : QWidget(parent, Qt::Window),
      log(new CLineLog(this)),
      view(new QTableView(this)),
      status(new QLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("lineMonitor"));
    setWindowTitle(QStringLiteral("Line Monitor - ") + QString::fromLatin1(kAppTitle));
    PassInputDuringExchanges(this);

    view->setObjectName(QStringLiteral("exchanges"));
    view->setModel(log);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    const int digit = view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    constexpr int kWidths[] = {9, 7, 16, 28, 30};
    for (int column = 0; column < static_cast<int>(std::size(kWidths)); ++column) {
        view->setColumnWidth(column, kWidths[column] * digit);
    }

    auto* pause = new QPushButton(QStringLiteral("&Pause"), this);
    pause->setObjectName(QStringLiteral("pause"));
    pause->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("C&lear"), this);
    clear->setObjectName(QStringLiteral("clear"));
    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    copy->setObjectName(QStringLiteral("copy"));
    saveButton = new QPushButton(QStringLiteral("&Save As..."), this);
    saveButton->setObjectName(QStringLiteral("saveAs"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {pause, clear, copy, saveButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    status->setObjectName(QStringLiteral("status"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view, 1);
    layout->addWidget(status);

    connect(pause, &QPushButton::toggled, log, &CLineLog::SetPaused);
    connect(pause, &QPushButton::toggled, pause, [pause](bool paused) {
        pause->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    });
    connect(clear, &QPushButton::clicked, log, &CLineLog::Clear);
    connect(copy, &QPushButton::clicked, this, &CLineMonitorWnd::OnCopy);
    connect(new QShortcut(QKeySequence::Copy, view), &QShortcut::activated, this,
            &CLineMonitorWnd::OnCopy);
    connect(saveButton, &QPushButton::clicked, this, &CLineMonitorWnd::OnSaveAs);
    connect(log, &CLineLog::rowsInserted, this, &CLineMonitorWnd::OnRowsInserted);
    connect(log, &CLineLog::modelReset, this, &CLineMonitorWnd::OnRowsInserted);
    // Following stops when the operator scrolls up to read, and starts again at the bottom.
    QScrollBar* bar = view->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { following = value >= bar->maximum(); });
    // Once the list is full, the oldest rows make room for new ones; a reader scrolled up
    // keeps the rows being read in their place until they themselves are dropped.
    connect(log, &CLineLog::rowsAboutToBeRemoved, this,
            [this, bar] { topBeforeDrop = bar->value(); });
    connect(log, &CLineLog::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (!following) {
            view->scrollTo(log->index(std::max(0, topBeforeDrop - (last - first + 1)), 0),
                           QAbstractItemView::PositionAtTop);
        }
    });
    resize(120 * digit, 30 * view->verticalHeader()->defaultSectionSize());
    FitOnScreen(*this);
}

bool CLineMonitorWnd::event(QEvent* event) {
    if (event->type() == QEvent::WindowBlocked) {
        blocked = true;
        FollowModalDialog();
    } else if (event->type() == QEvent::WindowUnblocked) {
        blocked = false;
    }
    return QWidget::event(event);
}

// The window stays above the modal dialog that runs, unless the dialog is one of its own
// (Save As, a message): made the transient child of its own child, the window and the
// dialog would be each other's ancestors, and every test for a blocked window would go
// round that circle for ever. Once the dialog it follows is gone, the window follows
// the next modal dialog, or is again the transient child of its owner.
void CLineMonitorWnd::FollowModalDialog() {
    QWindow* own = windowHandle();
    if (own == nullptr) {
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    QWindow* dialog = modal != nullptr ? modal->windowHandle() : nullptr;
    QWindow* next = nullptr;
    if (dialog != nullptr && dialog != own) {
        if (own->isAncestorOf(dialog, QWindow::IncludeTransients)) {
            return;
        }
        next = dialog;
    } else if (parentWidget() != nullptr) {
        next = parentWidget()->window()->windowHandle();
    }
    if (next == own->transientParent()) {
        return;
    }
    disconnect(followed);
    if (next != nullptr) {
        followed = connect(next, &QObject::destroyed, this, &CLineMonitorWnd::FollowModalDialog);
    }
    own->setTransientParent(next);
}

void CLineMonitorWnd::OnRowsInserted() {
    if (following) {
        view->scrollToBottom();
    }
}

QList<int> CLineMonitorWnd::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CLineMonitorWnd::OnCopy() {
    const QList<int> rows = SelectedRows();
    if (!rows.isEmpty()) {
        QApplication::clipboard()->setText(log->Text(rows, false));
    }
}

// A file dialog opened in the middle of an exchange would hold that exchange up until the
// dialog closes, so saving waits for a quiet line; meanwhile the button only beeps.
void CLineMonitorWnd::OnSaveAs() {
    if (InputHeld()) {
        status->setText(QStringLiteral(
            "Save As waits for a quiet line: a command is talking to the controllers."));
        Prompts().Beep();
        return;
    }
    status->clear();
    const QString path = Prompts().SaveFileName(this, kSaveSpec);
    if (path.isEmpty()) {
        return;
    }
    log->Flush();
    QList<int> rows;
    for (int row = 0; row < log->rowCount(); ++row) {
        rows << row;
    }
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const QByteArray bytes = log->Text(rows, csv).toUtf8();
    if (!WriteFileAtomically(path.toStdString(),
                             reinterpret_cast<const unsigned char*>(bytes.data()),
                             static_cast<size_t>(bytes.size()))) {
        Prompts().Message(this, QString::fromLatin1(kSaveFailed), PromptIcon::kExclamation,
                          PromptButtons::kOk);
    }
}
