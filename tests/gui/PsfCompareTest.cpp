// Comparing the PSF dialog's working copy: with PSF files (identical, one field, every
// field, a file that is no PSF) and with a simulated controller's PSF read through the
// dialog's link, the marks, the summary and the text that Copy puts on the clipboard.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <fstream>

#include "PsfSimFixture.h"
#include "WhenModal.h"
#include "psf/PsfCompareDlg.h"

namespace {

class PsfCompareTest : public PsfSimFixture {
protected:
    std::string Save(const char* name, CPsf psf) const {
        const std::string path = folder.filePath(QString::fromLatin1(name)).toStdString();
        EXPECT_TRUE(psf.SaveToFile(path));
        return path;
    }
    // Opens the compare dialog from the PSF dialog's button and runs step on it.
    void Compare(const std::function<void(CPsfCompareDlg&)>& step) {
        CWhenModal<CPsfCompareDlg> whenOpen([&](CPsfCompareDlg& compare) {
            step(compare);
            compare.accept();
        });
        Child<QPushButton>("compareButton")->click();
        EXPECT_EQ(whenOpen.Count(), 1);
    }
    static QString Summary(const CPsfCompareDlg& compare) {
        return compare.findChild<QLabel*>("summaryText")->text();
    }
    static QTableWidget* Table(const CPsfCompareDlg& compare) {
        return compare.findChild<QTableWidget*>("table");
    }
    static void Press(const CPsfCompareDlg& compare, const char* name) {
        compare.findChild<QPushButton*>(name)->click();
    }
    // The rows whose last column says they differ.
    static std::vector<int> MarkedRows(const CPsfCompareDlg& compare) {
        std::vector<int> rows;
        for (int row = 0; row < Table(compare)->rowCount(); ++row) {
            if (Table(compare)->item(row, 3)->text() == "differs") {
                rows.push_back(row);
            }
        }
        return rows;
    }

    QTemporaryDir folder;
};

TEST_F(PsfCompareTest, WithFilesIdenticalOneFieldEveryFieldAndAForeignFile) {
    CPsfDlg& psfDlg = Open();
    psfDlg.Psf().SetControlMode('c');
    CPsf oneField;
    oneField.CopyFrom(psfDlg.Psf());
    oneField.SetAnalogSpan(2, 4000);
    CPsf everyField;
    for (int field = 0; field < kPsfFieldCount; ++field) {
        everyField.Set(field, psfDlg.Psf().Get(field) + 1);
    }
    const std::string foreign = folder.filePath("foreign.PSF").toStdString();
    std::ofstream(foreign) << std::string(kPsfImageSize, 'x');
    prompts.ScriptFiles({Save("same.PSF", psfDlg.Psf()), Save("one.PSF", oneField),
                         Save("every.PSF", everyField), foreign});

    Compare([&](CPsfCompareDlg& compare) {
        EXPECT_FALSE(compare.findChild<QPushButton*>("controllerButton")->isEnabled());
        EXPECT_FALSE(compare.findChild<QPushButton*>("copyButton")->isEnabled());
        Press(compare, "fileButton");
        EXPECT_EQ(Summary(compare), "The PSFs are identical");
        EXPECT_EQ(Table(compare)->horizontalHeaderItem(2)->text(), "same.PSF");
        EXPECT_EQ(Table(compare)->item(3, 1)->text(), "Gate - On");
        EXPECT_TRUE(MarkedRows(compare).empty());

        Press(compare, "fileButton");
        EXPECT_EQ(Summary(compare), "1 of 27 fields differ");
        EXPECT_EQ(MarkedRows(compare), std::vector<int>{kAnalog2Span});
        EXPECT_EQ(Table(compare)->item(kAnalog2Span, 0)->text(), "Analog Output #2 Span");
        EXPECT_EQ(Table(compare)->item(kAnalog2Span, 1)->text(), "4095");
        EXPECT_EQ(Table(compare)->item(kAnalog2Span, 2)->text(), "4000");

        Press(compare, "fileButton");
        EXPECT_EQ(Summary(compare), "27 of 27 fields differ");
        EXPECT_EQ(MarkedRows(compare).size(), 27u);
        EXPECT_EQ(Table(compare)->item(kControllerId, 2)->text(), "B");

        // A file that is no PSF changes nothing on show.
        Press(compare, "fileButton");
        EXPECT_EQ(Summary(compare), "27 of 27 fields differ");
        Press(compare, "copyButton");
    });
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"This File is Not Compatible."});
    EXPECT_EQ(prompts.FileDialogs()[0].filter, "PSF Files (*.PSF) |*.PSF||");
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(copied.size(), 2 + kPsfFieldCount + 1);
    EXPECT_EQ(copied[0], "27 of 27 fields differ");
    EXPECT_EQ(copied[1], "Field\tWorking Copy\tevery.PSF\t");
    EXPECT_EQ(copied[2 + kControlMode], "Control Mode Selection\tGate - On\tGate - Off\tdiffers");
}

TEST_F(PsfCompareTest, WithTheControllersPsfReadOverTheDialogsLink) {
    CSimController& controller = Selected('C', 1);
    controller.Psf().SetMeasMode(1, 'B');
    CPsfDlg& psfDlg = Open();
    Compare([&](CPsfCompareDlg& compare) {
        Press(compare, "controllerButton");
        EXPECT_EQ(Summary(compare), "The PSFs are identical");
        EXPECT_EQ(Table(compare)->horizontalHeaderItem(2)->text(), "Controller C");

        // Another tool changed the controller's trigger output meanwhile.
        controller.Psf().SetDiscreteAssignment(2, kOutputTrigger);
        controller.Psf().SetDiscreteSetPointLow(2, 37);
        Press(compare, "controllerButton");
        EXPECT_EQ(Summary(compare), "2 of 27 fields differ");
        EXPECT_EQ(MarkedRows(compare),
                  (std::vector<int>{kDiscrete2Assignment, kDiscrete2SetPointLow}));
        EXPECT_EQ(Table(compare)->item(kDiscrete2SetPointLow, 0)->text(),
                  "Discrete Output #2 Set Point Low / Trigger Channel Number");

        controller.AddFault({SimFaultKind::silence, kUntilCleared});
        Press(compare, "controllerButton");
        EXPECT_EQ(Summary(compare), "2 of 27 fields differ");
        controller.ClearFaults();
    });
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"PSF Was Not Received"});
    // Opening the dialog read the PSF once, each comparison once more; nothing was sent.
    int reads = 0;
    for (const SimReceivedFrame& frame : controller.Received()) {
        EXPECT_EQ(frame.bytes[2], 'G');
        ++reads;
    }
    EXPECT_GE(reads, 3);
    EXPECT_EQ(psfDlg.Psf().GetDiscreteAssignment(2), 'x');
}

}  // namespace
