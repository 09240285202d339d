// The idle pump and the input gate while a port transfer waits: events are processed,
// user input reaches only the pump target; and the busy scope between exchanges.

#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "ScriptedPort.h"
#include "serial/Clock.h"
#include "widgets/IdlePump.h"

namespace {

// A main window with a button and a shortcut, and a scan dialog with a Stop button.
class InputGateTest : public ::testing::Test {
protected:
    InputGateTest() : port(*clock) {
        window.setLayout(new QVBoxLayout);
        window.layout()->addWidget(&command);
        shortcut.setShortcut(QKeySequence(Qt::Key_F5));
        window.addAction(&shortcut);
        dialog.setLayout(new QVBoxLayout);
        dialog.layout()->addWidget(stop);
        QObject::connect(&command, &QPushButton::clicked, [this] { ++commandClicks; });
        QObject::connect(stop, &QPushButton::clicked, [this] { ++stopClicks; });
        QObject::connect(&shortcut, &QAction::triggered, [this] { ++shortcutRuns; });
        window.show();
        dialog.show();
    }

    // Runs action from the event loop while a 200 ms read waits on a silent line.
    void DuringExchange(std::function<void()> action) {
        QTimer::singleShot(0, action);
        unsigned char reply[4];
        EXPECT_EQ(port.Read(reply, sizeof reply, 200), kTimeout);
    }

    CScopedVirtualClock clock;
    CScriptedPort port;
    QWidget window;
    QPushButton command{QStringLiteral("Command")};
    QAction shortcut;
    QDialog dialog{&window};
    QPushButton* stop = new QPushButton(QStringLiteral("Stop"), &dialog);
    int commandClicks = 0;
    int stopClicks = 0;
    int shortcutRuns = 0;
};

TEST_F(InputGateTest, ClickDuringAnExchangeReachesOnlyThePumpTarget) {
    CPumpTargetScope target(&dialog);
    DuringExchange([this] {
        QTest::mouseClick(&command, Qt::LeftButton);
        QTest::mouseClick(stop, Qt::LeftButton);
    });
    EXPECT_EQ(commandClicks, 0);
    EXPECT_EQ(stopClicks, 1);

    // Between exchanges input flows again.
    QTest::mouseClick(&command, Qt::LeftButton);
    EXPECT_EQ(commandClicks, 1);
}

TEST_F(InputGateTest, WithoutPumpTargetEveryInputWaits) {
    DuringExchange([this] {
        QTest::mouseClick(stop, Qt::LeftButton);
        QTest::keyClick(&command, Qt::Key_Space);
        window.activateWindow();
        QTest::keyClick(&window, Qt::Key_F5);
    });
    EXPECT_EQ(stopClicks, 0);
    EXPECT_EQ(commandClicks, 0);
    EXPECT_EQ(shortcutRuns, 0);

    window.activateWindow();
    QTest::keyClick(&window, Qt::Key_F5);
    EXPECT_EQ(shortcutRuns, 1);
}

TEST_F(InputGateTest, PumpKeepsTimersAndPostedEventsRunning) {
    int runs = 0;
    DuringExchange([&runs] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST_F(InputGateTest, PumpTargetScopesNestAndRestore) {
    {
        CPumpTargetScope outer(&dialog);
        {
            CPumpTargetScope inner(&window);
            EXPECT_EQ(PumpTarget(), &window);
        }
        EXPECT_EQ(PumpTarget(), &dialog);
    }
    EXPECT_EQ(PumpTarget(), nullptr);
}

TEST_F(InputGateTest, BusyScopeShowsTheWaitCursorAndHoldsInputBack) {
    {
        CBusyScope busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTest::mouseClick(&command, Qt::LeftButton);
        { CBusyScope nested; }
        EXPECT_TRUE(InputHeld());
        QTest::mouseClick(&command, Qt::LeftButton);
    }
    EXPECT_EQ(commandClicks, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::mouseClick(&command, Qt::LeftButton);
    EXPECT_EQ(commandClicks, 1);
}

TEST_F(InputGateTest, CloseBoxDuringAnExchangeIsRefused) {
    // The close box reaches a window as a spontaneous close event; the window closes when
    // the event comes back accepted.
    auto closeBoxAccepted = [this] {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(&window, &close);
        return close.isAccepted();
    };
    bool acceptedDuringExchange = true;
    DuringExchange([&] { acceptedDuringExchange = closeBoxAccepted(); });
    EXPECT_FALSE(acceptedDuringExchange);
    EXPECT_TRUE(closeBoxAccepted());
}

TEST_F(InputGateTest, ProgramClosingAWindowIsNotHeldBack) {
    CInputHold hold;
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
