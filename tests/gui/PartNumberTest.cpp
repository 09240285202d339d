// The Set Part Number command against a simulated controller: the list from the settings
// file with its warnings, the date code of a set day, the frame written byte for byte,
// the messages, and the part numbers that are refused without sending anything.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "UiFixtures.h"
#include "WhenModal.h"
#include "app/PartNumberDlg.h"
#include "app/PartNumberSession.h"
#include "sequences/DateCode.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Texts = std::vector<std::string>;

// What the dialog showed when it opened.
struct Shown {
    Texts items;
    std::string selected;
    std::string dateCode;
    bool dateCodeReadOnly = false;
};

class PartNumberTest : public ::testing::Test {
protected:
    PartNumberTest()
        : controller(line.AddController('C', 1)),
          factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        table[0] = {'C', 1, 'X', 0};
        table[3][1] = 'X';
    }

    // Runs the command; act sees the dialog, which it must close.
    Shown Run(const std::function<void(CPartNumberDlg&)>& act) {
        Shown shown;
        const CWhenModal<CPartNumberDlg> driver([&](CPartNumberDlg& dialog) {
            dialogShown = &dialog;
            const auto* list = dialog.findChild<QListWidget*>("partNumberList");
            for (int i = 0; i < list->count(); ++i) {
                shown.items.push_back(list->item(i)->text().toStdString());
            }
            shown.selected = dialog.PartNumber().toStdString();
            const auto* dateCode = dialog.findChild<QLineEdit*>("dateCodeEdit");
            shown.dateCode = dateCode->text().toStdString();
            shown.dateCodeReadOnly = dateCode->isReadOnly();
            act(dialog);
        });
        CPartNumberSession session(&table, &owner, 1, 'E', 9600);
        EXPECT_EQ(session.Run(), 1);
        EXPECT_EQ(driver.Count(), 1);
        return shown;
    }

    static void Press(CPartNumberDlg& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    // The letters of the frames the controller got, in order.
    std::string Commands() const {
        std::string letters;
        for (const SimReceivedFrame& frame : controller->Received()) {
            letters += static_cast<char>(frame.bytes[2]);
        }
        return letters;
    }

    CTempSettings settings;
    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    const CScopedToday today{{2011, 44}};  // week 7
    ControllerTable table{};
    QWidget owner;
    const QWidget* dialogShown = nullptr;
};

TEST_F(PartNumberTest, ChosenPartNumberAndDateCodeGoOutAsOneFrame) {
    settings.Write("[PartNumbers]\nFirst=000123\nSecond=654321\n");
    const Shown shown = Run([](CPartNumberDlg& dialog) {
        auto* list = dialog.findChild<QListWidget*>("partNumberList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);  // OK is the default button
    });
    EXPECT_EQ(shown.items, (Texts{"000123", "654321"}));
    EXPECT_EQ(shown.selected, "000123");
    EXPECT_EQ(shown.dateCode, "1107");
    EXPECT_TRUE(shown.dateCodeReadOnly);

    // Suspended, flushed, written, resumed.
    EXPECT_EQ(Commands(), "VWv");
    EXPECT_EQ(controller->Received()[1].bytes,
              (Bytes{0xF8, 'C', 'W', 0x00, 0x00, 0x00, 0x7B, 0x04, 0x53, 0xFF, 0x2D, 0x0D}));
    EXPECT_EQ(controller->PartNumber(), 123u);
    EXPECT_EQ(controller->DateCode(), 1107);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const auto& message = prompts.Messages()[0];
    EXPECT_EQ(message.text, "Part Number and Date Code Set.");
    EXPECT_EQ(message.icon, PromptIcon::kNone);
    EXPECT_EQ(message.owner, &owner);
}

TEST_F(PartNumberTest, ControllerThatDoesNotAcknowledgeIsReported) {
    settings.Write("[PartNumbers]\nFirst=000123\n");
    controller->AddFault({SimFaultKind::wrongLetter});  // the acknowledgement's letter
    Run([](CPartNumberDlg& dialog) { Press(dialog, "okButton"); });
    EXPECT_EQ(prompts.Texts(), Texts{"Unable to Set Part Number and Date Code."});
}

TEST_F(PartNumberTest, EntriesOfTheWrongLengthAreLeftOutWithAWarning) {
    settings.Write("[PartNumbers]\nShort=12345\nGood=123456\nLong=1234567\n[Other]\nX=1\n");
    const Shown shown = Run([](CPartNumberDlg& dialog) { Press(dialog, "cancelButton"); });
    EXPECT_EQ(shown.items, Texts{"123456"});
    EXPECT_EQ(shown.selected, "123456");
    EXPECT_EQ(prompts.Texts(),
              (Texts{"Warning: Ini value: '12345' for entry 'Short' must be six characters",
                     "Warning: Ini value: '1234567' for entry 'Long' must be six characters"}));
    for (const auto& message : prompts.Messages()) {
        EXPECT_EQ(message.icon, PromptIcon::kNone);
        EXPECT_EQ(message.owner, dialogShown);
    }
    // Cancel: only the suspend before and the resume after.
    EXPECT_EQ(Commands(), "Vv");
}

TEST_F(PartNumberTest, EveryEntryIsOfferedHoweverLongTheListOfNames) {
    std::string section = "[PartNumbers]\n";
    Texts expected;
    for (int i = 0; i < 40; ++i) {
        const std::string value = std::to_string(100000 + i);
        section += "PartNumberEntry" + std::to_string(i) + "=" + value + "\n";
        expected.push_back(value);
    }
    settings.Write(section);
    const Shown shown = Run([](CPartNumberDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(shown.items, expected);
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(PartNumberTest, PartNumberThatIsNotDecimalIsRefused) {
    settings.Write("[PartNumbers]\nOdd=12AB56\n");
    Run([](CPartNumberDlg& dialog) { Press(dialog, "okButton"); });
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const auto& message = prompts.Messages()[0];
    EXPECT_EQ(message.text,
              "Part number '12AB56' is not a decimal number.\n"
              "Part Number and Date Code were not set.");
    EXPECT_EQ(message.icon, PromptIcon::kExclamation);
    EXPECT_EQ(message.owner, &owner);
    EXPECT_EQ(Commands(), "Vv");
    EXPECT_EQ(controller->PartNumber(), 0u);
}

TEST_F(PartNumberTest, OkWithAnEmptyListSendsNothing) {
    settings.Write("[PartNumbers]\nShort=1\n");
    const Shown shown = Run([](CPartNumberDlg& dialog) { Press(dialog, "okButton"); });
    EXPECT_TRUE(shown.items.empty());
    EXPECT_EQ(shown.selected, "");
    EXPECT_EQ(prompts.Texts(),
              (Texts{"Warning: Ini value: '1' for entry 'Short' must be six characters",
                     "No part number is selected.\nPart Number and Date Code were not set."}));
    EXPECT_EQ(Commands(), "Vv");
}

}  // namespace
