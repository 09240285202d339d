#include "Ser2net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr char kProgram[] = "/usr/sbin/ser2net";
constexpr int kStartWaitMs = 5000;
constexpr int kStopWaitMs = 5000;

sockaddr_in Loopback(unsigned port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Accepts(unsigned port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace

unsigned FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

CIdleListener::CIdleListener() : fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        listen(fd, 1) == 0 && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
}

CIdleListener::~CIdleListener() {
    close(fd);
}

CSer2net::CSer2net(const std::string& device) : port(FreeLoopbackPort()) {
    char name[] = "/tmp/tarn-ser2net-XXXXXX";
    folder = mkdtemp(name) != nullptr ? name : "/tmp";
    config = folder + "/ser2net.yaml";
    std::ofstream(config) << "%YAML 1.1\n---\n"
                             "connection: &line\n"
                             "  accepter: telnet(rfc2217),tcp,127.0.0.1,"
                          << port << "\n  connector: serialdev," << device
                          << ",9600n81,local\n"
                          // Bytes go on as they come, not gathered for a quiet moment
                          // first: the reply windows are short.
                          << "  options:\n    chardelay: false\n";
}

CSer2net::~CSer2net() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

bool CSer2net::Installed() {
    return access(kProgram, X_OK) == 0;
}

std::string CSer2net::Address() const {
    return "rfc2217://127.0.0.1:" + std::to_string(port);
}

bool CSer2net::Start() {
    Stop();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string pidFile = folder + "/ser2net.pid";
    std::vector<std::string> arguments = {kProgram, "-n", "-c", config, "-P", pidFile};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid, kProgram, &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (int waited = 0; pid > 0 && waited < kStartWaitMs; waited += 10) {
        if (Accepts(port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void CSer2net::Stop() {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    for (int waited = 0; waited < kStopWaitMs; waited += 10) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}
