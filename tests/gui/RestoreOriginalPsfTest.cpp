// Putting a controller's original PSF back: sent and followed by a second's pause, or,
// when the controller does not take it, the question whether to keep it in a file, with
// every answer the operator can give.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "SimLine.h"
#include "SimPort.h"
#include "app/ServiceSession.h"
#include "records/Psf.h"
#include "serial/Clock.h"
#include "settings/PortFactory.h"

namespace {

using Texts = std::vector<std::string>;

constexpr char kQuestion[] = "Unable to restore original PSF.\nSave original PSF to a file?";

// A session whose command does nothing, to reach the bracket's own operations.
class CBareSession final : public CServiceSession {
public:
    using CServiceSession::CServiceSession;

protected:
    int Execute() override { return 1; }
};

class RestoreOriginalPsfTest : public ::testing::Test {
protected:
    RestoreOriginalPsfTest()
        : controller(line.AddController('C', 1)),
          factory([this](int portNumber, long baud, char parity) -> std::unique_ptr<RS232> {
              return std::make_unique<CSimPort>(line, *clock, baud, parity, portNumber);
          }) {
        original.CopyFrom(controller->Psf());
        original.SetAnalogNull(1, 1234);
    }
    void SetUp() override { ASSERT_EQ(session.OpenConnection(), 1); }

    void RefuseEveryFrame() {
        SimFault silence;
        silence.frames = kUntilCleared;
        controller->AddFault(silence);
    }
    std::string File(const char* name) const { return folder.filePath(name).toStdString(); }
    QStringList FolderEntries() const {
        return QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }

    CScopedVirtualClock clock;
    CSimLine line;
    CSimController* controller;
    CScopedPortFactory factory;
    CScriptedPrompts prompts;
    // C is known at 19200 and selected.
    ControllerTable table = [] {
        ControllerTable selected{};
        selected[0] = {'C', 1, 'X', 0};
        selected[3][1] = 'X';
        return selected;
    }();
    QWidget owner;
    CBareSession session{&table, &owner, 1, 'E', 9600};
    CPsf original;
    QTemporaryDir folder;
};

TEST_F(RestoreOriginalPsfTest, AcceptedPsfIsFollowedByASecondsPause) {
    session.RestoreOriginalPsf(original);
    EXPECT_EQ(controller->Psf().GetAnalogNull(1), 1234);
    ASSERT_FALSE(controller->Received().empty());
    const uint64_t receivedMs = controller->Received().back().atUs / 1000;
    EXPECT_GE(clock->Now(), receivedMs + 1000);
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(RestoreOriginalPsfTest, RefusedPsfAndNoLeavesNoFile) {
    RefuseEveryFrame();
    prompts.ScriptAnswers({kAnswerNo});
    session.RestoreOriginalPsf(original);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const auto& message = prompts.Messages()[0];
    EXPECT_EQ(message.text, kQuestion);
    EXPECT_EQ(message.icon, PromptIcon::kStop);
    EXPECT_EQ(message.buttons, PromptButtons::kYesNo);
    EXPECT_EQ(message.owner, &owner);
    EXPECT_TRUE(prompts.FileDialogs().empty());
    EXPECT_TRUE(FolderEntries().isEmpty());
}

TEST_F(RestoreOriginalPsfTest, RefusedPsfAndYesWritesAFileThatReadsBack) {
    RefuseEveryFrame();
    prompts.ScriptAnswers({kAnswerYes});
    prompts.ScriptFiles({File("ORIGINAL.PSF")});
    session.RestoreOriginalPsf(original);
    EXPECT_EQ(prompts.Texts(), Texts{kQuestion});
    ASSERT_EQ(prompts.FileDialogs().size(), 1u);
    const auto& dialog = prompts.FileDialogs()[0];
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(dialog.owner, &owner);
    EXPECT_EQ(dialog.defaultExtension, "PSF");
    EXPECT_EQ(dialog.filter, "PSF Files (*.PSF) |*.PSF||");

    CPsf saved;
    ASSERT_TRUE(saved.LoadFromFile(File("ORIGINAL.PSF")));
    EXPECT_EQ(saved.GetAnalogNull(1), 1234);
    EXPECT_EQ(saved.GetControllerId(), 'C');
    EXPECT_EQ(FolderEntries(), QStringList{"ORIGINAL.PSF"});
}

TEST_F(RestoreOriginalPsfTest, RefusedPsfYesAndCancelWritesNothing) {
    RefuseEveryFrame();
    prompts.ScriptAnswers({kAnswerYes});
    prompts.ScriptFiles({""});
    session.RestoreOriginalPsf(original);
    EXPECT_EQ(prompts.Texts(), Texts{kQuestion});
    EXPECT_TRUE(FolderEntries().isEmpty());
}

// The file is the only copy of the original, so a failed write asks again.
TEST_F(RestoreOriginalPsfTest, FileThatCannotBeWrittenIsReportedAndTheQuestionRepeats) {
    RefuseEveryFrame();
    QFile plain(folder.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const std::string unwritable = File("plain") + "/ORIGINAL.PSF";
    prompts.ScriptAnswers({kAnswerYes, kAnswerYes});
    prompts.ScriptFiles({unwritable, File("SECOND.PSF")});
    session.RestoreOriginalPsf(original);
    EXPECT_EQ(prompts.Texts(), (Texts{kQuestion, "Unable to write " + unwritable +
                                                     ".\nSave original PSF to another file?"}));
    EXPECT_EQ(prompts.Messages()[1].icon, PromptIcon::kStop);
    CPsf saved;
    EXPECT_TRUE(saved.LoadFromFile(File("SECOND.PSF")));
}

}  // namespace
