// The settings file: lookups, integer parsing, in-place changes that keep every other
// line byte for byte, atomic saving, the encodings an editor may give the file, the file's
// location and the COM port mapping.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "files/Utf8Path.h"
#include "settings/PortMapping.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPath.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable; an empty value removes it.
void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
#endif
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = temp.File("");
        path = (folder / "tarn.INI").string();
    }

    void Put(const std::string& content) const { std::ofstream(path, std::ios::binary) << content; }
    std::string Content(const std::string& file) const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    CTempFolder temp;
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

    // Listed into a list that held more and longer names, and then into one that held fewer.
    std::vector<std::string> names = {"a name longer than any in the file", "2", "3", "4"};
    settings.EntryNames("PartNumbers", &names);
    EXPECT_EQ((std::vector<std::string>{"Z1", "b2", "A3"}), names);
    settings.EntryNames("next", &names);
    EXPECT_EQ(std::vector<std::string>{"X"}, names);
    settings.EntryNames("Missing", &names);
    EXPECT_TRUE(names.empty());
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
    // Lines added before a section move it; it is still found, with each of its entries.
    EXPECT_EQ(std::vector<std::string>({"Tail", "Added"}), settings.EntryNames("Last"));
    EXPECT_EQ(1, settings.GetInt("Options", "Save", 0));
    EXPECT_EQ(69, settings.GetInt("Parity", "Setting", 0));
    EXPECT_EQ("keep  me", settings.GetString("Communication", "Extra", ""));
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

TEST_F(SettingsFileTest, KeepsTheEncodingAnEditorGaveTheFile) {
    // Notepad's "Unicode": UTF-16 little-endian with its mark, CRLF, a non-ASCII value.
    const std::string utf16 =
        std::string("\xFF\xFE", 2) + std::string("[\0A\0]\0\r\0\n\0B\0=\0\xFC\0\r\0\n\0", 20);
    Put(utf16);
    CSettingsFile settings(path);
    EXPECT_EQ("\xC3\xBC", settings.GetString("A", "B", "d"));          // U+00FC as UTF-8
    ASSERT_EQ(1, settings.WriteString("A", "C", "\xF0\x9F\x98\x80"));  // beyond 16 bits
    ASSERT_EQ(1, settings.Save());
    EXPECT_EQ(utf16 + std::string("C\0=\0\x3D\xD8\x00\xDE\r\0\n\0", 12), Content(path));

    // Big-endian, and a lone last byte, which reads as a replacement character; saved
    // unchanged, the damaged file keeps its bytes.
    const std::string damaged(
        "\xFE\xFF\0[\0X\0]\0\n\0Y\0=\0"
        "1\x41",
        17);
    Put(damaged);
    EXPECT_EQ("1\xEF\xBF\xBD", CSettingsFile(path).GetString("X", "Y", "d"));
    ASSERT_EQ(1, CSettingsFile(path).Save());
    EXPECT_EQ(damaged, Content(path));

    // A UTF-8 mark would otherwise hide the first section header.
    Put("\xEF\xBB\xBF[Communication]\nPort=2\n");
    CSettingsFile marked(path);
    EXPECT_EQ(2, marked.GetInt("Communication", "Port", 0));
    marked.WriteString("Communication", "Port", "3");
    ASSERT_EQ(1, marked.Save());
    EXPECT_EQ("\xEF\xBB\xBF[Communication]\nPort=3\n", Content(path));
}

TEST_F(SettingsFileTest, LivesInAFolderWithNonAsciiLetters) {
    const std::string named = (folder / "Einstellungen-\xC3\xA4").string() + "/tarn.INI";
    CSettingsFile settings(named);
    settings.WriteString("Options", "Save", "1");
    ASSERT_EQ(1, settings.Save());
    EXPECT_EQ(1, CSettingsFile(named).GetInt("Options", "Save", 0));
    EXPECT_TRUE(fs::exists(Utf8Path(named)));
}

std::string UsualDevice(int portNumber) {
#ifdef _WIN32
    return "\\\\.\\COM" + std::to_string(portNumber + 1);
#else
    return "/dev/ttyS" + std::to_string(portNumber);
#endif
}

TEST_F(SettingsFileTest, MapsComPortsThroughThePortsSection) {
    Put("[Ports]\ncom2=/dev/ttyUSB0\nCOM3=\n");
    EXPECT_EQ("/dev/ttyUSB0", DevicePathForPort(1, path));
    EXPECT_EQ(UsualDevice(2), DevicePathForPort(2, path));  // an empty mapping is none
    EXPECT_EQ(UsualDevice(0), DevicePathForPort(0, path));
    EXPECT_EQ(UsualDevice(4), DevicePathForPort(4, (folder / "missing.INI").string()));
}

TEST_F(SettingsFileTest, AdoptsAnOldFileOnlyWhileThereIsNoNewOne) {
    const std::string old = (folder / "old.INI").string();
    const std::string fresh = (folder / "tarn" / "tarn.INI").string();
    EXPECT_EQ(fresh, AdoptSettingsFile(fresh, old));  // nothing to adopt
    EXPECT_FALSE(fs::exists(fresh));

    std::ofstream(old, std::ios::binary) << "[Communication]\r\nPort=3\r\n";
    EXPECT_EQ(fresh, AdoptSettingsFile(fresh, old));
    EXPECT_EQ("[Communication]\r\nPort=3\r\n", Content(fresh));
    EXPECT_TRUE(fs::exists(old));

    std::ofstream(old, std::ios::binary) << "[Communication]\r\nPort=7\r\n";
    EXPECT_EQ(fresh, AdoptSettingsFile(fresh, old));
    EXPECT_EQ(3, CSettingsFile(fresh).GetInt("Communication", "Port", 0));

    // Where the new place cannot be written, the old settings are still read.
    const std::string blocked = (fs::path(old) / "tarn.INI").string();
    EXPECT_EQ(old, AdoptSettingsFile(blocked, old));
}

TEST(SettingsPathTest, OverrideThenEnvironmentThenTheUsersFolder) {
#ifdef _WIN32
    const char* names[] = {"TARN_SETTINGS", "APPDATA"};
#else
    const char* names[] = {"TARN_SETTINGS", "XDG_CONFIG_HOME", "HOME"};
#endif
    std::vector<std::string> saved;
    for (const char* name : names) {
        saved.push_back(Variable(name));
    }

    SetVariable("TARN_SETTINGS", "");
#ifdef _WIN32
    // The shell's folder, not the environment's, which may be stale or missing.
    CTempFolder appData;
    const std::string base = fs::path(appData.File("")).parent_path().string();
    SetVariable("APPDATA", base);
    const std::string path = SettingsFilePath();
    EXPECT_EQ(std::string::npos, path.find(base)) << path;
    EXPECT_TRUE(path.ends_with("\\AppData\\Roaming\\tarn\\tarn.INI")) << path;
#else
    SetVariable("HOME", "/home/op");
    SetVariable("XDG_CONFIG_HOME", "");
    EXPECT_EQ("/home/op/.config/tarn/tarn.INI", SettingsFilePath());
    SetVariable("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ("/home/op/.config/tarn/tarn.INI", SettingsFilePath());
    SetVariable("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ("/xdg/tarn/tarn.INI", SettingsFilePath());
#endif
    SetVariable("TARN_SETTINGS", "/tmp/demo.INI");
    EXPECT_EQ("/tmp/demo.INI", SettingsFilePath());
    OverrideSettingsFilePath("/tmp/test.INI");
    EXPECT_EQ("/tmp/test.INI", SettingsFilePath());
    OverrideSettingsFilePath("");
    EXPECT_EQ("/tmp/demo.INI", SettingsFilePath());

    for (size_t i = 0; i < saved.size(); ++i) {
        SetVariable(names[i], saved[i]);
    }
}

}  // namespace
