#include "drive_map.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::TempDrive;

TEST(DriveMap, HostPathsTakeTheLongestMatchingDriveRoot) {
    DriveMap drives;
    drives.map('c', "/mnt/w98");
    EXPECT_EQ(drives.toWindows("/mnt/w98/WINDOWS"), "C:\\WINDOWS");
    EXPECT_EQ(drives.toWindows("/mnt/w98"), "C:\\");
    EXPECT_EQ(drives.toWindows("/mnt/w98/"), "C:\\");
    EXPECT_EQ(drives.toWindows("/mnt/w98x/a"), "Z:\\mnt\\w98x\\a");
    EXPECT_EQ(drives.toWindows("/home/u/pics"), "Z:\\home\\u\\pics");
    EXPECT_EQ(drives.toWindows("/"), "Z:\\");
    EXPECT_EQ(drives.toWindows("/mnt/w98/WINDOWS/../TOOLS"), "C:\\TOOLS");
}

TEST(DriveMap, WindowsPathsResolveWithoutLetterCase) {
    TempDrive drive;
    TempDrive::put(drive.root() / "LOGO.SYS", "x");
    fs::create_directories(drive.tools() / "BACKUP");
    DriveMap drives = drive.installation().driveMap();

    auto host = [&](std::string_view path) {
        auto p = drives.toHost(*parseWindowsPath(path));
        return p ? *p : fs::path("<none>");
    };
    EXPECT_EQ(host("C:\\logo.sys"), drive.root() / "LOGO.SYS");
    EXPECT_EQ(host("c:\\tools\\backup\\logo.qnk"), drive.tools() / "BACKUP" / "logo.qnk");
    EXPECT_EQ(host("C:\\WINDOWS\\logow.sys"), drive.windows() / "logow.sys");  // kept for creation
    EXPECT_EQ(host("C:\\nothere\\Deeper"), drive.root() / "nothere" / "Deeper");
    EXPECT_EQ(host("Q:\\x"), "<none>");
    // Z: gives the host back unchanged.
    EXPECT_EQ(host(drives.toWindows(drive.windows())), drive.windows());
}

TEST(DriveMap, ExactSpellingWinsOverOtherCases) {
    TempDrive drive;
    TempDrive::put(drive.root() / "Logo.sys", "a");
    TempDrive::put(drive.root() / "LOGO.SYS", "b");
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "Logo.sys"), "Logo.sys");
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "LOGO.SYS"), "LOGO.SYS");
    // No exact spelling: the first in byte order, whatever the directory order.
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "logo.sys"), "LOGO.SYS");
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "logos.sys"), std::nullopt);
    // The system would read these up to the NUL and find LOGO.SYS.
    EXPECT_EQ(findNameIgnoringCase(drive.root(), std::string("LOGO.SYS\0x", 10)), std::nullopt);
    EXPECT_EQ(findNameIgnoringCase(drive.root(), std::string("..\0", 3)), std::nullopt);

    // A folder left alone for a while has its names kept: what changes in it
    // since is seen all the same.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "logo.sys"), "LOGO.SYS");
    fs::rename(drive.root() / "LOGO.SYS", drive.root() / "LoGo.SyS");
    fs::remove(drive.root() / "Logo.sys");
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "logo.sys"), "LoGo.SyS");
    TempDrive::put(drive.root() / "LOGOS.SYS", "c");
    EXPECT_EQ(findNameIgnoringCase(drive.root(), "logos.sys"), "LOGOS.SYS");
}

}  // namespace
}  // namespace quenlark
