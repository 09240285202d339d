// tarnctl in-process against simulated controllers: usage and port errors with their
// exit statuses, a fault at every exchange of psf put, part-number and restore (the
// controllers are resumed and hold either the old or the new value, never a mix), and a
// backup and restore of a line of three controllers.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "CtlStop.h"
#include "TarnctlLines.h"
#include "TarnctlRun.h"
#include "records/Psf.h"
#include "sequences/BlankingFileCommands.h"

namespace {

// Silences the controller at its n-th frame (from 0) of the run to come.
void SilenceFrame(CSimController& controller, size_t n) {
    const size_t before = controller.Received().size();
    controller.WatchFrames([before, n](CSimController& c, const std::vector<unsigned char>&) {
        if (c.Received().size() == before + n) {
            c.AddFault({SimFaultKind::silence});
        }
    });
}

class TarnctlCommandsTest : public ::testing::Test {
protected:
    // Runs words once undisturbed on a fresh line, then once with each frame that c
    // hears silenced in turn; check sees each disturbed run.
    using Words = std::function<std::vector<std::string>(CTarnctlLine&)>;
    void SweepFaults(const std::function<void(CTarnctlLine&)>& setUp, const Words& words,
                     const std::function<void(CTarnctlLine&, const CtlRun&)>& check) {
        size_t frames = 0;
        {
            CTarnctlLine clean;
            setUp(clean);
            ASSERT_EQ(clean.Run(words(clean)).status, 0);
            frames = clean.line.Find('C')->Received().size();
        }
        ASSERT_GT(frames, 0u);
        for (size_t n = 0; n < frames; ++n) {
            CTarnctlLine faulty;
            setUp(faulty);
            SilenceFrame(*faulty.line.Find('C'), n);
            const CtlRun run = faulty.Run(words(faulty));
            SCOPED_TRACE("frame " + std::to_string(n) + " silenced: " + run.err);
            for (int i = 0; i < faulty.line.ControllerCount(); ++i) {
                EXPECT_FALSE(faulty.line.Controller(i).IsSuspended());
                EXPECT_FALSE(faulty.line.Controller(i).InAlignmentMode());
            }
            if (run.status != 0) {
                EXPECT_EQ(run.status, 1);
                EXPECT_NE(run.err.find("C@19200: "), std::string::npos);
            }
            check(faulty, run);
        }
    }
};

TEST_F(TarnctlCommandsTest, UsageErrorsAnswer2AndSendNothing) {
    CTarnctlLine ctl;
    CSimController* c = ctl.line.AddController('C', 1);
    for (const auto& words : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate"},
             {"diag", "C@1200"},
             {"diag", "Q@19200"},
             {"diag", "C@19200", "--parity", "X"},
             {"part-number", "C@19200", "12345"},
             {"part-number", "C@19200", "123456", "--date-code", "1160"},
             {"scan", "C@19200", "--count", "0"},
             {"psf", "put", "C@19200"},
             {"diag", "C@19200", "--parity=X"},
             {"diag", "C@19200", "--json=yes"},
             {"scan", "C@19200", "--json"},  // commands without JSON output refuse --json
             {"part-number", "C@19200", "000123", "--json"},
             {"blanking", "get", "C@19200", "-o", "x.bfs", "--json"},
         }) {
        std::vector<const char*> argv{"tarnctl"};
        for (const std::string& word : words) {
            argv.push_back(word.c_str());
        }
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunTarnctl(static_cast<int>(argv.size()), argv.data(), out, err), 2)
            << words.size();
        EXPECT_FALSE(err.str().empty());
    }
    EXPECT_EQ(Letters(*c), "");
    EXPECT_EQ(ctl.Run({"--help"}).status, 0);
    EXPECT_NE(ctl.Run({"restore", "--help"}).out.find("summary.txt"), std::string::npos);
}

// psf diff answers 1 only for two PSFs that differ; one it could not read is an error (2),
// so that a script never takes "could not read" for "differ".
TEST_F(TarnctlCommandsTest, PsfDiffAnswers1ForADifferenceAnd2ForAnOperandItCannotRead) {
    CTarnctlLine ctl;
    const std::string a = ctl.folder.File("a.PSF");
    const std::string b = ctl.folder.File("b.PSF");
    const std::string cut = ctl.folder.File("cut.PSF");
    const std::string absent = ctl.folder.File("absent.PSF");
    CPsf psf;
    ASSERT_TRUE(psf.SaveToFile(a));
    psf.SetScanNumber(psf.GetScanNumber() + 1);
    ASSERT_TRUE(psf.SaveToFile(b));
    const Bytes image = Image(psf);
    std::ofstream(cut, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), kPsfImageSize - 1);
    const struct {
        std::string first, second;
        int status;
    } cases[] = {{a, a, 0}, {a, b, 1}, {a, absent, 2}, {absent, b, 2}, {cut, a, 2}, {b, cut, 2}};
    for (const auto& c : cases) {
        const CtlRun run = ctl.Run({"psf", "diff", c.first, c.second});
        EXPECT_EQ(c.status, run.status) << c.first << " " << c.second << ": " << run.err;
        EXPECT_EQ(c.status == 2, !run.err.empty()) << c.first << " " << c.second;
    }
}

TEST_F(TarnctlCommandsTest, PortThatCannotBeOpenedAnswers3WithTheReason) {
    CTarnctlLine ctl;
    const CtlRun run = ctl.Run({"diag", "C@19200", "--device", ctl.folder.File("no-such-tty")});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err.rfind("tarnctl: Unable to open " + ctl.folder.File("no-such-tty") + ":\n", 0),
              0u);
    EXPECT_GT(run.err.size(), 40u);
}

// --opt=value as well as --opt value; the line's parity is the one asked for.
TEST_F(TarnctlCommandsTest, OptionsTakeTheirValueEitherWay) {
    CTarnctlLine ctl;
    ctl.line.AddController('C', 1);
    EXPECT_EQ(ctl.Run({"diag", "C@19200", "--port=COM7", "-q"}).status, 0);
    const CtlRun device = ctl.Run({"diag", "C@19200", "--device=" + ctl.folder.File("tty")});
    EXPECT_EQ(device.status, 3);
    EXPECT_NE(device.err.find(ctl.folder.File("tty")), std::string::npos);
    for (const std::vector<std::string>& parity :
         {std::vector<std::string>{"--parity=O"}, {"--parity", "N"}}) {
        EXPECT_EQ(
            ctl.Run({"diag", "C@19200", parity[0], parity.size() > 1 ? parity[1] : "-q"}).status,
            1);
    }
    EXPECT_EQ(ctl.Run({"diag", "C@19200", "--parity=E"}).status, 0);
}

// A stop asked for during a command makes it fail, whatever it had done by then; the
// part number is not written once the stop came during the settle pause.
TEST_F(TarnctlCommandsTest, StoppedCommandsNeverAnswerSuccess) {
    const struct {
        std::vector<std::string> words;
        char letter;  // C hears it as the stop comes
    } cases[] = {
        {{"part-number", "C@19200", "000123", "--date-code", "1107"}, 'V'},
        {{"scan", "C@19200", "--count", "1000"}, 'S'},
        {{"diag", "C@19200"}, 'J'},
        {{"psf", "get", "C@19200"}, 'G'},
    };
    for (const auto& stop : cases) {
        SCOPED_TRACE(stop.words[0]);
        CTarnctlLine ctl;
        CSimController* c = ctl.line.AddController('C', 1);
        c->Psf().SetMeasMode(1, 'C');
        c->WatchFrames([&](CSimController&, const std::vector<unsigned char>& frame) {
            if (frame[2] == stop.letter) {
                SetStopRequested(true);
            }
        });
        const CtlRun run = ctl.Run(stop.words);
        SetStopRequested(false);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("stopped by Ctrl+C"), std::string::npos) << run.err;
        EXPECT_EQ(c->PartNumber(), 0u);
        EXPECT_FALSE(c->IsSuspended());
    }
}

TEST_F(TarnctlCommandsTest, SearchListsEveryControllerAtItsRate) {
    CTarnctlLine ctl;
    ctl.line.AddController('C', 1);
    ctl.line.AddController('A', 2);
    EXPECT_EQ(ctl.Run({"search"}).out, "A@38400\nC@19200\n");
    const CtlRun json = ctl.Run({"search", "--json"});
    EXPECT_EQ(json.out, "[{\"id\": \"A\", \"rate\": 38400}, {\"id\": \"C\", \"rate\": 19200}]\n");
    for (int i = 0; i < ctl.line.ControllerCount(); ++i) {
        EXPECT_FALSE(ctl.line.Controller(i).IsSuspended());
    }

    // -v prints every exchange in words beside its bytes, as the line monitor lists it.
    const CtlRun verbose = ctl.Run({"-v", "search"});
    EXPECT_EQ(verbose.out, "A@38400\nC@19200\n");
    EXPECT_NE(verbose.err.find("(Suspend all (broadcast)) @9600\n"), std::string::npos);
    EXPECT_NE(verbose.err.find("(Ping C) @19200\n< "), std::string::npos);
    EXPECT_NE(verbose.err.find("(no answer within the limit)"), std::string::npos);
}

TEST_F(TarnctlCommandsTest, CtrlCEndsTheSearchAtThePingUnderWayAndStillResumesEveryone) {
    CTarnctlLine ctl;
    ctl.line.AddController('B', 0);
    ctl.line.AddController('K', 0);
    ctl.line.Find('B')->WatchFrames([](CSimController&, const std::vector<unsigned char>& frame) {
        if (frame[2] == 'P') {
            SetStopRequested(true);
        }
    });
    const CtlRun run = ctl.Run({"search"});
    SetStopRequested(false);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "B@9600\n");
    EXPECT_NE(run.err.find("search: stopped by Ctrl+C"), std::string::npos);
    EXPECT_EQ(Letters(*ctl.line.Find('K')).find('P'), std::string::npos);
    EXPECT_FALSE(ctl.line.Find('B')->IsSuspended());
    EXPECT_FALSE(ctl.line.Find('K')->IsSuspended());
}

TEST_F(TarnctlCommandsTest, PsfPutIsWholeOrNotAtAllWhateverExchangeFails) {
    CPsf file;
    file.SetMeasMode(1, 'C');
    file.SetBaudIndex(2);  // the controller keeps its own rate
    const auto setUp = [&](CTarnctlLine& ctl) {
        ctl.line.AddController('C', 1);
        ASSERT_TRUE(file.SaveToFile(ctl.folder.File("new.PSF")));
    };
    file.SetControllerId('C');
    file.SetBaudIndex(1);
    const Bytes wanted = Image(file);
    bool someFailed = false;
    const Words words = [](CTarnctlLine& ctl) -> std::vector<std::string> {
        return {"psf", "put", "C@19200", ctl.folder.File("new.PSF")};
    };
    SweepFaults(setUp, words, [&](CTarnctlLine& ctl, const CtlRun& run) {
        const Bytes now = Image(ctl.line.Find('C')->Psf());
        EXPECT_TRUE(now == wanted || now == Image(CSimController('C', 1, 2).Psf()));
        someFailed |= run.status != 0;
    });
    EXPECT_TRUE(someFailed);
}

TEST_F(TarnctlCommandsTest, PsfPutToANewIdFollowsTheControllerAlsoWhenTheAnswerIsLost) {
    CTarnctlLine ctl;
    CSimController* c = ctl.line.AddController('C', 1);
    CPsf file;
    ASSERT_TRUE(file.SaveToFile(ctl.folder.File("new.PSF")));
    c->WatchFrames([](CSimController& controller, const std::vector<unsigned char>& frame) {
        if (frame[2] == 'C') {
            controller.AddFault({SimFaultKind::wrongLetter});
        }
    });
    const CtlRun lost = ctl.Run(
        {"psf", "put", "C@19200", ctl.folder.File("new.PSF"), "--id", "E", "--rate", "38400"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.err, "tarnctl: C@19200: send PSF: PSF Not Accepted\n");
    EXPECT_EQ(c->Id(), 'E');
    EXPECT_FALSE(c->IsSuspended());  // resumed at E@38400 too

    c->WatchFrames(nullptr);
    const CtlRun moved =
        ctl.Run({"psf", "put", "E@38400", ctl.folder.File("new.PSF"), "--id", "F"});
    EXPECT_EQ(moved.out, "PSF Accepted: the controller is now F@38400\n");
    EXPECT_EQ(Letters(*c).substr(Letters(*c).size() - 3), "GCv");
    EXPECT_FALSE(c->IsSuspended());
}

TEST_F(TarnctlCommandsTest, PartNumberIsWrittenOnceOrNotAtAll) {
    const auto setUp = [](CTarnctlLine& ctl) { ctl.line.AddController('C', 1); };
    const Words words = [](CTarnctlLine&) -> std::vector<std::string> {
        return {"part-number", "C@19200", "000123", "--date-code", "1107"};
    };
    SweepFaults(setUp, words, [](CTarnctlLine& ctl, const CtlRun& run) {
        const CSimController& c = *ctl.line.Find('C');
        EXPECT_EQ(c.PartNumber() == 123u && c.DateCode() == 1107, run.status == 0);
    });
}

TEST_F(TarnctlCommandsTest, BlankingFileForMoreChannelsThanTheControllerHasIsRefused) {
    CTarnctlLine ctl;
    CSimController* c = ctl.line.AddController('C', 1);
    CBlankingMap wide(kMaxChannels);
    wide.SetBlanked(700, true);
    ASSERT_EQ(SaveBlankingFile(ctl.folder.File("wide.bfs"), wide), "");
    const CtlRun run = ctl.Run({"blanking", "put", "C@19200", ctl.folder.File("wide.bfs")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "tarnctl: C@19200: send blanking: The file blanks channels beyond the 64 of the "
              "controller; nothing was sent.\n");
    EXPECT_EQ(Letters(*c), "VIJbaxv");
    EXPECT_EQ(c->BlankingMap().CountBlanked(0), 0);
}

class BackupTest : public TarnctlCommandsTest {};

TEST_F(BackupTest, RestoreGivesBackEveryPsfAndMapByteForByte) {
    CTarnctlLine ctl;
    Populate(ctl);
    std::vector<Bytes> psfs;
    std::vector<Bytes> maps;
    for (int i = 0; i < 3; ++i) {
        psfs.push_back(Image(ctl.line.Controller(i).Psf()));
        const CBlankingMap& map = ctl.line.Controller(i).BlankingMap();
        maps.emplace_back(map.Bytes(), map.Bytes() + map.ByteLength());
    }
    const std::string dir = ctl.folder.File("backup");
    const CtlRun backup = ctl.Run({"backup", dir});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(FileBytes(dir + "/C@19200.PSF"), psfs[1]);
    EXPECT_NE(FileBytes(dir + "/F@38400.diag.txt").size(), 0u);

    Spoil(ctl);
    const CtlRun restore = ctl.Run({"restore", dir});
    ASSERT_EQ(restore.status, 0) << restore.err;
    for (int i = 0; i < 3; ++i) {
        const CSimController& c = ctl.line.Controller(i);
        EXPECT_EQ(Image(c.Psf()), psfs[static_cast<size_t>(i)]);
        EXPECT_EQ(
            Bytes(c.BlankingMap().Bytes(), c.BlankingMap().Bytes() + c.BlankingMap().ByteLength()),
            maps[static_cast<size_t>(i)]);
        EXPECT_FALSE(c.IsSuspended());
        EXPECT_FALSE(c.InAlignmentMode());
    }
}

TEST_F(BackupTest, RestoreLeavesEveryControllerResumedWhateverExchangeFails) {
    const auto setUp = [](CTarnctlLine& ctl) {
        Populate(ctl);
        ASSERT_EQ(ctl.Run({"backup", ctl.folder.File("backup")}).status, 0);
        Spoil(ctl);
        ctl.line.Find('C')->ForgetReceived(UINT64_MAX);
    };
    const Words words = [](CTarnctlLine& ctl) -> std::vector<std::string> {
        return {"restore", ctl.folder.File("backup")};
    };
    SweepFaults(setUp, words, [](CTarnctlLine&, const CtlRun&) {});
}

TEST_F(BackupTest, CtrlCStopsBetweenControllersAndResumesThem) {
    CTarnctlLine ctl;
    Populate(ctl);
    ctl.line.Find('B')->WatchFrames([](CSimController&, const std::vector<unsigned char>& frame) {
        if (frame[2] == 'G') {
            SetStopRequested(true);
        }
    });
    const CtlRun run = ctl.Run({"backup", ctl.folder.File("backup")});
    SetStopRequested(false);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("C@19200: backup: stopped by Ctrl+C"), std::string::npos);
    EXPECT_EQ(Letters(*ctl.line.Find('C')).find('G'), std::string::npos);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(ctl.line.Controller(i).IsSuspended());
    }
}

}  // namespace
