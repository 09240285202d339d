// The main window's panel in its three states (nothing selected; a controller selected;
// diagnostics and a PSF seen on the line), and the help window over the user guide:
// pictures, links between sections, finding text, and Help > Index opening it when the
// guide is installed beside the program.

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <memory>
#include <set>
#include <string>

#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "app/ControllerPanel.h"
#include "app/HelpWnd.h"
#include "app/LineMonitorWnd.h"
#include "app/MainFrame.h"
#include "app/TarnApp.h"
#include "protocol/ControllerLink.h"
#include "protocol/Diagnostics.h"
#include "records/Psf.h"
#include "records/PsfCodes.h"

namespace {

std::string Text(const QWidget& panel, const char* label) {
    return panel.findChild<QLabel*>(label)->text().toStdString();
}

TEST(ControllerPanelTest, ShowsTheSelectionAndWhatTheLineCarriedInWords) {
    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* c = line.AddController('C', 1);
    c->SetBoards(3, 3);
    c->SetPartNumber(1234567, 2411);
    c->Psf().Set(kControlMode, kControlModeCodes.CodeOf(1));
    c->Psf().Set(kAnalog1Assignment, 'y');
    CControllerPanel panel(nullptr);
    ControllerTable table{};

    panel.Refresh(table);
    EXPECT_EQ(Text(panel, "controller"),
              "No controller selected. Press F5 to find the controllers on the line.");
    EXPECT_EQ(Text(panel, "diagnostics"),
              "No diagnostics read in this run. Press F7 to read them.");
    EXPECT_EQ(Text(panel, "psf"), "No PSF read or sent in this run. Press F6 to edit the PSF.");

    table[0] = {'C', 1, 'X', 0};
    panel.Refresh(table);
    EXPECT_EQ(Text(panel, "controller"), "ID: C    Rate: 19200 baud    Type: VARN with Blanking");

    CControllerLink link(std::make_unique<CSimPort>(line, *clock, 19200, 'E'), 'C');
    CDiagnostics emitter;
    CDiagnostics receiver;
    CPsf psf;
    ASSERT_EQ(link.InputDiagnostics(emitter, 0), 1);
    ASSERT_EQ(link.InputDiagnostics(receiver, 1), 1);
    ASSERT_EQ(link.InputPsf(psf), 1);
    panel.Refresh(table);
    const std::string diagnostics = Text(panel, "diagnostics");
    EXPECT_EQ(diagnostics.substr(0, 15), "Read from C at ");
    EXPECT_EQ(diagnostics.substr(diagnostics.find('\n')),
              "\nSystem state: Operational\nBoards: 3 emitter, 3 receiver\n"
              "Part number: 1234567    Version: 2.1    Date code: 2411");
    const std::string read = Text(panel, "psf");
    EXPECT_EQ(read.substr(0, 15), "Read from C at ");
    EXPECT_EQ(read.substr(read.find('\n')),
              "\nControl mode: Host\nScanning method: Straight\nMeasurements: 1 None, 2 None\n"
              "Outputs: analog 1 Meas 1, analog 2 Disabled, discrete 1 Disabled, discrete 2 "
              "Disabled");

    // A PSF the controller refused is not what it holds; one it took is.
    psf.Set(kControlMode, kControlModeCodes.CodeOf(0));
    SimFault refuse;
    refuse.kind = SimFaultKind::wrongLetter;
    c->AddFault(refuse);
    EXPECT_EQ(link.OutputPsf(psf), 0);
    panel.Refresh(table);
    EXPECT_EQ(Text(panel, "psf").substr(0, 10), "Read from ");
    EXPECT_EQ(link.OutputPsf(psf), 1);
    panel.Refresh(table);
    EXPECT_EQ(Text(panel, "psf").substr(0, 10), "Sent to C ");
    EXPECT_NE(Text(panel, "psf").find("Control mode: Continuous"), std::string::npos);
}

const QString kGuide = QStringLiteral(TARN_DOCS_DIR "/user-guide.md");

// The guide's links to its own sections (the contents list and references in the text),
// and the anchors of its headings.
void SectionLinks(const QTextDocument& document, std::set<std::string>* links,
                  std::set<std::string>* anchors) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto part = block.begin(); !part.atEnd(); ++part) {
            const QTextCharFormat format = part.fragment().charFormat();
            if (format.anchorHref().startsWith(QLatin1Char('#'))) {
                links->insert(format.anchorHref().mid(1).toStdString());
            }
            for (const QString& name : format.anchorNames()) {
                anchors->insert(name.toStdString());
            }
        }
    }
}

TEST(HelpWndTest, RendersTheGuideWithPicturesLinksAndFind) {
    CHelpWnd help(nullptr, kGuide);
    help.show();
    QCoreApplication::processEvents();
    QTextBrowser& browser = help.Browser();
    EXPECT_TRUE(browser.document()->toPlainText().startsWith(QStringLiteral("User guide")));
    EXPECT_FALSE(
        browser.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/ping.png")))
            .toByteArray()
            .isEmpty());

    emit browser.anchorClicked(QUrl(QStringLiteral("#part-number-and-date-code")));
    EXPECT_GT(browser.verticalScrollBar()->value(), 0);
    // Every section but the title's is in the contents, and every link leads to a section.
    std::set<std::string> links;
    std::set<std::string> anchors;
    SectionLinks(*browser.document(), &links, &anchors);
    anchors.erase("user-guide");
    EXPECT_EQ(links, anchors);

    EXPECT_TRUE(help.Find(QStringLiteral("Null and span")));
    EXPECT_EQ(browser.textCursor().selectedText().toLower(), QStringLiteral("null and span"));
    EXPECT_FALSE(help.Find(QStringLiteral("no such words in the guide")));
}

// The program's folder is a temporary one, so that nothing is written beside the test
// program and an aborted run leaves nothing for the next.
TEST(HelpWndTest, HelpIndexOpensTheGuideInstalledBesideTheProgram) {
    const CScriptedPrompts prompts;
    CTempSettings settings;
    const QTemporaryDir programFolder;
    CHelpWnd::SetProgramFolder(programFolder.path());
    struct Restore {
        ~Restore() { CHelpWnd::SetProgramFolder(QString()); }
    } restore;
    {
        CTarnApp app;
        app.SetSplashMs(0);
        app.InitInstance();
        EXPECT_FALSE(app.MainFrame()->CommandAction(kCmdHelpIndex)->isEnabled());
    }
    const QDir beside(programFolder.path());
    ASSERT_TRUE(beside.mkpath(QStringLiteral("doc")));
    ASSERT_TRUE(QFile::copy(kGuide, beside.filePath(QStringLiteral("doc/user-guide.md"))));
    CTarnApp app;
    app.SetSplashMs(0);
    app.InitInstance();
    CMainFrame& frame = *app.MainFrame();
    frame.CommandAction(kCmdHelpIndex)->trigger();
    const auto* help = frame.findChild<CHelpWnd*>(QStringLiteral("helpWindow"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
}

// The line monitor and the help window, sized for a large screen, open whole on a
// smaller one (the offscreen platform's).
TEST(HelpWndTest, MonitorAndHelpWindowOpenWholeOnTheScreen) {
    CLineMonitorWnd monitor(nullptr);
    CHelpWnd help(nullptr, kGuide);
    for (QWidget* window : {static_cast<QWidget*>(&monitor), static_cast<QWidget*>(&help)}) {
        window->show();
        const QRect area = window->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(window->frameGeometry()))
            << window->objectName().toStdString() << " at " << window->frameGeometry().x() << ","
            << window->frameGeometry().y() << " " << window->frameGeometry().width() << "x"
            << window->frameGeometry().height() << " on " << area.width() << "x" << area.height();
    }
}

}  // namespace
