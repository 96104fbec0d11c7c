#include "host_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
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
    const int status = testing::runAsUser(*user, [&] {
        const bool intoLockedFolder =
            files.copyFile("C:\\TOOLS\\new.bmp", "C:\\WINDOWS\\logow.sys");
        const bool fromUnreadable = files.copyFile("C:\\TOOLS\\secret.bmp", "C:\\TOOLS\\copy.bmp");
        return (intoLockedFolder ? 1 : 0) | (fromUnreadable ? 2 : 0);
    });
    EXPECT_EQ(status, 0) << "1: wrote into a folder it may not write; 2: read a file it may not";
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
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), logoBytes("old"));
    EXPECT_EQ(entries(drive.windows()), std::vector<std::string>{"LOGOW.SYS"});
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
