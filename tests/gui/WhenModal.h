#pragma once
// Drives a modal dialog from a test: the action runs once the dialog of the given class is
// the active modal widget, i.e. when its exec() is running, and runs once for every such
// dialog that opens while the object lives. The check repeats from a zero timer, which
// also fires while a port transfer lets events through, before the dialog exists.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <utility>

template <class Dialog>
class CWhenModal {
public:
    explicit CWhenModal(std::function<void(Dialog&)> action) : action(std::move(action)) {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(0);
    }
    CWhenModal(const CWhenModal&) = delete;
    CWhenModal& operator=(const CWhenModal&) = delete;

    // How many dialogs the action ran on.
    int Count() const { return count; }

private:
    void Poll() {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == last) {
            return;
        }
        last = dialog;
        ++count;
        action(*dialog);
    }

    std::function<void(Dialog&)> action;
    QTimer timer;
    QPointer<Dialog> last;
    int count = 0;
};
