#include "host_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include "ordinary_user.h"
#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::logoBytes;
using testing::TempDrive;

class HostFileSystemTest : public ::testing::Test {
  protected:
    HostFileSystemTest() : files(drive.installation().driveMap(), "C:\\TOOLS") {}

    // Nothing but the named entries in a folder: no temporary file left over.
    static std::vector<std::string> entries(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static bool says(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    static struct stat statOf(const fs::path& file) {
        struct stat info {};
        ::lstat(file.c_str(), &info);
        return info;
    }

    TempDrive drive;
    HostFileSystem files;
};

TEST_F(HostFileSystemTest, NamesResolveWithoutLetterCase) {
    TempDrive::put(drive.root() / "LOGO.SYS", logoBytes("start"));
    fs::create_directory(drive.tools() / "BACKUP");
    EXPECT_TRUE(files.fileExists("C:\\logo.sys"));
    EXPECT_TRUE(files.copyFile("c:\\LOGO.sys", "C:\\TOOLS\\backup\\logo.qnk"));
    EXPECT_EQ(TempDrive::read(drive.tools() / "BACKUP" / "logo.qnk"), logoBytes("start"));
    EXPECT_EQ(files.fileLength("C:\\TOOLS\\Backup\\LOGO.QNK"), 129078u);
}

TEST_F(HostFileSystemTest, ExistenceTestFindsOrdinaryFilesOnly) {
    fs::create_directory(drive.tools() / "logo.qnk");
    TempDrive::put(drive.tools() / "readme.txt", "hi");
    EXPECT_FALSE(files.fileExists("C:\\TOOLS\\logo.qnk"));
    EXPECT_TRUE(files.fileExists("readme.txt"));
    EXPECT_FALSE(files.fileExists("C:\\TOOLS\\absent.txt"));
    EXPECT_FALSE(files.fileExists(""));
    EXPECT_EQ(files.fileLength("C:\\TOOLS\\logo.qnk"), std::nullopt);
    EXPECT_FALSE(files.deleteFile("C:\\TOOLS\\logo.qnk"));
    EXPECT_TRUE(fs::is_directory(drive.tools() / "logo.qnk"));
}

TEST_F(HostFileSystemTest, CopyReplacesTheDestinationWhole) {
    TempDrive::put(drive.windows() / "a.bmp", "short");
    TempDrive::put(drive.windows() / "LOGOW.SYS", logoBytes("old"));
    ASSERT_TRUE(files.copyFile("C:\\WINDOWS\\a.bmp", "C:\\WINDOWS\\logow.sys"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), "short");
    EXPECT_EQ(entries(drive.windows()), (std::vector<std::string>{"LOGOW.SYS", "a.bmp"}));
}

TEST_F(HostFileSystemTest, FailedCopiesLeaveTheDestinationAlone) {
    TempDrive::put(drive.windows() / "LOGOW.SYS", logoBytes("old"));
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));
    fs::create_directory(drive.tools() / "folder.bmp");

    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\missing.bmp", "C:\\WINDOWS\\logow.sys"));
    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\folder.bmp", "C:\\WINDOWS\\logow.sys"));
    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\new.bmp", "C:\\NOFOLDER\\logow.sys"));
    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\new.bmp", "C:\\TOOLS\\folder.bmp"));
    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\new.bmp", "Q:\\logow.sys"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), logoBytes("old"));
    EXPECT_EQ(entries(drive.windows()), std::vector<std::string>{"LOGOW.SYS"});

    // What only permission bits forbid, tried as a user they stop.
    std::string why;
    const auto user = testing::ordinaryUser(&why);
    if (!user)
        GTEST_SKIP() << "no ordinary user to try permissions with: " << why;
    TempDrive::put(drive.tools() / "secret.bmp", logoBytes("secret"));
    testing::handOver(drive.root(), *user);
    fs::permissions(drive.windows(), fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(drive.tools() / "secret.bmp", fs::perms::none);
    const std::string windows = drive.windows().string();
    const int status = testing::runAsUser(*user, [&] {
        // Known before anything is copied, and said with the folder and why.
        const auto why = files.whyCannotChange("C:\\WINDOWS\\logow.sys");
        const bool intoLockedFolder =
            files.copyFile("C:\\TOOLS\\new.bmp", "C:\\WINDOWS\\logow.sys");
        const std::string intoLockedFailure = files.lastFailure();
        const bool fromUnreadable = files.copyFile("C:\\TOOLS\\secret.bmp", "C:\\TOOLS\\copy.bmp");
        const std::string readFailure = files.lastFailure();
        const std::string locked =
            "The folder " + windows + " cannot be written (Permission denied).";
        return (intoLockedFolder ? 1 : 0) | (fromUnreadable ? 2 : 0) | (why != locked ? 4 : 0) |
               (intoLockedFailure != locked ? 8 : 0) |
               (!says(readFailure, "secret.bmp cannot be read (Permission denied).") ? 16 : 0) |
               (files.whyCannotChange("C:\\TOOLS\\new.bmp") ? 32 : 0);
    });
    EXPECT_EQ(status, 0) << "1: wrote into a folder it may not write; 2: read a file it may not; "
                            "4, 8, 16: did not say which folder or file and why; 32: refused a "
                            "change it may make";
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), logoBytes("old"));
    EXPECT_EQ(entries(drive.windows()), std::vector<std::string>{"LOGOW.SYS"});
    EXPECT_FALSE(fs::exists(drive.tools() / "copy.bmp"));
}

// A disk that fills up half-way through the copy: the file size limit makes
// the writes fail after 4 KiB, as a full disk would.
TEST_F(HostFileSystemTest, CopyInterruptedHalfWayKeepsTheOldContent) {
    TempDrive::put(drive.windows() / "LOGOW.SYS", logoBytes("old"));
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));

    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool copied = files.copyFile("C:\\TOOLS\\new.bmp", "C:\\WINDOWS\\logow.sys");
    const bool written = files.writeLine("C:\\WINDOWS\\quenlark.ini", std::string(8000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(copied);
    EXPECT_FALSE(written);
    EXPECT_TRUE(
        says(files.lastFailure(),
             "The file " + (drive.windows() / "quenlark.ini").string() + " cannot be written ("))
        << files.lastFailure();
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), logoBytes("old"));
    EXPECT_EQ(entries(drive.windows()), std::vector<std::string>{"LOGOW.SYS"});
}

// A replaced file keeps its permission bits and its owner, not the source's;
// a new file gets what any new file of this user gets.
TEST_F(HostFileSystemTest, ReplacedFileKeepsItsPermissionsAndOwner) {
    TempDrive::put(drive.tools() / "private.bmp", logoBytes("new"));
    fs::permissions(drive.tools() / "private.bmp", fs::perms(0600));
    TempDrive::put(drive.windows() / "LOGOW.SYS", logoBytes("old"));
    fs::permissions(drive.windows() / "LOGOW.SYS", fs::perms(0640));
    const auto user = testing::ordinaryUser();
    const bool root = ::geteuid() == 0 && user;
    if (root) {
        ASSERT_EQ(::chown((drive.windows() / "LOGOW.SYS").c_str(), user->uid, user->gid), 0);
    }
    ASSERT_TRUE(files.copyFile("C:\\TOOLS\\private.bmp", "C:\\WINDOWS\\logow.sys"));
    ASSERT_TRUE(files.copyFile("C:\\TOOLS\\private.bmp", "C:\\WINDOWS\\logos.sys"));
    const struct stat replaced = statOf(drive.windows() / "LOGOW.SYS");
    EXPECT_EQ(replaced.st_mode & 0777, 0640u);
    if (root) {
        EXPECT_EQ(replaced.st_uid, user->uid);
        EXPECT_EQ(replaced.st_gid, user->gid);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(statOf(drive.windows() / "logos.sys").st_mode & 0777, 0666u & ~mask);
}

// A link inside the drive's folder is read through, never written through:
// nothing outside the folder changes, and the refusal says why.
TEST_F(HostFileSystemTest, LinksInsideADriveNeverLeadWritesOutOfIt) {
    TempDrive elsewhere;
    TempDrive::put(elsewhere.windows() / "LOGOW.SYS", logoBytes("elsewhere"));
    TempDrive::put(elsewhere.root() / "target.txt", "not a logo");
    fs::remove_all(drive.windows());
    fs::create_directory_symlink(elsewhere.windows(), drive.windows());
    fs::create_symlink(elsewhere.root() / "target.txt", drive.root() / "LOGO.SYS");
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));

    EXPECT_EQ(files.readFile("C:\\WINDOWS\\logow.sys", 1 << 20), logoBytes("elsewhere"));
    const std::string path = "C:\\WINDOWS\\logow.sys";
    EXPECT_FALSE(files.copyFile("C:\\TOOLS\\new.bmp", path));
    EXPECT_TRUE(
        says(files.lastFailure(), "C:\\WINDOWS\\logow.sys leads out of the drive's folder " +
                                      drive.root().string() + " through a link"))
        << files.lastFailure();
    EXPECT_EQ(files.whyCannotChange(path), files.lastFailure());
    EXPECT_FALSE(files.writeLine("C:\\WINDOWS\\quenlark.ini", "LastUsedDir=C:\\"));
    EXPECT_FALSE(files.createFolder("C:\\WINDOWS\\NEW"));
    EXPECT_FALSE(files.deleteFile(path));
    EXPECT_EQ(entries(elsewhere.windows()), std::vector<std::string>{"LOGOW.SYS"});
    EXPECT_EQ(TempDrive::read(elsewhere.windows() / "LOGOW.SYS"), logoBytes("elsewhere"));

    // A link as the file itself is replaced, not what it leads to.
    EXPECT_TRUE(files.copyFile("C:\\TOOLS\\new.bmp", "C:\\logo.sys")) << files.lastFailure();
    EXPECT_TRUE(S_ISREG(statOf(drive.root() / "LOGO.SYS").st_mode));
    EXPECT_EQ(TempDrive::read(elsewhere.root() / "target.txt"), "not a logo");
    // Z: is the whole host: writes there go anywhere.
    EXPECT_TRUE(
        files.copyFile("C:\\TOOLS\\new.bmp", HostFileSystem(drive.installation().driveMap())
                                                 .drives()
                                                 .toWindows(elsewhere.root() / "copy.bmp")));
}

TEST_F(HostFileSystemTest, TextFileIsOneLineEndedByCrLf) {
    TempDrive::put(drive.windows() / "quenlark.ini", "old content\r\nsecond line\r\n");
    ASSERT_TRUE(files.writeLine("C:\\WINDOWS\\QUENLARK.INI", "LastUsedDir=C:\\MY PICTURES"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\MY PICTURES\r\n");
    EXPECT_EQ(files.readFirstLine("C:\\WINDOWS\\quenlark.ini"), "LastUsedDir=C:\\MY PICTURES");
}

TEST_F(HostFileSystemTest, FirstLineOfUnusualFiles) {
    auto firstLine = [&](std::string_view content) {
        TempDrive::put(drive.tools() / "t.ini", content);
        return files.readFirstLine("t.ini");
    };
    EXPECT_EQ(firstLine(""), std::nullopt);
    EXPECT_EQ(firstLine("\r\n"), "");
    EXPECT_EQ(firstLine("no ending"), "no ending");
    EXPECT_EQ(firstLine("unix\nsecond"), "unix");
    EXPECT_EQ(firstLine("mac\rsecond"), "mac");
    EXPECT_EQ(firstLine(std::string("bin\0ary\r\n", 9)), std::string("bin\0ary", 7));
    EXPECT_EQ(files.readFirstLine("missing.ini"), std::nullopt);
}

TEST_F(HostFileSystemTest, EmptyFileAndDelete) {
    TempDrive::put(drive.tools() / "logo.none", "something");
    ASSERT_TRUE(files.writeEmptyFile("C:\\TOOLS\\logo.none"));
    EXPECT_EQ(files.fileLength("C:\\TOOLS\\logo.none"), 0u);
    EXPECT_TRUE(files.deleteFile("C:\\TOOLS\\LOGO.NONE"));
    EXPECT_FALSE(files.fileExists("C:\\TOOLS\\logo.none"));
    EXPECT_FALSE(files.deleteFile("C:\\TOOLS\\logo.none"));
}

TEST_F(HostFileSystemTest, CurrentDirectoryMovesOnlyToExistingFolders) {
    EXPECT_EQ(files.currentDirectory(), "C:\\TOOLS");
    EXPECT_FALSE(files.setCurrentDirectory("ORIGINAL"));
    EXPECT_EQ(files.currentDirectory(), "C:\\TOOLS");

    EXPECT_TRUE(files.createFolder("ORIGINAL"));
    EXPECT_FALSE(files.createFolder("original"));  // exists already
    EXPECT_FALSE(files.createFolder("C:\\NO\\SUCH"));
    EXPECT_TRUE(files.setCurrentDirectory("original"));
    EXPECT_EQ(files.currentDirectory(), "C:\\TOOLS\\original");
    EXPECT_TRUE(files.setCurrentDirectory("C:\\"));
    EXPECT_EQ(files.currentDirectory(), "C:\\");
    EXPECT_FALSE(files.setCurrentDirectory("C:\\TOOLS\\readme.txt"));
    EXPECT_FALSE(files.setCurrentDirectory(""));
}

// A path with a NUL, as a settings file may hold one, ends there as it does
// for Windows: it never names the folder above the drive.
TEST_F(HostFileSystemTest, PathsEndAtTheirFirstNul) {
    using namespace std::string_literals;
    EXPECT_EQ(files.hostPath("C:\\..\0"s), drive.root());
    EXPECT_EQ(files.hostPath("C:\\TOOLS\\..\0\\x"s), drive.root());
    EXPECT_TRUE(files.setCurrentDirectory("C:\\..\0"s));
    EXPECT_EQ(files.currentDirectory(), "C:\\");
    EXPECT_TRUE(files.setCurrentDirectory("C:\\WINDOWS\0\\..\\.."s));
    EXPECT_EQ(files.currentDirectory(), "C:\\WINDOWS");
    TempDrive::put(drive.windows() / "quenlark.ini", "LastUsedDir=C:\\PICS\r\n");
    EXPECT_EQ(files.readFirstLine("quenlark.ini\0.bak"s), "LastUsedDir=C:\\PICS");
}

TEST(HostFileSystem, StartsInTheProcessWorkingDirectory) {
    TempDrive drive;
    const fs::path saved = fs::current_path();
    fs::current_path(drive.tools());
    HostFileSystem files(drive.installation().driveMap());
    fs::current_path(saved);
    EXPECT_EQ(files.currentDirectory(), "C:\\TOOLS");
}

}  // namespace
}  // namespace quenlark
