// The tarnctl program against the simulated controllers on a pseudo-terminal, in real
// time through the operating system's serial port: every command once, with its exit
// status and what it prints.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "PtyServer.h"
#include "TempFolder.h"
#include "records/Psf.h"

#ifdef TARNCTL_PATH

namespace {

struct Ran {
    int status;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class TarnctlEndToEndTest : public ::testing::Test {
protected:
    TarnctlEndToEndTest() {
        line.AddController('C', 1)->SetBoards(2, 2);
        line.AddController('F', 2);
        server = std::make_unique<CPtyServer>(line);
        EXPECT_EQ(0, server->Open());
        server->Start();
    }
    ~TarnctlEndToEndTest() override { server->Stop(); }

    // tarnctl with words, on the simulator's device, with a settings file of its own. With
    // a signal, it is sent to tarnctl as C hears a frame with letter. A tarnctl that has not
    // ended 30 seconds on is killed and the run fails.
    Ran Tarnctl(std::vector<std::string> words, int signal = 0, char letter = 0) {
        words.insert(words.begin(), {TARNCTL_PATH, "--device", server->DevicePath()});
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const std::string out = folder.File("out");
        const std::string err = folder.File("err");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string settings = "TARN_SETTINGS=" + folder.File("tarn.INI");
        std::vector<char*> environment{const_cast<char*>(settings.c_str()), nullptr};
        std::atomic<pid_t> running{0};
        if (signal != 0) {
            line.Find('C')->WatchFrames(
                [&, sent = false](CSimController&,
                                  const std::vector<unsigned char>& frame) mutable {
                    if (frame[2] == letter && !sent && running.load() > 0) {
                        sent = kill(running.load(), signal) == 0;
                    }
                });
        }
        pid_t pid = -1;
        int result = -1;
        if (posix_spawn(&pid, TARNCTL_PATH, &actions, nullptr, argv.data(), environment.data()) ==
            0) {
            running.store(pid);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (waitpid(pid, &result, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() > deadline) {
                    ADD_FAILURE() << "tarnctl did not end";
                    kill(pid, SIGKILL);
                    waitpid(pid, &result, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        running.store(0);
        line.Find('C')->WatchFrames(nullptr);
        posix_spawn_file_actions_destroy(&actions);
        return {WIFEXITED(result) ? WEXITSTATUS(result) : -1, ReadAll(out), ReadAll(err)};
    }

    CSimLine line;
    std::unique_ptr<CPtyServer> server;
    CTempFolder folder;
};

TEST_F(TarnctlEndToEndTest, EveryControllerCommandThroughTheSerialPort) {
    const Ran diag = Tarnctl({"diag", "C@19200"});
    EXPECT_EQ(diag.status, 0) << diag.err;
    EXPECT_EQ(diag.out.rfind("state: Operational\nemitter: part number 0, date code 0000, "
                             "version 2.1, boards 2\n",
                             0),
              0u)
        << diag.out;

    const Ran get = Tarnctl({"psf", "get", "C@19200", "-o", folder.File("c.PSF")});
    EXPECT_EQ(get.status, 0) << get.err;
    CPsf psf;
    ASSERT_TRUE(psf.LoadFromFile(folder.File("c.PSF")));
    psf.SetMeasMode(1, 'B');
    ASSERT_TRUE(psf.SaveToFile(folder.File("b.PSF")));
    EXPECT_EQ(Tarnctl({"psf", "put", "C@19200", folder.File("b.PSF")}).out, "PSF Accepted\n");
    EXPECT_EQ(Tarnctl({"psf", "diff", "C@19200", folder.File("b.PSF")}).status, 0);
    const Ran diff = Tarnctl({"psf", "diff", folder.File("c.PSF"), "C@19200"});
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(std::count(diff.out.begin(), diff.out.end(), '\n'), 1) << diff.out;
    EXPECT_NE(Tarnctl({"psf", "show", folder.File("b.PSF")}).out.find("FBM"), std::string::npos);

    const Ran scan = Tarnctl({"scan", "C@19200", "--count", "3", "--csv"});
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(scan.out.rfind("FBM\n", 0), 0u);
    EXPECT_EQ(std::count(scan.out.begin(), scan.out.end(), '\n'), 4) << scan.out;

    EXPECT_EQ(Tarnctl({"part-number", "C@19200", "104512", "--date-code", "2650"}).status, 0);
    EXPECT_EQ(line.Find('C')->PartNumber(), 104512u);

    const Ran saved = Tarnctl({"blanking", "get", "F@38400", "-o", folder.File("f.bfs")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(ReadAll(folder.File("f.bfs")).size(), 98u);
    const Ran refused = Tarnctl({"blanking", "put", "F@38400", folder.File("missing.bfs")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(Tarnctl({"blanking", "put", "F@38400", folder.File("f.bfs")}).status, 0);

    const Ran absent = Tarnctl({"diag", "D@9600"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err,
              "tarnctl: D@9600: diagnostics: Error Reading VARN Emitter Diagnostics.\n");
    for (int i = 0; i < line.ControllerCount(); ++i) {
        EXPECT_FALSE(line.Controller(i).IsSuspended());
    }
}

TEST_F(TarnctlEndToEndTest, SearchAndBackupThenRestore) {
    const Ran search = Tarnctl({"search", "--json"});
    EXPECT_EQ(search.status, 0) << search.err;
    EXPECT_EQ(search.out, "[{\"id\": \"C\", \"rate\": 19200}, {\"id\": \"F\", \"rate\": 38400}]\n");

    const std::string dir = folder.File("line");
    const Ran backup = Tarnctl({"backup", dir, "-q"});
    EXPECT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(ReadAll(dir + "/F@38400.PSF").size(), 42u);
    line.Find('F')->BlankingMap().SetBlanked(5, true);
    const Ran restore = Tarnctl({"restore", dir});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "C@19200 restored\nF@38400 restored\n");
    EXPECT_EQ(line.Find('F')->BlankingMap().CountBlanked(0), 0);
}

// A real signal (Ctrl+C, a closed terminal, timeout or a service manager) ends tarnctl after
// the exchange under way: every controller resumed and out of alignment mode, and an exit
// status that no script takes for success.
TEST_F(TarnctlEndToEndTest, SignalsLeaveEveryControllerResumedAndFail) {
    const struct {
        int signal;
        char letter;
        const char* told;
    } cases[] = {
        {SIGINT, 'I', "stopped by Ctrl+C"},
        {SIGTERM, 'b', "stopped by SIGTERM"},
        {SIGHUP, 'a', "stopped by SIGHUP"},
    };
    for (const auto& stop : cases) {
        SCOPED_TRACE(stop.told);
        const Ran run = Tarnctl({"blanking", "get", "C@19200", "-o", folder.File("c.bfs")},
                                stop.signal, stop.letter);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(stop.told), std::string::npos) << run.err;
        for (int i = 0; i < line.ControllerCount(); ++i) {
            EXPECT_FALSE(line.Controller(i).IsSuspended());
            EXPECT_FALSE(line.Controller(i).InAlignmentMode());
        }
    }
}

}  // namespace

#endif
