// The null/span dialog on a simulated controller in its null/span adjustment: the boxes and
// bars with their ranges, the scroll actions, the updates, and how OK and Cancel end the
// adjustment and what they leave in the PSF record.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <array>
#include <memory>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "SimScanScript.h"
#include "protocol/ControllerLink.h"
#include "psf/NullSpanDlg.h"
#include "records/Psf.h"
#include "serial/Clock.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Values = CNullSpanDlg::Values;

const char* const kBoxes[] = {"null1Edit", "span1Edit", "null2Edit", "span2Edit"};
const char* const kBars[] = {"null1Bar", "span1Bar", "null2Bar", "span2Bar"};
const std::string kUpdateFailed = "Unable to update Null/Span Information.";

class NullSpanDlgTest : public ::testing::Test {
protected:
    NullSpanDlgTest() {
        CPsf& own = controller->Psf();
        own.SetAnalogNull(1, 100);
        own.SetAnalogSpan(1, 4000);
        own.SetAnalogNull(2, 200);
        own.SetAnalogSpan(2, 3000);
    }

    // Opens the adjustment on the controller, as the PSF dialog does, and the dialog on
    // the values it reported; the dialog is shown, so that boxes can be left.
    std::unique_ptr<CNullSpanDlg> Open() {
        Values values{};
        EXPECT_EQ(link.InputNullSpan(values.data()), 1);
        auto dialog = std::make_unique<CNullSpanDlg>(psf, link, values, nullptr);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    static QLineEdit* Box(CNullSpanDlg& dialog, int index) {
        return dialog.findChild<QLineEdit*>(kBoxes[index]);
    }
    static QScrollBar* Bar(CNullSpanDlg& dialog, int index) {
        return dialog.findChild<QScrollBar*>(kBars[index]);
    }
    static void Click(CNullSpanDlg& dialog, const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    // Types text over the box's contents and leaves the box with Tab.
    static void Type(CNullSpanDlg& dialog, int index, const QString& text) {
        QLineEdit* box = Box(dialog, index);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static void TypeAndLeave(CNullSpanDlg& dialog, int index, const QString& text) {
        Type(dialog, index, text);
        QTest::keyClick(Box(dialog, index), Qt::Key_Tab);
    }
    // Clicks a part of the bar (an arrow or a page area) as the operator would.
    static void ClickBar(QScrollBar* bar, QStyle::SubControl part) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        const QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    Bytes NullSpanFrame(char command, int first, int second) const {
        return {0xF8,
                'C',
                static_cast<unsigned char>(command),
                static_cast<unsigned char>(first >> 8),
                static_cast<unsigned char>(first & 0xFF),
                static_cast<unsigned char>(second >> 8),
                static_cast<unsigned char>(second & 0xFF),
                0x0D};
    }
    // The frames after the opening 'A'.
    std::vector<Bytes> FramesAfterOpening() const {
        std::vector<Bytes> frames = FramesTo(*controller);
        frames.erase(frames.begin());
        return frames;
    }
    Values InPsf() const {
        return {psf.GetAnalogNull(1), psf.GetAnalogSpan(1), psf.GetAnalogNull(2),
                psf.GetAnalogSpan(2)};
    }

    CScopedVirtualClock clock{1000};
    CSimLine line;
    CSimController* controller = line.AddController('C', 0);
    CControllerLink link{std::make_unique<CSimPort>(line, *clock, 9600, 'E'), 'C'};
    CScriptedPrompts prompts;
    CPsf psf;  // the PSF dialog's working record
};

TEST_F(NullSpanDlgTest, OpensOnTheReportedValuesAndOutOfRangeValuesPutTheBarAtTheNearerEnd) {
    controller->Psf().SetAnalogNull(1, 1200);
    controller->Psf().SetAnalogSpan(2, 1000);
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "TALVEN VARN 2.1 with Blanking -- Null/Span Configuration");
    const std::array<const char*, 4> shown = {"1200", "4000", "200", "1000"};
    const std::array<int, 4> bars = {1000, 4000, 200, 1500};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Box(*dialog, i)->text(), shown[static_cast<size_t>(i)]) << kBoxes[i];
        EXPECT_EQ(Bar(*dialog, i)->value(), bars[static_cast<size_t>(i)]) << kBars[i];
    }
    EXPECT_EQ(Bar(*dialog, 0)->minimum(), 0);
    EXPECT_EQ(Bar(*dialog, 1)->minimum(), 1500);
    EXPECT_EQ(Bar(*dialog, 3)->maximum(), 4095);
    EXPECT_EQ(dialog->Current(), (Values{1200, 4000, 200, 1000}));
}

TEST_F(NullSpanDlgTest, ValuesLongerThanFourDigitsAreShownAndSentWhole) {
    controller->Psf().SetAnalogSpan(1, 12345);
    controller->Psf().SetAnalogNull(2, 10000);
    auto dialog = Open();
    EXPECT_EQ(Box(*dialog, 1)->text(), "12345");
    EXPECT_EQ(Box(*dialog, 2)->text(), "10000");
    EXPECT_EQ(dialog->Current(), (Values{100, 12345, 10000, 3000}));
    Click(*dialog, "nullUpdateButton");
    EXPECT_EQ(FramesAfterOpening(), std::vector<Bytes>{NullSpanFrame('n', 100, 10000)});

    // Leaving the box clamps the whole value.
    Box(*dialog, 1)->setFocus();
    QTest::keyClick(Box(*dialog, 1), Qt::Key_Tab);
    EXPECT_EQ(Box(*dialog, 1)->text(), "4095");
    EXPECT_EQ(Bar(*dialog, 1)->value(), 4095);
}

TEST_F(NullSpanDlgTest, LeavingABoxClampsItsValueToTheRangeAndMovesTheBar) {
    auto dialog = Open();
    TypeAndLeave(*dialog, 1, "5000");
    EXPECT_EQ(Box(*dialog, 1)->text(), "4095");
    EXPECT_EQ(Bar(*dialog, 1)->value(), 4095);
    TypeAndLeave(*dialog, 3, "200");
    EXPECT_EQ(Box(*dialog, 3)->text(), "1500");
    EXPECT_EQ(Bar(*dialog, 3)->value(), 1500);
    TypeAndLeave(*dialog, 0, "1200");
    EXPECT_EQ(Box(*dialog, 0)->text(), "1000");
    EXPECT_EQ(Bar(*dialog, 0)->value(), 1000);
    EXPECT_EQ(dialog->Current(), (Values{1000, 4095, 200, 1500}));
}

TEST_F(NullSpanDlgTest, ABoxTakesFourDigitsAndIsEmptiedByAnythingElse) {
    auto dialog = Open();
    Type(*dialog, 2, "98765");
    EXPECT_EQ(Box(*dialog, 2)->text(), "9876");
    EXPECT_EQ(dialog->Current()[2], 9876);  // every change is stored before the box is left
    Type(*dialog, 2, "7x");
    EXPECT_EQ(Box(*dialog, 2)->text(), "");
    EXPECT_EQ(dialog->Current()[2], 0);
    QTest::keyClick(Box(*dialog, 2), Qt::Key_Tab);
    EXPECT_EQ(Box(*dialog, 2)->text(), "0");
}

TEST_F(NullSpanDlgTest, ArrowsStepByOneWithinTheRangeAndPageClicksDoNothing) {
    controller->Psf().SetAnalogNull(1, 0);
    auto dialog = Open();
    QScrollBar* null1 = Bar(*dialog, 0);
    Type(*dialog, 0, "7");  // not left: the bar stays at 0
    ClickBar(null1, QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(null1->value(), 0);
    EXPECT_EQ(Box(*dialog, 0)->text(), "0");
    ClickBar(null1, QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(null1->value(), 1);
    EXPECT_EQ(Box(*dialog, 0)->text(), "1");
    ClickBar(null1, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(null1->value(), 1);

    QScrollBar* span1 = Bar(*dialog, 1);
    ClickBar(span1, QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Box(*dialog, 1)->text(), "4001");
    ClickBar(span1, QStyle::SC_ScrollBarSubPage);
    QTest::keyClick(span1, Qt::Key_Home);
    EXPECT_EQ(span1->value(), 4001);
    EXPECT_EQ(dialog->Current(), (Values{1, 4001, 200, 3000}));
}

TEST_F(NullSpanDlgTest, DraggingTheThumbChangesTheBoxOnlyOnRelease) {
    auto dialog = Open();
    QScrollBar* span2 = Bar(*dialog, 3);
    span2->setSliderDown(true);
    span2->setSliderPosition(2500);
    EXPECT_EQ(span2->value(), 2500);
    EXPECT_EQ(Box(*dialog, 3)->text(), "3000");
    span2->setSliderPosition(2600);
    span2->setSliderDown(false);
    EXPECT_EQ(Box(*dialog, 3)->text(), "2600");
    EXPECT_EQ(dialog->Current()[3], 2600);
}

TEST_F(NullSpanDlgTest, UpdatesSendTheNullsOrTheSpansShown) {
    auto dialog = Open();
    TypeAndLeave(*dialog, 0, "11");
    TypeAndLeave(*dialog, 2, "22");
    TypeAndLeave(*dialog, 1, "2000");
    Click(*dialog, "nullUpdateButton");
    Click(*dialog, "spanUpdateButton");
    EXPECT_EQ(FramesAfterOpening(),
              (std::vector<Bytes>{NullSpanFrame('n', 11, 22), NullSpanFrame('s', 2000, 3000)}));
    EXPECT_EQ(controller->LiveNullSpan(), (std::array<int, 4>{11, 2000, 22, 3000}));
    EXPECT_TRUE(prompts.Texts().empty());

    controller->AddFault({SimFaultKind::silence, 1});
    TypeAndLeave(*dialog, 3, "1600");
    Click(*dialog, "spanUpdateButton");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kUpdateFailed});
    EXPECT_EQ(dialog->Current(), (Values{11, 2000, 22, 1600}));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(NullSpanDlgTest, OkSendsOnlyTheEndAndThePsfRecordTakesTheValuesShown) {
    auto dialog = Open();
    TypeAndLeave(*dialog, 0, "300");
    Type(*dialog, 3, "3500");  // left by the click on OK
    Click(*dialog, "okButton");
    EXPECT_EQ(FramesAfterOpening(), (std::vector<Bytes>{{0xF8, 'C', 'E', 0x0D}}));
    EXPECT_EQ(InPsf(), (Values{300, 4000, 200, 3500}));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    // Nothing was sent before the end: the controller keeps its own values.
    EXPECT_EQ(controller->Psf().GetAnalogNull(1), 100);
    EXPECT_FALSE(controller->InNullSpanAdjustment());
}

TEST_F(NullSpanDlgTest, OkStaysOpenWhenTheEndFails) {
    auto dialog = Open();
    TypeAndLeave(*dialog, 2, "250");
    controller->AddFault({SimFaultKind::silence, 1});
    Click(*dialog, "okButton");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{kUpdateFailed});
    EXPECT_EQ(prompts.Messages()[0].icon, PromptIcon::kExclamation);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(InPsf(), (Values{100, 4000, 250, 3000}));
    Click(*dialog, "okButton");
    EXPECT_FALSE(dialog->isVisible());
}

// Cancel tries the end twice; the operator hears of a failure only when both tries fail.
TEST_F(NullSpanDlgTest, CancelAlwaysClosesAndPutsTheReportedValuesIntoThePsfRecord) {
    const struct {
        int lostRequests;
        size_t ends;
        std::vector<std::string> messages;
    } cases[] = {{0, 1, {}}, {1, 2, {}}, {2, 2, {kUpdateFailed}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lostRequests);
        const size_t before = prompts.Messages().size();
        auto dialog = Open();
        TypeAndLeave(*dialog, 0, "500");
        Click(*dialog, "nullUpdateButton");
        const size_t sent = FramesAfterOpening().size();
        if (c.lostRequests > 0) {
            controller->AddFault({SimFaultKind::silence, c.lostRequests});
        }
        Click(*dialog, "cancelButton");
        const std::vector<std::string> texts = prompts.Texts();
        EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before),
                                           texts.end()),
                  c.messages);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(InPsf(), (Values{100, 4000, 200, 3000}));
        const std::vector<Bytes> frames = FramesAfterOpening();
        ASSERT_GE(frames.size(), sent);
        EXPECT_EQ(
            std::vector<Bytes>(frames.begin() + static_cast<std::ptrdiff_t>(sent), frames.end()),
            std::vector<Bytes>(c.ends, Bytes{0xF8, 'C', 'Q', 0x0D}));
    }
}

TEST_F(NullSpanDlgTest, EscapeAndTheCloseBoxDoNothing) {
    auto dialog = Open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(Box(*dialog, 0), Qt::Key_Return);
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(FramesAfterOpening().empty());
}

}  // namespace
