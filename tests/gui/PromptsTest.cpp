// The program's own message boxes, and the classic file dialog filters turned into Qt's
// form.

#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "widgets/Prompts.h"

namespace {

TEST(PromptsTest, ClassicFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("PSF Files (*.PSF) |*.PSF||").toStdString(), "PSF Files (*.PSF)");
    EXPECT_EQ(QtFileFilter("BFS Files (*.bfs) |*.bfs||").toStdString(), "BFS Files (*.bfs)");
    EXPECT_EQ(QtFileFilter("Blanking|*.bfs;*.BFS|All Files (*.*)|*.*||").toStdString(),
              "Blanking (*.bfs *.BFS);;All Files (*.*)");
    EXPECT_EQ(QtFileFilter("").toStdString(), "");
}

// Asks through the Qt prompts; operate runs on the open message box and ends it.
int Ask(PromptButtons buttons, const std::function<void(QMessageBox&)>& operate) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        operate(*box);
    });
    return Prompts().Message(nullptr, QStringLiteral("Keep it?"), PromptIcon::kStop, buttons);
}

// Esc, then the close box; true when the box is still open after each.
std::vector<bool> EscapeAndClose(QMessageBox& box) {
    std::vector<bool> open;
    QTest::keyClick(&box, Qt::Key_Escape);
    open.push_back(box.isVisible());
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::instance()->notify(&box, &close);
    open.push_back(box.isVisible());
    return open;
}

TEST(PromptsTest, YesNoQuestionIsAnsweredOnlyByItsButtons) {
    for (const auto& [button, answer] :
         {std::pair{QMessageBox::Yes, kAnswerYes}, std::pair{QMessageBox::No, kAnswerNo}}) {
        std::vector<bool> open;
        EXPECT_EQ(Ask(PromptButtons::kYesNo,
                      [&, button = button](QMessageBox& box) {
                          open = EscapeAndClose(box);
                          box.button(button)->click();
                      }),
                  answer);
        EXPECT_EQ(open, (std::vector<bool>{true, true}));
    }

    // With a Cancel button, Esc is Cancel.
    EXPECT_EQ(Ask(PromptButtons::kYesNoCancel,
                  [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              kAnswerCancel);
}

}  // namespace
