#include <gtest/gtest.h>

#include "program_run.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileOp;
using testing::logoBytes;
using testing::ProgramRun;
using testing::TempDrive;

const std::string kWelcome = testing::kTestNotice + " " + std::string(kWelcomeText);

class StartupTest : public ::testing::Test {
  protected:
    void installLogos(std::string_view tag) {
        TempDrive::put(drive.root() / "LOGO.SYS",
                       logoBytes(std::string("start ") + std::string(tag)));
        TempDrive::put(drive.windows() / "LOGOW.SYS",
                       logoBytes(std::string("wait ") + std::string(tag)));
        TempDrive::put(drive.windows() / "LOGOS.SYS",
                       logoBytes(std::string("shut ") + std::string(tag)));
    }
    fs::path original(std::string_view name) const { return drive.tools() / "ORIGINAL" / name; }

    TempDrive drive;
};

TEST_F(StartupTest, FirstRunCreatesFoldersOriginalsAndSettings) {
    installLogos("first");
    ProgramRun run(drive);
    ASSERT_TRUE(run.start());

    EXPECT_TRUE(fs::is_directory(drive.tools() / "BACKUP"));
    EXPECT_EQ(TempDrive::read(original("logo.ori")), logoBytes("start first"));
    EXPECT_EQ(TempDrive::read(original("logow.ori")), logoBytes("wait first"));
    EXPECT_EQ(TempDrive::read(original("logos.ori")), logoBytes("shut first"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\TOOLS\r\n");

    EXPECT_TRUE(run.user.messages.empty());
    EXPECT_EQ(run.user.statuses, std::vector<std::string>{kWelcome});
    EXPECT_EQ(run.user.currentSelected, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(run.user.backupChoiceEnabled, (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(run.user.backupButtonEnabled, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(run.user.thumbnails[0], "C:\\logo.sys");
    EXPECT_EQ(run.user.thumbnails[2], "C:\\WINDOWS\\logos.sys");
    EXPECT_EQ(run.files.currentDirectory(), "C:\\TOOLS\\ORIGINAL");
    EXPECT_EQ(run.store.paths().backupOf(Slot::Wait), "C:\\TOOLS\\backup\\logow.qnk");
}

TEST_F(StartupTest, LaterRunsNeverOverwriteOriginalsOrSettings) {
    installLogos("first");
    ProgramRun(drive).start();
    installLogos("swapped");
    TempDrive::put(drive.windows() / "quenlark.ini", "whatever the user keeps here");

    ProgramRun second(drive);
    ASSERT_TRUE(second.start());
    EXPECT_EQ(TempDrive::read(original("logo.ori")), logoBytes("start first"));
    EXPECT_EQ(TempDrive::read(original("logos.ori")), logoBytes("shut first"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "quenlark.ini"), "whatever the user keeps here");
    EXPECT_TRUE(second.user.messages.empty());
}

TEST_F(StartupTest, MissingStartUpLogoWarnsAndMarksTheSlot) {
    installLogos("first");
    fs::remove(drive.root() / "LOGO.SYS");
    ProgramRun run(drive);
    ASSERT_TRUE(run.start());

    ASSERT_EQ(run.user.messages.size(), 1u);
    EXPECT_EQ(run.user.messages[0].text, "WARNING! Logo.sys isn't present at location C:\\.");
    EXPECT_EQ(run.user.messages[0].style, MessageStyle::OkExclamation);
    EXPECT_EQ(run.store.messageText(), run.user.messages[0].text);
    EXPECT_EQ(run.user.status(), "Couldn't find Logo.sys or not a valid bitmap !");
    EXPECT_EQ(run.user.backupButtonEnabled, (std::array<bool, 3>{false, true, true}));
    // The other slots' originals are captured all the same; the first-run
    // state of Start Up ("no logo") is remembered by its marker.
    EXPECT_EQ(TempDrive::read(original("logow.ori")), logoBytes("wait first"));
    EXPECT_EQ(TempDrive::read(original("logos.ori")), logoBytes("shut first"));
    EXPECT_EQ(TempDrive::read(original("logo.none")), "");
    EXPECT_FALSE(fs::exists(original("logo.ori")));

    // A logo the user installs later is not taken for the original.
    TempDrive::put(drive.root() / "LOGO.SYS", logoBytes("start installed later"));
    ProgramRun later(drive);
    ASSERT_TRUE(later.start());
    EXPECT_FALSE(fs::exists(original("logo.ori")));
    EXPECT_TRUE(later.user.messages.empty());
}

TEST_F(StartupTest, UnreadableLogosWarnInSlotOrder) {
    installLogos("first");
    TempDrive::put(drive.windows() / "LOGOW.SYS", "not a picture");
    TempDrive::put(drive.windows() / "LOGOS.SYS", "");
    ProgramRun run(drive);
    ASSERT_TRUE(run.start());

    ASSERT_EQ(run.user.messages.size(), 2u);
    EXPECT_EQ(run.user.messages[0].text,
              "WARNING! Logow.sys isn't present at location C:\\WINDOWS\\.");
    EXPECT_EQ(run.user.messages[1].text,
              "WARNING! Logos.sys isn't present at location C:\\WINDOWS\\.");
    EXPECT_EQ(run.user.statuses,
              (std::vector<std::string>{kWelcome, "Couldn't find Logow.sys or not a valid bitmap !",
                                        "Couldn't find Logos.sys or not a valid bitmap !"}));
    EXPECT_EQ(run.user.backupButtonEnabled, (std::array<bool, 3>{true, false, false}));
    EXPECT_TRUE(run.user.thumbnails[1].empty());
    // They exist, so they are what Windows had at first run.
    EXPECT_EQ(TempDrive::read(original("logow.ori")), "not a picture");
}

TEST_F(StartupTest, LogoThatCannotBeCopiedIsCapturedAtALaterStart) {
    installLogos("first");
    ProgramRun run(drive);
    run.files.failOn(FileOp::CopySource, "logow.sys");
    ASSERT_TRUE(run.start());
    EXPECT_FALSE(fs::exists(original("logow.ori")));
    EXPECT_FALSE(fs::exists(original("logow.none")));
    EXPECT_EQ(TempDrive::read(original("logos.ori")), logoBytes("shut first"));

    ProgramRun(drive).start();
    EXPECT_EQ(TempDrive::read(original("logow.ori")), logoBytes("wait first"));
}

TEST_F(StartupTest, BackupChoiceEnabledOnlyWhereABackupExists) {
    installLogos("first");
    TempDrive::put(drive.tools() / "BACKUP" / "LOGOW.QNK", logoBytes("wait backup"));
    fs::create_directories(drive.tools() / "BACKUP" / "logos.qnk");  // a folder is no backup
    ProgramRun run(drive);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.user.backupChoiceEnabled, (std::array<bool, 3>{false, true, false}));
}

TEST_F(StartupTest, StartedFromADriveRoot) {
    installLogos("first");
    ProgramRun run(drive, "C:\\");
    ASSERT_TRUE(run.start());
    EXPECT_TRUE(fs::is_directory(drive.root() / "BACKUP"));
    EXPECT_TRUE(fs::exists(drive.root() / "ORIGINAL" / "logo.ori"));
    EXPECT_EQ(run.store.paths().backupOf(Slot::StartUp), "C:\\backup\\logo.qnk");
    EXPECT_EQ(TempDrive::read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\\r\n");
}

TEST_F(StartupTest, FoldersThatCannotBeCreatedAreSilent) {
    installLogos("first");
    ProgramRun run(drive);
    run.files.failOn(FileOp::CreateFolder, "");
    run.files.failOn(FileOp::Write, "quenlark.ini");
    ASSERT_TRUE(run.start());
    EXPECT_TRUE(run.user.messages.empty());
    EXPECT_EQ(run.user.status(), kWelcome);
    EXPECT_FALSE(fs::exists(drive.tools() / "ORIGINAL"));
    EXPECT_FALSE(fs::exists(drive.windows() / "quenlark.ini"));
    EXPECT_EQ(run.files.currentDirectory(), "C:\\TOOLS");
}

TEST_F(StartupTest, WithoutAWindowsDirectoryNothingIsWritten) {
    installLogos("first");
    fs::remove_all(drive.windows());
    ProgramRun run(drive);
    EXPECT_FALSE(run.start());
    ASSERT_EQ(run.user.messages.size(), 1u);
    EXPECT_EQ(run.user.messages[0].style, MessageStyle::OkCritical);
    EXPECT_NE(run.user.messages[0].text.find("Windows directory"), std::string::npos);
    EXPECT_FALSE(fs::exists(drive.tools() / "BACKUP"));
    EXPECT_FALSE(fs::exists(drive.tools() / "ORIGINAL"));
}

}  // namespace
}  // namespace quenlark
