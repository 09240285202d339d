#pragma once
// The line monitor: a window beside the main window that lists every exchange on the
// line as it happens, with Pause, Clear, Copy (the selected rows) and Save As (text or
// CSV). It sends nothing, so it may be scrolled and read while an exchange or a scan loop
// runs. Closing it deletes it, and the line is no longer observed.

#include <QWidget>

class CLineLog;
class QLabel;
class QPushButton;
class QTableView;

class CLineMonitorWnd : public QWidget {
    Q_OBJECT

public:
    explicit CLineMonitorWnd(QWidget* parent);

    CLineLog& Log() { return *log; }
    QTableView& View() { return *view; }
    // True while a modal dialog keeps input from the window.
    bool Blocked() const { return blocked; }

protected:
    // A modal dialog (a scan loop's, say) would keep the operator from scrolling the list:
    // the window becomes the dialog's transient child, which a modal dialog lets through.
    bool event(QEvent* event) override;

private:
    void FollowModalDialog();
    void OnRowsInserted();
    void OnCopy();
    void OnSaveAs();
    QList<int> SelectedRows() const;

    CLineLog* log;
    QTableView* view;
    QLabel* status;  // why Save As did nothing
    QPushButton* saveButton = nullptr;
    int topBeforeDrop = 0;
    QMetaObject::Connection followed;  // to the end of the window the monitor follows
    bool following = true;             // the view shows the newest row; it stays there as rows come
    bool blocked = false;
};
