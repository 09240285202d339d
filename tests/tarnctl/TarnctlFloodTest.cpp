// tarnctl through a raw server on a loopback port that sends data 0xFF without end, in
// real time: every command ends within its own time, with exit 3 and the message that
// names the server, instead of an empty result told as success.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "LoopbackServer.h"
#include "Tarnctl.h"
#include "TempFolder.h"
#include "settings/SettingsPath.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kServerLimitMs = 20000;  // ends the flood of a command that would not end
constexpr auto kCommandLimit = std::chrono::seconds(8);

TEST(TarnctlFloodTest, ARawServerThatFloodsEndsEveryCommandWith3AndSaysSo) {
    const CTempFolder folder;
    OverrideSettingsFilePath(folder.File("tarn.INI"));
    for (const char* command : {"search", "psf"}) {
        SCOPED_TRACE(command);
        const CLoopbackFlooder server({}, 0, {}, {0xff}, kServerLimitMs);
        const std::string address = "tcp://127.0.0.1:" + std::to_string(server.Port());
        std::vector<const char*> argv = {"tarnctl", command};
        if (std::string(command) == "psf") {
            argv.insert(argv.end(), {"get", "A@9600"});
        }
        argv.insert(argv.end(), {"--device", address.c_str()});
        std::ostringstream out;
        std::ostringstream err;
        const auto start = SteadyClock::now();
        const int status = RunTarnctl(static_cast<int>(argv.size()), argv.data(), out, err);
        EXPECT_LT(SteadyClock::now() - start, kCommandLimit);
        EXPECT_EQ(status, 3);
        EXPECT_EQ(out.str(), "");
        const std::string told =
            "tarnctl: The connection to 127.0.0.1:" + std::to_string(server.Port()) +
            " carries data nobody asked for and never falls quiet\n";
        EXPECT_NE(err.str().find(told), std::string::npos) << err.str();
    }
    OverrideSettingsFilePath("");
}

}  // namespace
