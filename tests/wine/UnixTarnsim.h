#pragma once
// tarnsim, the Linux program, serving a COM port of a Windows test that runs under wine.
// Wine starts a Unix program named by its Z: path but can neither wait for it nor end it,
// so a shell starts tarnsim in the background, notes its process ID and leaves a file
// behind once tarnsim serves, and kill ends it. tarnsim links its pseudo-terminal to
// $WINEPREFIX/tarnsim-comN,
// the link that wine's COM port names (the runner links dosdevices/comN there before
// wine starts, because wine looks for COM ports only when it starts).

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

class CUnixTarnsim {
public:
    // Starts tarnsim with options on COM comNumber and waits until it serves the port.
    CUnixTarnsim(const std::string& options, int comNumber)
        : com(std::to_string(comNumber)),
          link(Prefix() + "/tarnsim-com" + com),
          pidFile(link + ".pid"),
          readyFile(link + ".ready") {
        RunUnix(std::string(TARNSIM_PATH) + " " + options + " --link " + link +
                " >/dev/null 2>&1 & echo $! >" + pidFile + "; " + WhileLink("!") + "touch " +
                readyFile);
        serving = WaitForReady(true);
    }
    ~CUnixTarnsim() { Stop(); }
    CUnixTarnsim(const CUnixTarnsim&) = delete;
    CUnixTarnsim& operator=(const CUnixTarnsim&) = delete;

    bool Serving() const { return serving; }
    std::string Device() const { return "\\\\.\\COM" + com; }

    // Ends tarnsim as an operator would (SIGTERM) and waits until its link has gone.
    void Stop() {
        if (serving) {
            RunUnix("kill -TERM $(cat " + pidFile + "); " + WhileLink("") + "rm -f " + pidFile +
                    " " + readyFile);
            WaitForReady(false);
            serving = false;
        }
    }

private:
    static std::string Prefix() {
        const char* prefix = std::getenv("WINEPREFIX");
        return prefix != nullptr ? prefix : std::string(std::getenv("HOME")) + "/.wine";
    }

    // Starts command in a Unix shell without waiting for it.
    static void RunUnix(const std::string& command) {
        std::string line = "sh -c \"" + command + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }

    // A shell loop that runs while the link is there (negation "") or missing ("!"), for
    // at most 10 s.
    std::string WhileLink(const std::string& negation) const {
        return "for i in $(seq 500); do [ " + negation + " -e " + link +
               " ] || break; sleep 0.02; done; ";
    }

    // Waits at most 10 s until the ready file is there (present) or gone.
    bool WaitForReady(bool present) const {
        const std::string windowsName = "Z:" + readyFile;
        for (int waited = 0; waited < 10000; waited += 20) {
            if ((GetFileAttributesA(windowsName.c_str()) != INVALID_FILE_ATTRIBUTES) == present) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string com;
    std::string link;
    std::string pidFile;
    std::string readyFile;
    bool serving = false;
};
