#pragma once
// The PSF dialog over the in-process simulated line: controllers the search found, the
// Edit PSF session's connection, scripted prompts, and the dialog opened over them.

#include <gtest/gtest.h>

#include <QString>
#include <memory>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/EditPsfSession.h"
#include "psf/PsfDlg.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

class PsfSimFixture : public ::testing::Test {
protected:
    PsfSimFixture()
        : factory([this](int, long baud, char parity) {
              return std::make_unique<CSimPort>(line, *clock, baud, parity);
          }) {}
    ~PsfSimFixture() override {
        dialog.reset();
        session.reset();
    }

    // A controller that the search found and selected.
    CSimController& Selected(char id, int baudIndex) {
        CSimController& controller = *line.AddController(id, baudIndex);
        table[id - 0x40][baudIndex] = kFoundMarker;
        table[0] = {id, baudIndex, kFoundMarker, 0};
        return controller;
    }
    // Opens the session's connection and the dialog over it.
    CPsfDlg& Open() {
        session = std::make_unique<CEditPsfSession>(&table, &owner, 0, 'E', 9600);
        EXPECT_EQ(session->OpenConnection(), 1);
        dialog = std::make_unique<CPsfDlg>(table, *session, &owner);
        return *dialog;
    }
    template <class Widget>
    Widget* Child(const char* name) const {
        Widget* widget = dialog->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    ControllerTable table{};
    QWidget owner;
    std::unique_ptr<CEditPsfSession> session;
    std::unique_ptr<CPsfDlg> dialog;
};
