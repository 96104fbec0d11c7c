#include "started_store.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileOp;
using testing::logoBytes;
using testing::StartedStore;

const std::string kCopyBox =
    "Error while copying file ! Is there enough space or is disk write protected ?";
const std::string kRestoreBox =
    "Error while restoring file ! Is there enough space or is disk write protected ?";

using BackupTest = StartedStore;

TEST_F(BackupTest, ReplacesTheBackupAndRefreshesAllThumbnails) {
    testing::TempDrive::put(backup(Slot::Wait), logoBytes("older backup"));
    user().backupChoiceEnabled = {false, false, false};
    store().onBackUp(Slot::Wait);

    EXPECT_EQ(read(backup(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_TRUE(user().messages.empty());
    EXPECT_EQ(user().status(),
              "File C:\\WINDOWS\\logow.sys has been successfully copied to "
              "C:\\TOOLS\\backup\\logow.qnk.");
    EXPECT_EQ(user().thumbnailLoads, (std::array<int, 3>{1, 1, 1}));
    EXPECT_EQ(user().backupChoiceEnabled, (std::array<bool, 3>{false, true, false}));
}

TEST_F(BackupTest, RetryAfterAFailedCopyEndsLikeASuccess) {
    files().failOn(FileOp::CopyDestination, "logo.qnk", 1);
    user().answers = {Answer::Retry};
    store().onBackUp(Slot::StartUp);

    ASSERT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().messages[0].text, kCopyBox);
    EXPECT_EQ(user().messages[0].style, MessageStyle::RetryCancel);
    EXPECT_EQ(user().messages[0].statusShown, "Error while copying file !");
    EXPECT_EQ(read(backup(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_EQ(user().status(),
              "File C:\\logo.sys has been successfully copied to C:\\TOOLS\\backup\\logo.qnk.");
    EXPECT_EQ(user().thumbnailLoads, (std::array<int, 3>{1, 1, 1}));
}

TEST_F(BackupTest, CancelKeepsTheOldBackupAndStillEnablesTheChoice) {
    testing::TempDrive::put(backup(Slot::ShutDown), logoBytes("older backup"));
    files().failOn(FileOp::CopyDestination, "logos.qnk");
    user().backupChoiceEnabled = {false, false, false};
    user().answers = {Answer::Retry, Answer::Cancel};
    store().onBackUp(Slot::ShutDown);

    EXPECT_EQ(user().messages.size(), 2u);
    EXPECT_EQ(user().status(), "Error while copying file !");
    EXPECT_EQ(read(backup(Slot::ShutDown)), logo("older backup"));
    EXPECT_EQ(user().thumbnailLoads, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(user().backupChoiceEnabled, (std::array<bool, 3>{false, false, true}));
}

using RestoreTest = StartedStore;

TEST_F(RestoreTest, WithoutABackupTellsAndAsksNothing) {
    store().onRestore(Slot::StartUp);
    ASSERT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().messages[0].text,
              "The backup file C:\\TOOLS\\backup\\logo.qnk doesn't exist ! Make a backup first !");
    EXPECT_EQ(user().messages[0].style, MessageStyle::OkCritical);
    EXPECT_EQ(user().messages[0].statusShown,
              "Error while opening C:\\TOOLS\\backup\\logo.qnk. File not found !");
    EXPECT_EQ(store().messageText(), user().messages[0].text);
    EXPECT_EQ(read(installed(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_EQ(user().thumbnailLoads[0], 1);  // the button reloads its thumbnail all the same
}

TEST_F(RestoreTest, YesExchangesLogoAndBackupBackAndForth) {
    testing::TempDrive::put(backup(Slot::Wait), logoBytes("backup"));
    user().answers = {Answer::Yes, Answer::Yes};

    store().onRestore(Slot::Wait);
    EXPECT_EQ(user().messages[0].text,
              "Do you wish to backup the file presently acting as C:\\WINDOWS\\logow.sys ?");
    EXPECT_EQ(user().messages[0].style, MessageStyle::YesNoCancel);
    EXPECT_EQ(read(installed(Slot::Wait)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_FALSE(fs::exists(temporary(Slot::Wait)));
    EXPECT_EQ(user().status(),
              "File C:\\TOOLS\\backup\\logow.qnk has been successfully restored "
              "back to C:\\WINDOWS\\logow.sys.");

    store().onRestore(Slot::Wait);
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(backup(Slot::Wait)), logo("backup"));
    EXPECT_FALSE(fs::exists(temporary(Slot::Wait)));
}

TEST_F(RestoreTest, NoInstallsTheBackupAndKeepsIt) {
    testing::TempDrive::put(backup(Slot::ShutDown), logoBytes("backup"));
    user().answers = {Answer::No};
    store().onRestore(Slot::ShutDown);
    EXPECT_EQ(read(installed(Slot::ShutDown)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::ShutDown)), logo("backup"));
}

TEST_F(RestoreTest, CancelChangesNothing) {
    testing::TempDrive::put(backup(Slot::ShutDown), logoBytes("backup"));
    user().answers = {Answer::Cancel};
    store().onRestore(Slot::ShutDown);
    EXPECT_EQ(read(installed(Slot::ShutDown)), oldLogo(Slot::ShutDown));
    EXPECT_EQ(read(backup(Slot::ShutDown)), logo("backup"));
    EXPECT_EQ(user().status(), "Restore action has been aborted.");
    EXPECT_EQ(user().messages.size(), 1u);
}

TEST_F(RestoreTest, YesWithoutAnInstalledLogoKeepsTheBackup) {
    fs::remove(installed(Slot::StartUp));
    testing::TempDrive::put(backup(Slot::StartUp), logoBytes("backup"));
    user().answers = {Answer::Yes};
    store().onRestore(Slot::StartUp);
    EXPECT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(read(installed(Slot::StartUp)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::StartUp)), logo("backup"));
    EXPECT_FALSE(fs::exists(temporary(Slot::StartUp)));
}

TEST_F(RestoreTest, CancelledRestoreLeavesItsTemporaryFileForTheNext) {
    testing::TempDrive::put(backup(Slot::StartUp), logoBytes("backup"));
    files().failOn(FileOp::CopyDestination, "logo.sys", 2);
    user().answers = {Answer::Yes, Answer::Retry, Answer::Cancel};
    store().onRestore(Slot::StartUp);

    EXPECT_EQ(user().messages.back().text, kRestoreBox);
    EXPECT_EQ(user().messages.back().statusShown, "");  // unchanged before the box
    EXPECT_EQ(user().status(), "Error while restoring file !");
    EXPECT_EQ(read(installed(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_EQ(read(temporary(Slot::StartUp)), oldLogo(Slot::StartUp));

    // The next restore, answered No, moves the former logo into the backup.
    user().answers = {Answer::No};
    store().onRestore(Slot::StartUp);
    EXPECT_EQ(read(installed(Slot::StartUp)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_FALSE(fs::exists(temporary(Slot::StartUp)));
}

TEST_F(RestoreTest, FailedCopyOfThePresentLogoAsksBeforeReplacingIt) {
    testing::TempDrive::put(backup(Slot::Wait), logoBytes("backup"));
    files().failOn(FileOp::CopyDestination, "logow.TMP", 1);
    user().answers = {Answer::Yes, Answer::Cancel};
    store().onRestore(Slot::Wait);
    EXPECT_EQ(user().messages.back().text, kCopyBox);
    EXPECT_EQ(user().messages.back().style, MessageStyle::RetryCancel);
    EXPECT_EQ(user().status(), "Restore action has been aborted.");
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(backup(Slot::Wait)), logo("backup"));

    files().failOn(FileOp::CopyDestination, "logow.TMP", 1);
    user().answers = {Answer::Yes, Answer::Retry};
    store().onRestore(Slot::Wait);
    EXPECT_EQ(read(installed(Slot::Wait)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::Wait)), oldLogo(Slot::Wait));
}

TEST_F(RestoreTest, TemporaryFileStaysWhenItCannotBecomeTheBackup) {
    testing::TempDrive::put(backup(Slot::Wait), logoBytes("backup"));
    files().failOn(FileOp::CopyDestination, "logow.qnk");
    user().answers = {Answer::Yes};
    store().onRestore(Slot::Wait);
    EXPECT_EQ(read(installed(Slot::Wait)), logo("backup"));
    EXPECT_EQ(read(backup(Slot::Wait)), logo("backup"));
    EXPECT_EQ(read(temporary(Slot::Wait)), oldLogo(Slot::Wait));
}

}  // namespace
}  // namespace quenlark
