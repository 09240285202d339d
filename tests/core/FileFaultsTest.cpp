// Saving the PSF, BFS and settings files when the disk refuses: a file the user may not
// write, a missing folder, a full disk, and, for the settings file, the program killed
// while it writes. Each failure is reported and the file that was there stays whole.
// Checks that need another user or a mount run in a child process, so the test program
// itself keeps its rights and its view of the file system.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "files/AtomicFile.h"
#include "records/BlankingMap.h"
#include "records/Psf.h"
#include "sequences/BlankingFileCommands.h"
#include "settings/SettingsFile.h"

namespace {

constexpr uid_t kNobody = 65534;
// A child's exit code when its check could not be set up here (no right to mount).
constexpr int kCannotSetUp = 77;

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One of the files the program writes, saved through its own operation; version picks
// contents that differ from those of any other version.
struct FileKind {
    const char* name;
    bool (*save)(const std::string& path, int version);
    // The settings file creates its folder; the PSF and BFS files go where the operator chose.
    bool createsFolder;
};

bool SavePsf(const std::string& path, int version) {
    CPsf psf;
    psf.SetScanNumber(version + 1);
    return psf.SaveToFile(path);
}

bool SaveBfs(const std::string& path, int version) {
    CBlankingMap map(kMaxChannels);
    map.SetBlanked(version, true);
    return WriteBlockFile(path, map);
}

bool SaveSettings(const std::string& path, int version) {
    CSettingsFile file(path);
    file.WriteString("Options", "Save", std::to_string(version));
    return file.Save() == 1;
}

void PrintTo(const FileKind& kind, std::ostream* out) {
    *out << kind.name;
}

const FileKind kKinds[] = {
    {"Psf", SavePsf, false}, {"Bfs", SaveBfs, false}, {"Settings", SaveSettings, true}};

// Runs check in a child process and answers its exit code (-1 when it did not exit).
int InChild(const std::function<int()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Fills the file system that holds folder up to its last byte.
void FillUp(const std::string& folder) {
    std::FILE* filler = std::fopen((folder + "/filler").c_str(), "wb");
    if (filler == nullptr) {
        return;
    }
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    while (std::fputc('x', filler) != EOF) {
    }
    std::fclose(filler);
}

// A flush that fails as a full disk can make it fail: the data had no room when written out.
int NoSpaceSync(int) {
    errno = ENOSPC;
    return -1;
}

class FileFaultsTest : public ::testing::TestWithParam<FileKind> {
protected:
    CTempFolder folder;
    const std::string target = folder.File("saved");

    // The file as the last good save left it.
    std::string SaveOld() {
        EXPECT_TRUE(GetParam().save(target, 0));
        return Contents(target);
    }
};

TEST_P(FileFaultsTest, AFileTheUserMayNotWriteStaysAsItWas) {
    const std::string old = SaveOld();
    // The user's own file, made read-only.
    ASSERT_EQ(0, chmod(target.c_str(), 0444));
    if (geteuid() == 0) {
        ASSERT_EQ(0, chown(target.c_str(), kNobody, kNobody));
    }
    // The folder is open to all, so only the file's own permission can refuse the save.
    ASSERT_EQ(0, chmod(folder.File("").c_str(), 0777));
    // Root may write any file: the save runs as an unprivileged user.
    const int code = InChild([&] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            return kCannotSetUp;
        }
        return !GetParam().save(target, 1) ? 0 : 1;
    });
    ASSERT_NE(kCannotSetUp, code);
    EXPECT_EQ(0, code) << "the save was reported as done";
    EXPECT_EQ(old, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"saved"}, folder.Names());
}

// Runs save as an unprivileged user in a folder that takes no new file, where the file
// itself is open to all; answers the child's exit code.
int SaveInLockedFolder(const CTempFolder& folder, const std::function<bool()>& save) {
    const std::string target = folder.File("saved");
    chmod(target.c_str(), 0666);
    chmod(folder.File("").c_str(), 0555);
    const int code = InChild([&] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            return kCannotSetUp;
        }
        return save() ? 0 : 1;
    });
    chmod(folder.File("").c_str(), 0755);
    return code;
}

TEST_P(FileFaultsTest, AFolderTheUserMayNotWriteStillTakesTheFileInPlace) {
    SaveOld();
    const int code = SaveInLockedFolder(folder, [&] { return GetParam().save(target, 1); });
    ASSERT_NE(kCannotSetUp, code);
    EXPECT_EQ(0, code) << "the save failed";
    const std::string saved = Contents(target);
    ASSERT_TRUE(GetParam().save(target, 1));
    EXPECT_EQ(Contents(target), saved);
    EXPECT_EQ(std::vector<std::string>{"saved"}, folder.Names());
}

TEST_P(FileFaultsTest, AFailedWriteInPlacePutsTheOldContentsBack) {
    const std::string old = SaveOld();
    const int code = SaveInLockedFolder(folder, [&] {
        SetFileSyncFunction(NoSpaceSync);
        return GetParam().save(target, 1);
    });
    ASSERT_NE(kCannotSetUp, code);
    EXPECT_EQ(1, code) << "the save was reported as done";
    EXPECT_EQ(old, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"saved"}, folder.Names());
}

// A shorter content written in place must not keep the old file's tail behind it.
TEST(FileInPlaceTest, AShorterContentLeavesNoOldTail) {
    CTempFolder folder;
    const std::string target = folder.File("saved");
    const std::string old(300, 'o');
    const std::string shorter = "new";
    ASSERT_TRUE(WriteFileAtomically(target, reinterpret_cast<const unsigned char*>(old.data()),
                                    old.size()));
    const int code = SaveInLockedFolder(folder, [&] {
        return WriteFileAtomically(target, reinterpret_cast<const unsigned char*>(shorter.data()),
                                   shorter.size());
    });
    ASSERT_NE(kCannotSetUp, code);
    EXPECT_EQ(0, code) << "the save failed";
    EXPECT_EQ(shorter, Contents(target));
}

// Writes that pass until kWrittenBeforeFailure bytes have gone through, then fail with a
// full disk; failures tells how many fail (-1: every one after).
constexpr long kWrittenBeforeFailure = 40;
long writtenSoFar = 0;
int failures = 0;

long FailingWrite(int fd, const unsigned char* data, size_t size) {
    if (writtenSoFar >= kWrittenBeforeFailure && failures != 0) {
        failures -= failures > 0 ? 1 : 0;
        errno = ENOSPC;
        return -1;
    }
    const auto part = std::min<size_t>(size, static_cast<size_t>(kWrittenBeforeFailure));
    const long written = ::write(fd, data, part);
    writtenSoFar += written > 0 ? written : 0;
    return written;
}

// A save in place that fails in the middle of its data: the old contents are put back,
// and when that fails too the operator is told the file may be damaged, by its name.
TEST(FileInPlaceTest, AFailureInTheMiddleOfTheDataIsUndoneOrNamed) {
    for (const bool restorable : {true, false}) {
        SCOPED_TRACE(restorable ? "the old contents can be put back" : "nothing more is written");
        CTempFolder folder;
        const std::string target = folder.File("saved");
        CBlankingMap oldMap(kMaxChannels);
        oldMap.SetBlanked(700, true);
        ASSERT_EQ("", SaveBlankingFile(target, oldMap));
        const std::string old = Contents(target);
        CBlankingMap newMap(kMaxChannels);
        newMap.SetBlanked(3, true);
        const std::string noSpace =
            "Error writing blanking fields to file.\nNo space left on device";
        const std::string told = restorable ? noSpace : noSpace + "\n" + DamagedFileText(target);
        const int code = SaveInLockedFolder(folder, [&] {
            writtenSoFar = 0;
            failures = restorable ? 1 : -1;
            SetFileWriteFunction(FailingWrite);
            return SaveBlankingFile(target, newMap) == told;
        });
        ASSERT_NE(kCannotSetUp, code);
        EXPECT_EQ(0, code) << "the operator was not told " << told;
        EXPECT_EQ(restorable, Contents(target) == old);
        EXPECT_EQ(std::vector<std::string>{"saved"}, folder.Names());
    }
}

TEST_P(FileFaultsTest, AMissingFolderIsReportedOrMade) {
    const std::string inMissing = folder.File("missing/saved");
    EXPECT_EQ(GetParam().createsFolder, GetParam().save(inMissing, 1));
    EXPECT_EQ(GetParam().createsFolder, std::filesystem::exists(inMissing));
    // A folder that cannot be made, under a plain file, fails for every kind.
    const std::string plainFile = SaveOld();
    EXPECT_FALSE(GetParam().save(folder.File("saved/below/saved"), 1));
    EXPECT_EQ(plainFile, Contents(target));
}

TEST_P(FileFaultsTest, ANoSpaceFailureOfTheFlushKeepsTheOldFile) {
    const std::string old = SaveOld();
    const FileSyncFunction previous = SetFileSyncFunction(NoSpaceSync);
    const bool saved = GetParam().save(target, 1);
    SetFileSyncFunction(previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(old, Contents(target));
    EXPECT_EQ(std::vector<std::string>{"saved"}, folder.Names());
}

// A real full disk: a small memory file system mounted over the folder in a mount
// namespace of the child's own, which goes away with the child.
TEST_P(FileFaultsTest, AFullDiskKeepsTheOldFile) {
    const std::string disk = folder.File("disk");
    std::filesystem::create_directory(disk);
    const std::string onDisk = disk + "/saved";
    const int code = InChild([&] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tarn-full", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return kCannotSetUp;
        }
        if (!GetParam().save(onDisk, 0)) {
            return 1;
        }
        const std::string old = Contents(onDisk);
        FillUp(disk);
        if (GetParam().save(onDisk, 1)) {
            return 2;  // reported as saved
        }
        if (Contents(onDisk) != old) {
            return 3;
        }
        // No temporary file is left taking up the space.
        return std::distance(std::filesystem::directory_iterator(disk),
                             std::filesystem::directory_iterator()) == 2
                   ? 0
                   : 4;
    });
    if (code == kCannotSetUp) {
        GTEST_SKIP() << "no right to mount a file system here";
    }
    EXPECT_EQ(0, code) << "1: first save failed, 2: reported as saved, 3: old file changed, "
                          "4: temporary file left";
}

TEST_P(FileFaultsTest, ASaveThroughALinkReplacesTheFileItLeadsTo) {
    const std::string old = SaveOld();
    // A chain of relative links: "a" leads to "sub/b", which leads back up to "saved".
    std::filesystem::create_directory(folder.File("sub"));
    ASSERT_EQ(0, symlink("sub/b", folder.File("a").c_str()));
    ASSERT_EQ(0, symlink("../saved", folder.File("sub/b").c_str()));
    ASSERT_TRUE(GetParam().save(folder.File("a"), 1));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("a")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("sub/b")));
    EXPECT_NE(old, Contents(target));
    const std::string saved = Contents(target);
    ASSERT_TRUE(GetParam().save(folder.File("direct"), 1));
    EXPECT_EQ(Contents(folder.File("direct")), saved);
    EXPECT_EQ((std::vector<std::string>{"a", "direct", "saved", "sub"}), folder.Names());
    // A link to a file not there yet creates that file.
    ASSERT_EQ(0, symlink("later", folder.File("ahead").c_str()));
    ASSERT_TRUE(GetParam().save(folder.File("ahead"), 1));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("ahead")));
    EXPECT_EQ(saved, Contents(folder.File("later")));
}

TEST_P(FileFaultsTest, ANameAtTheFileSystemsLimitIsSaved) {
    const std::string longest(255, 'n');
    ASSERT_TRUE(GetParam().save(folder.File(longest), 0));
    ASSERT_TRUE(GetParam().save(folder.File(longest), 1));
    EXPECT_EQ(std::vector<std::string>{longest}, folder.Names());
}

INSTANTIATE_TEST_SUITE_P(EveryFile, FileFaultsTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BlankingFileFaultsTest, TheOperatorIsToldWhyTheSaveFailed) {
    CTempFolder folder;
    const CBlankingMap map(kMaxChannels);
    const std::string inMissing = folder.File("missing/field.bfs");
    EXPECT_EQ("Error opening file '" + inMissing + "'\nNo such file or directory",
              SaveBlankingFile(inMissing, map));
    const FileSyncFunction previous = SetFileSyncFunction(NoSpaceSync);
    const std::string text = SaveBlankingFile(folder.File("field.bfs"), map);
    SetFileSyncFunction(previous);
    EXPECT_EQ("Error writing blanking fields to file.\nNo space left on device", text);
}

// A pipe or a device chosen where a file is read: each reader refuses it at once with its
// own answer, and never waits for a writer nor reads without end.
TEST(FileReadFaultsTest, APipeOrDeviceIsRefusedWithoutWaiting) {
    CTempFolder folder;
    const std::string pipe = folder.File("pipe");
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0666));
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const int code = InChild([&] {
            alarm(10);  // a reader that waits or reads without end is stopped here
            CPsf psf;
            if (psf.LoadFromFile(path)) {
                return 1;
            }
            CBlankingMap map(kMaxChannels);
            if (ReadBlankingFile(path, map) != "Size of file is incorrect.") {
                return 2;
            }
            return CSettingsFile(path).EntryNames("Options").empty() ? 0 : 3;
        });
        EXPECT_EQ(0, code) << path << ": -1 waited, 1 PSF taken, 2 BFS text, 3 settings read";
    }
}

// A pipe chosen where a file is saved stays a pipe: the save is refused instead of putting
// a regular file in its place (as root that would replace /dev/null itself).
TEST(FileWriteFaultsTest, APipeIsNeverReplacedByASave) {
    CTempFolder folder;
    const std::string pipe = folder.File("pipe");
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0666));
    const unsigned char data[] = {1, 2, 3};
    FileWriteError error;
    EXPECT_FALSE(WriteFileAtomically(pipe, data, sizeof data, &error));
    EXPECT_TRUE(error.atOpen);
    EXPECT_EQ(EPERM, error.errorNumber);
    struct stat info {};
    ASSERT_EQ(0, stat(pipe.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// The program killed at random moments while it saves the settings file over and over:
// the file is always whole, with the contents of one save or the other.
TEST(SettingsFileKillTest, AKilledSaveLeavesTheOldOrTheNewFile) {
    CTempFolder folder;
    const std::string path = folder.File("tarn.ini");
    CSettingsFile file(path);
    // Large enough that writing it takes a while.
    for (int i = 0; i < 500; ++i) {
        file.WriteString("PartNumbers", "Part" + std::to_string(i), std::to_string(1000000 + i));
    }
    file.WriteString("Options", "Save", "1");
    ASSERT_EQ(1, file.Save());
    const std::string saveOn = Contents(path);
    file.WriteString("Options", "Save", "0");
    ASSERT_EQ(1, file.Save());
    const std::string saveOff = Contents(path);

    std::mt19937 random(11);
    std::set<std::string> seen;
    for (int round = 0; round < 20; ++round) {
        int ready[2];
        ASSERT_EQ(0, pipe(ready));
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            for (int save = 0;; ++save) {
                file.WriteString("Options", "Save", save % 2 == 0 ? "1" : "0");
                file.Save();
                if (save == 0) {
                    // The parent starts its clock once a save has gone through.
                    (void)!write(ready[1], "x", 1);
                }
            }
        }
        close(ready[1]);
        char started = 0;
        const ssize_t heard = read(ready[0], &started, 1);
        close(ready[0]);
        usleep(std::uniform_int_distribution<useconds_t>(0, 5000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_EQ(1, heard) << "the saving child did not start";

        const std::string now = Contents(path);
        ASSERT_TRUE(now == saveOn || now == saveOff) << "round " << round;
        seen.insert(now);
        const CSettingsFile reread(path);
        EXPECT_EQ(500u, reread.EntryNames("PartNumbers").size());
        EXPECT_EQ(now == saveOn ? 1 : 0, reread.GetInt("Options", "Save", -1));
    }
    // The kills fell both after odd and after even saves.
    EXPECT_EQ(2u, seen.size());
}

}  // namespace
