// tarnctl backup and restore as a production script uses them: a backup that did not save
// every controller fails and leaves the previous one as it was; a restore checks the
// summary and every file it lists before the first frame, sends exactly what is listed,
// and never leaves a controller with a new PSF and an old map.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "CtlStop.h"
#include "CtlSummary.h"
#include "TarnctlLines.h"
#include "files/AtomicFile.h"
#include "sequences/BlankingFileCommands.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

std::map<std::string, Bytes> FolderBytes(const std::string& dir) {
    std::map<std::string, Bytes> files;
    for (const fs::directory_entry& item : fs::directory_iterator(dir)) {
        files[item.path().filename().string()] = FileBytes(item.path().string());
    }
    return files;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    ASSERT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size()));
}

void WriteString(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

// Lists the file name of dir in its summary anew, with its length and checksum now, or
// drops it from the summary with drop.
void Relist(const std::string& dir, const std::string& name, bool drop = false) {
    const Bytes text = FileBytes(dir + "/" + kSummaryName);
    std::vector<BackupEntry> entries;
    ASSERT_EQ(ParseSummary(std::string(text.begin(), text.end()), &entries), "");
    for (BackupEntry& entry : entries) {
        for (auto file = entry.files.begin(); file != entry.files.end(); ++file) {
            if (file->name != name) {
                continue;
            }
            if (drop) {
                entry.files.erase(file);
                break;
            }
            const Bytes bytes = FileBytes(dir + "/" + name);
            *file = {name, bytes.size(), Crc32(bytes.data(), bytes.size())};
        }
    }
    WriteString(dir + "/" + kSummaryName, SummaryText(entries));
}

class BackupRestoreTest : public ::testing::Test {
protected:
    BackupRestoreTest() {
        Populate(ctl);
        const CtlRun backup = ctl.Run({"backup", dir});
        EXPECT_EQ(backup.status, 0) << backup.err;
        good = FolderBytes(dir);
        for (int i = 0; i < 3; ++i) {
            psfs.push_back(Image(ctl.line.Controller(i).Psf()));
            maps.push_back(MapBytes(ctl.line.Controller(i).BlankingMap()));
        }
        Spoil(ctl);
        Forget();
    }
    ~BackupRestoreTest() override { SetStopRequested(false); }

    void Forget() {
        for (int i = 0; i < 3; ++i) {
            ctl.line.Controller(i).ForgetReceived(UINT64_MAX);
        }
    }
    bool Restored(int i) {
        const CSimController& c = ctl.line.Controller(i);
        return Image(c.Psf()) == psfs[static_cast<size_t>(i)] &&
               MapBytes(c.BlankingMap()) == maps[static_cast<size_t>(i)];
    }
    void ExpectAllResumed() {
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(ctl.line.Controller(i).IsSuspended()) << i;
            EXPECT_FALSE(ctl.line.Controller(i).InAlignmentMode()) << i;
        }
    }

    CTarnctlLine ctl;
    const std::string dir = ctl.folder.File("backup");
    std::map<std::string, Bytes> good;
    std::vector<Bytes> psfs;
    std::vector<Bytes> maps;
};

// A backup that could not save every controller completely fails, says why, and leaves
// the previous backup byte for byte; a restore from it still works.
TEST_F(BackupRestoreTest, FailedBackupKeepsThePreviousOne) {
    const struct {
        const char* why;
        char id;  // the controller that hears letter; 0: none on the line
        char letter;
        bool stop;  // Ctrl+C as it hears it; else it does not answer
    } faults[] = {
        {"no controller answered", 0, 0, false},
        {"stopped by Ctrl+C", 'B', 'V', true},  // before anyone answered a ping
        {"F@38400 saved in part", 'F', 'b', false},
        {"C@19200 not saved", 'B', 'x', true},  // while B is saved
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.why);
        CTarnctlLine other;
        if (fault.id != 0) {
            Populate(other);
            other.line.Find(fault.id)->WatchFrames([&fault](CSimController& c, const Bytes& frame) {
                if (frame[2] == fault.letter) {
                    fault.stop ? SetStopRequested(true) : c.AddFault({SimFaultKind::silence});
                }
            });
        }
        const CtlRun run = other.Run({"backup", dir});
        SetStopRequested(false);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(fault.why), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(" is left as it was"), std::string::npos) << run.err;
        EXPECT_TRUE(FolderBytes(dir) == good);
        for (int i = 0; i < other.line.ControllerCount(); ++i) {
            EXPECT_FALSE(other.line.Controller(i).IsSuspended());
        }
    }
    const CtlRun restore = ctl.Run({"restore", dir});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_TRUE(Restored(0) && Restored(1) && Restored(2));
}

TEST_F(BackupRestoreTest, BackupReplacesOnlyABackupAndAsAWhole) {
    ctl.line.Find('F')->Psf().SetAnalogSpan(1, 1234);
    const std::string stale = dir + "/K@9600.PSF";
    WriteBytes(stale, good["B@9600.PSF"]);
    EXPECT_EQ(ctl.Run({"backup", dir + "/"}).status, 0);
    EXPECT_FALSE(fs::exists(stale));  // the old backup went as a whole
    EXPECT_FALSE(fs::exists(dir + ".tarnctl-partial"));
    EXPECT_EQ(FileBytes(dir + "/F@38400.PSF"), Image(ctl.line.Find('F')->Psf()));

    // A replacement cut short by a crash: the backup it had set aside comes back.
    fs::rename(dir, dir + ".tarnctl-old");
    CTarnctlLine silent;
    EXPECT_EQ(silent.Run({"backup", dir}).status, 1);
    EXPECT_EQ(FileBytes(dir + "/F@38400.PSF"), Image(ctl.line.Find('F')->Psf()));
    EXPECT_FALSE(fs::exists(dir + ".tarnctl-old"));

    // A folder with other files than a backup's is no place for one.
    WriteString(dir + "/notes.txt", "mine");
    const CtlRun refused = ctl.Run({"backup", dir});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("notes.txt"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir + "/notes.txt"));
}

// Every damage of the summary or of a file it lists is refused before anything goes on
// the line: exit 1, the reason told, no controller hears a frame.
TEST_F(BackupRestoreTest, DamagedBackupIsRefusedBeforeTheFirstFrame) {
    const std::string summary(good[kSummaryName].begin(), good[kSummaryName].end());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = summary;
        return text.replace(text.find(from), from.size(), to);
    };
    CPsf fast;
    fast.Unpack(good["C@19200.PSF"].data());
    fast.SetBaudIndex(3);
    Bytes shortMap = good["F@38400.bfs"];
    shortMap.pop_back();
    Bytes flipped = good["C@19200.PSF"];
    flipped[20] ^= 1;
    struct Damage {
        const char* what;
        std::function<void()> make;
        const char* told;
    };
    const std::vector<Damage> damages = {
        {"empty summary", [&] { WriteString(dir + "/summary.txt", ""); }, "summary is empty"},
        {"garbage summary", [&] { WriteString(dir + "/summary.txt", "garbage\n"); },
         "not a tarnctl backup summary"},
        {"damaged address",
         [&] { WriteString(dir + "/summary.txt", replaced("\nC@19200 ", "\nc@19200x ")); },
         "'c@19200x' is not a controller address"},
        {"summary cut short",
         [&] { WriteString(dir + "/summary.txt", summary.substr(0, summary.size() - 5)); },
         "cut short"},
        {"no summary", [&] { fs::remove(dir + "/summary.txt"); }, "no backup summary"},
        {"file cut short", [&] { WriteBytes(dir + "/F@38400.bfs", shortMap); },
         "F@38400: restore: F@38400.bfs is shorter than the 98 bytes"},
        {"file changed", [&] { WriteBytes(dir + "/C@19200.PSF", flipped); },
         "C@19200.PSF does not match its checksum"},
        {"file missing", [&] { fs::remove(dir + "/B@9600.diag.txt"); },
         "B@9600.diag.txt cannot be read"},
        {"folder for a file",
         [&] {
             fs::remove(dir + "/C@19200.bfs");
             fs::create_directory(dir + "/C@19200.bfs");
         },
         "C@19200.bfs is not a regular file"},
        {"PSF at 57600",
         [&] {
             ASSERT_TRUE(fast.SaveToFile(dir + "/C@19200.PSF"));
             Relist(dir, "C@19200.PSF");
         },
         "57600 baud"},
        {"another controller's PSF",
         [&] {
             WriteBytes(dir + "/C@19200.PSF", good["B@9600.PSF"]);
             Relist(dir, "C@19200.PSF");
         },
         "C@19200.PSF would move the controller to B@9600"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(dir);
        fs::create_directory(dir);
        for (const auto& [name, bytes] : good) {
            WriteBytes(dir + "/" + name, bytes);
        }
        damage.make();
        Forget();
        const CtlRun run = ctl.Run({"restore", dir});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(damage.told), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run.err;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Letters(ctl.line.Controller(i)), "") << i;
        }
    }
    ExpectAllResumed();
    EXPECT_EQ(Crc32(reinterpret_cast<const unsigned char*>("123456789"), 9), 0xCBF43926u);
}

// Only what the summary lists is sent: a map lying in the folder but not listed stays
// where it is.
TEST_F(BackupRestoreTest, RestoreSendsWhatTheSummaryListsOnly) {
    Relist(dir, "C@19200.bfs", true);
    const CtlRun run = ctl.Run({"restore", dir});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Letters(*ctl.line.Find('C')).find('a'), std::string::npos);
    EXPECT_NE(MapBytes(ctl.line.Find('C')->BlankingMap()), maps[1]);
    EXPECT_EQ(Image(ctl.line.Find('C')->Psf()), psfs[1]);
    EXPECT_TRUE(Restored(0) && Restored(2));
}

// A stop during a controller's PSF still sends its map; the stop falls before the next
// controller, and the whole line is held quiet from the first frame to the last.
TEST_F(BackupRestoreTest, StopFallsBetweenControllersAndTheLineIsHeldThroughout) {
    std::string unheld;
    for (int i = 0; i < 3; ++i) {
        ctl.line.Controller(i).WatchFrames([&](CSimController& c, const Bytes& frame) {
            if (frame[2] == 'C' && c.Id() == 'C') {
                SetStopRequested(true);
            }
            for (int j = 0; j < 3; ++j) {
                if (frame[2] != 'V' && frame[2] != 'v' && !ctl.line.Controller(j).IsSuspended()) {
                    unheld += std::string(1, static_cast<char>(frame[2])) + "@" + c.Id();
                }
            }
        });
    }
    const CtlRun run = ctl.Run({"restore", dir});
    SetStopRequested(false);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "B@9600 restored\nC@19200 restored\n");
    EXPECT_NE(run.err.find("F@38400: restore: stopped by Ctrl+C"), std::string::npos) << run.err;
    EXPECT_TRUE(Restored(0) && Restored(1) && !Restored(2));
    EXPECT_EQ(Letters(*ctl.line.Find('F')), "Vv");
    EXPECT_EQ(unheld, "");
    ExpectAllResumed();
}

// A controller that cannot take its map, being in error or short of the channels the map
// blanks, is refused before its PSF: it gets neither. blanking put refuses it too.
TEST_F(BackupRestoreTest, ControllerThatCannotTakeItsMapGetsNeitherPsfNorMap) {
    CBlankingMap wide(kMaxChannels);
    wide.SetBlanked(400, true);
    for (const bool inError : {true, false}) {
        ctl.line.Find('C')->SetChannelError(kReceiver, 1, 5, inError);
        if (!inError) {  // Operational, but its map blanks beyond its 128 channels
            ASSERT_EQ(SaveBlankingFile(dir + "/C@19200.bfs", wide), "");
            Relist(dir, "C@19200.bfs");
        }
        Forget();
        const CtlRun run = ctl.Run({"restore", dir});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(inError ? "C@19200: alignment: Alignment cannot be executed "
                                         "because\nthe device is not Operational."
                                       : "C@19200: send blanking: The file blanks channels "
                                         "beyond the 128 of the controller"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(Letters(*ctl.line.Find('C')), "VIJv");
        EXPECT_TRUE(Restored(0) && !Restored(1) && Restored(2));
        const CtlRun put = ctl.Run({"blanking", "put", "C@19200", dir + "/C@19200.bfs"});
        EXPECT_EQ(put.status, 1);
        // Only the alignment knows the channels: a map too wide is refused inside it.
        EXPECT_EQ(Letters(*ctl.line.Find('C')), inError ? "VIJvVIJv" : "VIJvVIJbaxv");
    }
    ExpectAllResumed();
}

#ifndef _WIN32
// A summary that is a named pipe is refused by both commands without waiting on it.
TEST_F(BackupRestoreTest, NamedPipeForTheSummaryIsRefusedWithoutWaiting) {
    fs::remove(dir + "/summary.txt");
    ASSERT_EQ(mkfifo((dir + "/summary.txt").c_str(), 0600), 0);
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);  // a command that waits on the pipe is ended here
        const int restore = ctl.Run({"restore", dir}).status;
        const int backup = ctl.Run({"backup", dir}).status;
        _exit(restore * 10 + backup);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "stopped by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 11);
}
#endif

}  // namespace
