#pragma once
// The main window's view: which controller is selected (ID, rate, type), the last
// diagnostics read and the last PSF read or sent in this run, in words. It shows what
// the commands saw on the line and reads nothing by itself.

#include <QWidget>

#include "protocol/ControllerTable.h"
#include "settings/ControllerNotes.h"

class QLabel;

class CControllerPanel : public QWidget {
    Q_OBJECT

public:
    explicit CControllerPanel(QWidget* parent);

    // Shows the selection of table and the notes taken so far.
    void Refresh(const ControllerTable& table);
    CControllerNotes& Notes() { return notes; }

private:
    CControllerNotes notes;
    QLabel* controller;
    QLabel* diagnostics;
    QLabel* psf;
};
