// The service sessions' brackets on a scripted line: which frames go out in which order
// and at which rate, the pauses between them, the port flush, and the busy state the
// operator sees meanwhile.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include "ScriptedPrompts.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/DiagnosticsSession.h"
#include "app/EditPsfSession.h"
#include "app/PartNumberDlg.h"
#include "app/PartNumberSession.h"
#include "app/PingDlg.h"
#include "app/PingSession.h"
#include "psf/PsfDlg.h"
#include "widgets/IdlePump.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Frame(char id, char command) {
    return {0xF8, static_cast<unsigned char>(id), static_cast<unsigned char>(command), 0x0D};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class ServiceSessionTest : public ::testing::Test {
protected:
    ServiceSessionTest() : line(*clock) {
        // A and C are known, C (at 19200) is selected.
        table[0] = {'C', 1, 'X', 0};
        table[1][0] = 'X';
        table[3][1] = 'X';
    }

    std::vector<long> ConfiguredRates(const CRecordedLine::Opening& opening) const {
        std::vector<long> rates;
        for (const CScriptedPort::Call& call : opening.calls) {
            if (call.kind == CScriptedPort::Call::kConfigure) {
                rates.push_back(static_cast<long>(call.asked));
            }
        }
        return rates;
    }
    unsigned Reads(const CRecordedLine::Opening& opening) const {
        unsigned reads = 0;
        for (const CScriptedPort::Call& call : opening.calls) {
            reads += call.kind == CScriptedPort::Call::kRead ? 1 : 0;
        }
        return reads;
    }
    std::vector<uint32_t> WriteTimes(const CRecordedLine::Opening& opening) const {
        std::vector<uint32_t> times;
        for (const CScriptedPort::Call& call : opening.calls) {
            if (call.kind == CScriptedPort::Call::kWrite) {
                times.push_back(call.startedAt);
            }
        }
        return times;
    }

    // Runs a session of the given class for the frame's table, owner and choices, and
    // destroys it, which closes its port.
    template <class Session>
    int Run(int portIndex, char parity) {
        Session session(&table, &owner, portIndex, parity, 9600);
        return session.Run();
    }

    CScopedVirtualClock clock;
    CRecordedLine line;
    ControllerTable table{};
    QWidget owner;
};

TEST_F(ServiceSessionTest, EditPsfSuspendsAndResumesKnownControllersWithoutFlush) {
    CScriptedPrompts prompts;  // nobody answers the dialog's PSF request on this line
    const CWhenModal<CPsfDlg> quit([](CPsfDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(Run<CEditPsfSession>(2, 'N'), 1);
    ASSERT_EQ(line.Opened().size(), 1u);
    const CRecordedLine::Opening& opening = line.Opened()[0];
    EXPECT_EQ(opening.portNumber, 2);
    EXPECT_EQ(opening.baud, 19200);
    EXPECT_EQ(opening.parity, 'N');
    EXPECT_EQ(opening.written, Concat({Frame('A', 'V'), Frame('C', 'V'), Frame('C', 'G'),
                                       Frame('A', 'v'), Frame('C', 'v')}));
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Unable to Upload PSF"});
    // 160 ms after each suspend, then 250 ms before the dialog reads the PSF; 160 ms
    // after each resume.
    const std::vector<uint32_t> times = WriteTimes(opening);
    ASSERT_EQ(times.size(), 5u);
    EXPECT_EQ(times[1], 160u);
    EXPECT_GE(times[2], 570u);
    EXPECT_EQ(times[4] - times[3], 160u);
}

TEST_F(ServiceSessionTest, DiagnosticsAndPartNumberFlushThePortAfterSuspending) {
    CScriptedPrompts prompts;  // nobody answers the diagnostics request on this line
    EXPECT_EQ(Run<CDiagnosticsSession>(1, 'E'), 0);
    const CTempSettings settings;
    const CWhenModal<CPartNumberDlg> cancel([](CPartNumberDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(Run<CPartNumberSession>(1, 'E'), 1);
    ASSERT_EQ(line.Opened().size(), 2u);
    const std::vector<Bytes> commands = {Frame('C', 'I'), {}};
    for (size_t i = 0; i < line.Opened().size(); ++i) {
        const CRecordedLine::Opening& opening = line.Opened()[i];
        EXPECT_EQ(opening.written, Concat({Frame('A', 'V'), Frame('C', 'V'), commands[i],
                                           Frame('A', 'v'), Frame('C', 'v')}));
        EXPECT_GT(Reads(opening), 0u);
        // Each controller at its own rate, then back to the selected one.
        EXPECT_EQ(ConfiguredRates(opening),
                  (std::vector<long>{9600, 19200, 19200, 9600, 19200, 19200}));
    }
}

TEST_F(ServiceSessionTest, NoSelectionOpensAtTheDefaultRateAndAddressesNobody) {
    table = ControllerTable{};
    const CWhenModal<CPsfDlg> quit([](CPsfDlg& dialog) { dialog.reject(); });
    CEditPsfSession session(&table, &owner, 0, 'E', 9600);
    EXPECT_EQ(session.Run(), 1);
    EXPECT_EQ(line.Opened()[0].baud, 9600);
    EXPECT_TRUE(line.Opened()[0].written.empty());
    ASSERT_NE(session.Link(), nullptr);
    EXPECT_EQ(session.Link()->Id(), 0);
}

TEST_F(ServiceSessionTest, ExchangesRunBusyAndTheBusyStateEndsWithThem) {
    std::vector<bool> busy;
    line.onOpen = [&busy](CScriptedPort& port) {
        port.onWrite = [&busy](const Bytes&) {
            const QCursor* cursor = QApplication::overrideCursor();
            busy.push_back(InputHeld() && cursor != nullptr && cursor->shape() == Qt::WaitCursor);
        };
    };
    CScriptedPrompts prompts;
    Run<CDiagnosticsSession>(1, 'E');
    // Two suspends, the unanswered diagnostics request, two resumes.
    EXPECT_EQ(busy, std::vector<bool>(5, true));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(InputHeld());
}

TEST_F(ServiceSessionTest, PortThatCannotBeOpenedEndsTheCommand) {
    line.SetOpenStatus(kPortInUse);
    CScriptedPrompts prompts;
    CDiagnosticsSession session(&table, &owner, 11, 'E', 9600);
    EXPECT_EQ(session.Run(), 0);
    EXPECT_EQ(session.Link(), nullptr);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{std::string("Unable to open COM12:\n") +
                                                        BaseStatusText(kPortInUse) + "\n"});
    EXPECT_EQ(prompts.Messages()[0].owner, &owner);
}

TEST_F(ServiceSessionTest, PingForgetsTheSelectionAndFindsControllersAtEveryRate) {
    // Controller B answers at 19200 only.
    line.onOpen = [](CScriptedPort& port) {
        port.onWrite = [&port](const Bytes& chunk) {
            if (chunk == Frame('B', 'P') && port.Current().baud == 19200) {
                port.ArriveIn(5, {0x1C, 'B', 'X', 0x0A});
            }
        };
    };
    const CWhenModal<CPingDlg> cancel([](CPingDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(Run<CPingSession>(1, 'E'), 1);

    ControllerTable expected{};
    expected[2][1] = 'X';
    EXPECT_EQ(table, expected);
    // The session opened at the old selection's rate; the broadcast suspend goes out at
    // each searched rate before the search, the resume to B after it, and then the
    // broadcast resume at each searched rate.
    const CRecordedLine::Opening& opening = line.Opened()[0];
    EXPECT_EQ(opening.baud, 19200);
    const Bytes& written = opening.written;
    ASSERT_GE(written.size(), 12u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 12),
              Concat({Frame('X', 'V'), Frame('X', 'V'), Frame('X', 'V')}));
    EXPECT_EQ(Bytes(written.end() - 16, written.end()),
              Concat({Frame('B', 'v'), Frame('X', 'v'), Frame('X', 'v'), Frame('X', 'v')}));
    EXPECT_EQ(written.size(), 12u + 45u * 4u + 4u + 12u);
}

}  // namespace
