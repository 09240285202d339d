// The settings file: lookups, integer parsing, in-place changes that keep every other
// line byte for byte, atomic saving, the file's location and the COM port mapping.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/PortMapping.h"
#include "app/SettingsFile.h"
#include "app/SettingsPath.h"

namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarn-settings-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        path = (folder / "tarn.INI").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void Put(const std::string& content) const { std::ofstream(path, std::ios::binary) << content; }
    std::string Content(const std::string& file) const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
    std::string path;
};

TEST_F(SettingsFileTest, LooksUpNamesWithoutRegardToCaseFirstMatchWinning) {
    Put("; Communication settings\n"
        "[communication]\n"
        "  PORT =  3 \n"
        "port=9\n"
        "[Options]\n"
        "Name=\"  quoted  \"\n"
        "Other='x'\n"
        "[COMMUNICATION]\n"
        "Baud=19200\n");
    const CSettingsFile settings(path);
    EXPECT_EQ("3", settings.GetString("Communication", "Port", "d"));
    EXPECT_EQ("  quoted  ", settings.GetString("OPTIONS", "name", "d"));
    EXPECT_EQ("x", settings.GetString("options", "other", "d"));
    // Only the first section of a name counts.
    EXPECT_EQ("d", settings.GetString("Communication", "Baud", "d"));
    EXPECT_EQ("d", settings.GetString("Missing", "Port", "d"));
    EXPECT_EQ("d", settings.GetString("Options", "Missing", "d"));
    EXPECT_EQ(7, settings.GetInt("Parity", "Setting", 7));
}

TEST_F(SettingsFileTest, ParsesIntegersAsThePrivateProfileFunctionsDo) {
    Put("[N]\n"
        "a=42\nb=-7\nc=0x1F\nd=12abc\ne=abc\nf=\ng=+0b101\nh=0o17\ni=4294967295\nj=010\n");
    const CSettingsFile settings(path);
    EXPECT_EQ(42, settings.GetInt("N", "a", 1));
    EXPECT_EQ(-7, settings.GetInt("N", "b", 1));
    EXPECT_EQ(31, settings.GetInt("N", "c", 1));
    EXPECT_EQ(12, settings.GetInt("N", "d", 1));
    EXPECT_EQ(0, settings.GetInt("N", "e", 1));
    EXPECT_EQ(1, settings.GetInt("N", "f", 1));  // an empty value counts as missing
    EXPECT_EQ(5, settings.GetInt("N", "g", 1));
    EXPECT_EQ(15, settings.GetInt("N", "h", 1));
    EXPECT_EQ(-1, settings.GetInt("N", "i", 1));  // wraps around, as a 32-bit value
    EXPECT_EQ(10, settings.GetInt("N", "j", 1));  // a leading zero is still decimal
}

TEST_F(SettingsFileTest, ListsEntryNamesInFileOrderWithoutComments) {
    Put("[PartNumbers]\nZ1=123456\n; A0=999999\n\nb2=654321\nnot an entry\nA3=111111\n"
        "[Next]\nX=1\n");
    const CSettingsFile settings(path);
    EXPECT_EQ((std::vector<std::string>{"Z1", "b2", "A3"}), settings.EntryNames("partnumbers"));
    EXPECT_TRUE(settings.EntryNames("Missing").empty());
}

TEST_F(SettingsFileTest, WritingChangesOnlyTheEntriesWritten) {
    const std::string head =
        "; kept as it is\r\n"
        "[Communication]\r\n"
        "Extra = keep  me \r\n"
        "port = 1\r\n"
        "\r\n"
        "[Unknown]\r\n"
        "odd line without equals\r\n"
        "[Parity]\r\n"
        "Other=1\r\n"
        "\r\n"
        "[Last]\r\n"
        "Tail=1";  // no line ending at the end of the file
    Put(head);
    CSettingsFile settings(path);
    EXPECT_EQ(1, settings.WriteString("COMMUNICATION", "Port", "0"));
    EXPECT_EQ(1, settings.WriteString("Parity", "Setting", "69"));
    EXPECT_EQ(1, settings.WriteString("Options", "Save", "1"));
    EXPECT_EQ(1, settings.WriteString("Last", "Added", "2"));
    ASSERT_EQ(1, settings.Save());
    EXPECT_EQ(
        "; kept as it is\r\n"
        "[Communication]\r\n"
        "Extra = keep  me \r\n"
        "port=0\r\n"
        "\r\n"
        "[Unknown]\r\n"
        "odd line without equals\r\n"
        "[Parity]\r\n"
        "Other=1\r\n"
        "Setting=69\r\n"
        "\r\n"
        "[Last]\r\n"
        "Tail=1\r\n"
        "Added=2\r\n"
        "\r\n"
        "[Options]\r\n"
        "Save=1\r\n",
        Content(path));
    EXPECT_EQ(0, CSettingsFile(path).GetInt("Communication", "Port", 5));
}

TEST_F(SettingsFileTest, RefusesNamesAndValuesTheFileCannotHold) {
    Put("[A]\nB=1\n");
    CSettingsFile settings(path);
    EXPECT_EQ(0, settings.WriteString("A", "B", "1\n[Injected]"));
    EXPECT_EQ(0, settings.WriteString("A", "B=C", "1"));
    EXPECT_EQ(0, settings.WriteString("A]", "B", "1"));
    EXPECT_EQ(0, settings.WriteString("A", "", "1"));
    EXPECT_EQ(0, settings.WriteString("A", ";B", "1"));
    EXPECT_EQ(0, settings.WriteString("", "B", "1"));
    EXPECT_EQ(0, settings.WriteString("A", " B", "1"));
    ASSERT_EQ(1, settings.Save());
    EXPECT_EQ("[A]\nB=1\n", Content(path));
}

TEST_F(SettingsFileTest, SavingReplacesTheFileAtomicallyAndCreatesItsFolder) {
    Put("[A]\nB=1\n");
    // An in-place rewrite would change the linked name too; a replacement leaves it alone.
    const std::string linked = (folder / "linked.INI").string();
    fs::create_hard_link(path, linked);
    CSettingsFile settings(path);
    settings.WriteString("A", "B", "2");
    ASSERT_EQ(1, settings.Save());
    EXPECT_EQ("[A]\nB=2\n", Content(path));
    EXPECT_EQ("[A]\nB=1\n", Content(linked));
    EXPECT_EQ(2, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));

    // A missing file reads as empty; saving creates the file and its folder.
    const std::string fresh = (folder / "new" / "tarn.INI").string();
    CSettingsFile created(fresh);
    EXPECT_TRUE(created.EntryNames("A").empty());
    created.WriteString("Options", "Save", "0");
    ASSERT_EQ(1, created.Save());
    EXPECT_EQ("[Options]\nSave=0\n", Content(fresh));

    // A folder that cannot exist: the save fails and nothing changes.
    CSettingsFile blocked((fs::path(path) / "tarn.INI").string());
    blocked.WriteString("A", "B", "3");
    EXPECT_EQ(0, blocked.Save());
    EXPECT_EQ("[A]\nB=2\n", Content(path));
}

TEST_F(SettingsFileTest, MapsComPortsThroughThePortsSection) {
    Put("[Ports]\ncom2=/dev/ttyUSB0\nCOM3=\n");
    EXPECT_EQ("/dev/ttyUSB0", DevicePathForPort(1, path));
    EXPECT_EQ("/dev/ttyS2", DevicePathForPort(2, path));  // an empty mapping is none
    EXPECT_EQ("/dev/ttyS0", DevicePathForPort(0, path));
    EXPECT_EQ("/dev/ttyS4", DevicePathForPort(4, (folder / "missing.INI").string()));
}

TEST(SettingsPathTest, OverrideThenEnvironmentThenConfigurationFolder) {
    const char* saved[] = {std::getenv("TARN_SETTINGS"), std::getenv("XDG_CONFIG_HOME"),
                           std::getenv("HOME")};
    const std::string savedValues[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "",
                                       saved[2] ? saved[2] : ""};

    unsetenv("TARN_SETTINGS");
    setenv("HOME", "/home/op", 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ("/home/op/.config/tarn/tarn.INI", SettingsFilePath());
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ("/home/op/.config/tarn/tarn.INI", SettingsFilePath());
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ("/xdg/tarn/tarn.INI", SettingsFilePath());
    setenv("TARN_SETTINGS", "/tmp/demo.INI", 1);
    EXPECT_EQ("/tmp/demo.INI", SettingsFilePath());
    OverrideSettingsFilePath("/tmp/test.INI");
    EXPECT_EQ("/tmp/test.INI", SettingsFilePath());
    OverrideSettingsFilePath("");
    EXPECT_EQ("/tmp/demo.INI", SettingsFilePath());

    const char* names[] = {"TARN_SETTINGS", "XDG_CONFIG_HOME", "HOME"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i] != nullptr) {
            setenv(names[i], savedValues[i].c_str(), 1);
        } else {
            unsetenv(names[i]);
        }
    }
}

}  // namespace
