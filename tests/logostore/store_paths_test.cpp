#include "store_paths.h"

#include <gtest/gtest.h>

namespace quenlark {
namespace {

TEST(StorePaths, FormedFromTheWindowsAndStartupDirectories) {
    StorePaths p = formStorePaths("C:\\WINDOWS", "C:\\TOOLS");
    EXPECT_EQ(p.installedOf(Slot::StartUp), "C:\\logo.sys");
    EXPECT_EQ(p.installedOf(Slot::Wait), "C:\\WINDOWS\\logow.sys");
    EXPECT_EQ(p.installedOf(Slot::ShutDown), "C:\\WINDOWS\\logos.sys");
    EXPECT_EQ(p.backupOf(Slot::StartUp), "C:\\TOOLS\\backup\\logo.qnk");
    EXPECT_EQ(p.backupOf(Slot::Wait), "C:\\TOOLS\\backup\\logow.qnk");
    EXPECT_EQ(p.backupOf(Slot::ShutDown), "C:\\TOOLS\\backup\\logos.qnk");
    EXPECT_EQ(p.settingsPath, "C:\\WINDOWS\\quenlark.ini");
    EXPECT_EQ(p.startupDirectory, "C:\\TOOLS");
    EXPECT_EQ(p.windowsDirectory, "C:\\WINDOWS");
}

TEST(StorePaths, DriveRootStartupDirectoryHasNoDoubledBackslash) {
    StorePaths p = formStorePaths("C:\\WINDOWS", "C:\\");
    EXPECT_EQ(p.backupOf(Slot::StartUp), "C:\\backup\\logo.qnk");
    EXPECT_EQ(p.backupOf(Slot::Wait), "C:\\backup\\logow.qnk");
    EXPECT_EQ(p.backupOf(Slot::ShutDown), "C:\\backup\\logos.qnk");
}

TEST(StorePaths, StartUpLogoIsAtTheRootOfTheWindowsDrive) {
    StorePaths p = formStorePaths("D:\\WIN98", "Z:\\home\\u");
    EXPECT_EQ(p.installedOf(Slot::StartUp), "D:\\logo.sys");
    EXPECT_EQ(p.installedOf(Slot::Wait), "D:\\WIN98\\logow.sys");
    EXPECT_EQ(p.settingsPath, "D:\\WIN98\\quenlark.ini");
    EXPECT_EQ(p.backupOf(Slot::Wait), "Z:\\home\\u\\backup\\logow.qnk");
}

TEST(StorePaths, TemporaryFileLiesBesideTheInstalledLogo) {
    EXPECT_EQ(temporaryPathFor("C:\\logo.sys"), "C:\\logo.TMP");
    EXPECT_EQ(temporaryPathFor("C:\\WINDOWS\\logow.sys"), "C:\\WINDOWS\\logow.TMP");
    EXPECT_EQ(temporaryPathFor("ab"), "TMP");
}

}  // namespace
}  // namespace quenlark
