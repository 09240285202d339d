// The tarnsim program as an operator runs it: configured from a file, reached through its
// link, ended by a signal.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "protocol/ControllerLink.h"
#include "serial/ComPort.h"

#ifdef TARNSIM_PATH

namespace {

// tarnsim as a child process, its standard output read through a pipe.
class CTarnsim {
public:
    explicit CTarnsim(std::vector<std::string> arguments) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        arguments.insert(arguments.begin(), TARNSIM_PATH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid, TARNSIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        output = out[0];
    }
    ~CTarnsim() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(output);
    }

    // The first line it writes, waiting at most timeoutMs for it.
    std::string FirstLine(int timeoutMs = 5000) const {
        std::string line;
        char c = 0;
        pollfd entry{output, POLLIN, 0};
        while (poll(&entry, 1, timeoutMs) > 0 && read(output, &c, 1) == 1 && c != '\n') {
            line.push_back(c);
        }
        return line;
    }

    // Signals it and answers its exit code, or -1 when it did not exit within 5 s.
    int End(int signal) {
        kill(pid, signal);
        for (int waited = 0; waited < 5000; waited += 10) {
            int result = 0;
            if (waitpid(pid, &result, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    int Wait() {
        int result = 0;
        waitpid(pid, &result, 0);
        pid = -1;
        return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    }

private:
    pid_t pid = -1;
    int output = -1;
};

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX] = {};
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

TEST(TarnsimTest, ServesItsConfiguredLineThroughItsLinkAndRemovesItOnSigterm) {
    char folder[] = "/tmp/tarnsim-e2e-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string config = std::string(folder) + "/line.conf";
    const std::string link = std::string(folder) + "/port";
    std::ofstream(config) << "# one controller, no default ones\n"
                             "controller B,19200,emitters=3   # 192 channels\n"
                             "object none\n";

    CTarnsim tarnsim({"--config", config, "--link", link});
    const std::string device = tarnsim.FirstLine();
    ASSERT_EQ(0u, device.rfind("/dev/", 0)) << device;
    EXPECT_EQ(device, LinkTarget(link));

    auto port = std::make_unique<CComPort>(0, 19200, 'E', 8, 1, 0, 1, 0, 0, 0, link);
    ASSERT_EQ(0, port->Status()) << port->StatusText(port->Status());
    CControllerLink controllerLink(std::move(port), 'B');
    EXPECT_EQ('X', controllerLink.Ping('B'));
    EXPECT_EQ(0, controllerLink.Ping('A'));

    EXPECT_EQ(0, tarnsim.End(SIGTERM));
    struct stat info {};
    EXPECT_NE(0, lstat(link.c_str(), &info));
    EXPECT_EQ(0, controllerLink.Ping('B'));
    EXPECT_EQ(kDeviceGone, controllerLink.Port().Status());
    std::remove(config.c_str());
    rmdir(folder);
}

TEST(TarnsimTest, RefusesABadOptionAndExplainsItself) {
    CTarnsim bad({"--controller", "Z,9600"});
    EXPECT_EQ("", bad.FirstLine());
    EXPECT_EQ(2, bad.Wait());

    CTarnsim help({"--object", "none", "--help"});
    EXPECT_EQ("Usage: tarnsim [options]", help.FirstLine());
    EXPECT_EQ(0, help.Wait());
}

}  // namespace

#endif
