#include "started_store.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileOp;
using testing::logoBytes;
using testing::StartedStore;
using testing::TempDrive;

const std::string kResetQuestion =
    "This will reset all 3 logos to the ones that where on your system before you ran this "
    "program for the first time. Do you wish to continue ?";
const std::string kRestored = "All original logos have been successfully restored.";

class BulkTest : public StartedStore {
  protected:
    // The user has since installed logos of their own.
    void installNewLogos() {
        for (const auto& slot : kSlots)
            TempDrive::put(installed(slot.slot), logoBytes(newTag(slot.slot)));
    }
    static std::string newTag(Slot slot) { return "new " + std::string(slotInfo(slot).caption); }
    static std::string newLogo(Slot slot) { return logo(newTag(slot)); }
};

TEST_F(BulkTest, BackupAllGoesOnAfterACancelledSlot) {
    fs::remove(installed(Slot::Wait));
    user().backupChoiceEnabled = {false, false, false};
    user().answers = {Answer::Cancel};
    store().backUpAll();

    EXPECT_EQ(read(backup(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_FALSE(fs::exists(backup(Slot::Wait)));
    EXPECT_EQ(read(backup(Slot::ShutDown)), oldLogo(Slot::ShutDown));
    EXPECT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().backupChoiceEnabled, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(user().status(),
              "File C:\\WINDOWS\\logos.sys has been successfully copied to "
              "C:\\TOOLS\\backup\\logos.qnk.");
}

TEST_F(BulkTest, RestoreAllWithoutBackupsTellsThreeTimes) {
    store().restoreAll();
    ASSERT_EQ(user().messages.size(), 3u);
    EXPECT_NE(user().messages[0].text.find("logo.qnk"), std::string::npos);
    EXPECT_NE(user().messages[2].text.find("logos.qnk"), std::string::npos);
    for (const auto& slot : kSlots)
        EXPECT_EQ(read(installed(slot.slot)), oldLogo(slot.slot));
    EXPECT_EQ(user().thumbnailLoads, (std::array<int, 3>{1, 1, 1}));
}

TEST_F(BulkTest, RestoreAllCancelledForWaitRestoresTheOthers) {
    for (const auto& slot : kSlots)
        TempDrive::put(backup(slot.slot), logoBytes("backup"));
    user().answers = {Answer::No, Answer::Cancel, Answer::No};
    store().restoreAll();
    EXPECT_EQ(read(installed(Slot::StartUp)), logo("backup"));
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(installed(Slot::ShutDown)), logo("backup"));
    EXPECT_EQ(user().status(),
              "File C:\\TOOLS\\backup\\logos.qnk has been successfully restored "
              "back to C:\\WINDOWS\\logos.sys.");
}

TEST_F(BulkTest, RestoreOriginalsNoChangesNothing) {
    installNewLogos();
    user().setStatus("before");
    user().answers = {Answer::No};
    store().restoreOriginals();
    ASSERT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().messages[0].text, kResetQuestion);
    EXPECT_EQ(user().messages[0].style, MessageStyle::YesNo);
    EXPECT_EQ(user().status(), "before");
    EXPECT_EQ(read(installed(Slot::Wait)), newLogo(Slot::Wait));
}

TEST_F(BulkTest, RestoreOriginalsCancelAtTheBackupQuestion) {
    installNewLogos();
    user().answers = {Answer::Yes, Answer::Cancel};
    store().restoreOriginals();
    EXPECT_EQ(user().messages[1].text,
              "Do you wish to backup all the present bitmaps acting as logo screens?");
    EXPECT_EQ(user().messages[1].style, MessageStyle::YesNoCancel);
    EXPECT_EQ(read(installed(Slot::Wait)), newLogo(Slot::Wait));
    EXPECT_TRUE(user().statuses.empty());
}

TEST_F(BulkTest, RestoreOriginalsWithoutBackupKeepsTheBackups) {
    installNewLogos();
    TempDrive::put(backup(Slot::Wait), logoBytes("backup"));
    user().answers = {Answer::Yes, Answer::No};
    store().restoreOriginals();
    for (const auto& slot : kSlots)
        EXPECT_EQ(read(installed(slot.slot)), oldLogo(slot.slot));
    EXPECT_EQ(read(backup(Slot::Wait)), logo("backup"));
    EXPECT_FALSE(fs::exists(backup(Slot::StartUp)));
    EXPECT_EQ(user().status(), kRestored);
    EXPECT_EQ(files().currentDirectory(), "C:\\TOOLS");
}

TEST_F(BulkTest, RestoreOriginalsWithBackupTwiceInARow) {
    installNewLogos();
    user().answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::No};
    store().restoreOriginals();
    for (const auto& slot : kSlots) {
        EXPECT_EQ(read(installed(slot.slot)), oldLogo(slot.slot));
        EXPECT_EQ(read(backup(slot.slot)), newLogo(slot.slot));
    }
    EXPECT_EQ(user().backupChoiceEnabled, (std::array<bool, 3>{true, true, true}));
    store().restoreOriginals();
    for (const auto& slot : kSlots) {
        EXPECT_EQ(read(installed(slot.slot)), oldLogo(slot.slot));
        EXPECT_EQ(read(original(slot.slot)), oldLogo(slot.slot));
    }
    EXPECT_EQ(user().status(), kRestored);
}

TEST_F(BulkTest, RestoreOriginalsRemovesALogoThatWasNotThereAtFirstRun) {
    // A stock Windows without logo.sys: start-up remembers that.
    fs::remove(installed(Slot::StartUp));
    fs::remove_all(drive.tools() / "ORIGINAL");
    restart();
    TempDrive::put(installed(Slot::StartUp), logoBytes("installed since"));

    user().answers = {Answer::Yes, Answer::No};
    store().restoreOriginals();
    EXPECT_FALSE(fs::exists(installed(Slot::StartUp)));
    EXPECT_TRUE(user().thumbnails[0].empty());
    EXPECT_EQ(user().status(), kRestored);
    EXPECT_TRUE(user().messages.size() == 2u);

    // Nothing installed now and nothing then: restored as well.
    user().answers = {Answer::Yes, Answer::No};
    store().restoreOriginals();
    EXPECT_EQ(user().status(), kRestored);
}

TEST_F(BulkTest, RestoreOriginalsTellsWhichLogosCouldNotBePutBack) {
    installNewLogos();
    fs::remove(original(Slot::Wait));
    files().failOn(FileOp::CopyDestination, "logos.sys");
    user().answers = {Answer::Yes, Answer::No};
    store().restoreOriginals();

    EXPECT_EQ(read(installed(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_EQ(read(installed(Slot::Wait)), newLogo(Slot::Wait));
    EXPECT_EQ(read(installed(Slot::ShutDown)), newLogo(Slot::ShutDown));
    ASSERT_EQ(user().messages.size(), 3u);
    EXPECT_EQ(user().messages[2].style, MessageStyle::OkExclamation);
    for (const std::string& text : {user().messages[2].text, user().status()}) {
        EXPECT_NE(text.find("C:\\WINDOWS\\logow.sys"), std::string::npos) << text;
        EXPECT_NE(text.find("C:\\WINDOWS\\logos.sys"), std::string::npos) << text;
        EXPECT_EQ(text.find("C:\\logo.sys"), std::string::npos) << text;
    }
    EXPECT_NE(user().status(), kRestored);
    EXPECT_EQ(files().currentDirectory(), "C:\\TOOLS");
}

// Only the slots that are reset have their backups replaced; a slot whose
// logo could not be put back keeps the backup it had.
TEST_F(BulkTest, RestoreOriginalsReplacesTheBackupsOfTheSlotsItResets) {
    installNewLogos();
    TempDrive::put(backup(Slot::ShutDown), logoBytes("older backup"));
    files().failOn(FileOp::CopyDestination, "logos.sys");
    user().answers = {Answer::Yes, Answer::Yes};
    store().restoreOriginals();
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(backup(Slot::Wait)), newLogo(Slot::Wait));
    EXPECT_EQ(read(installed(Slot::ShutDown)), newLogo(Slot::ShutDown));
    EXPECT_EQ(read(backup(Slot::ShutDown)), logo("older backup"));
    for (const auto& slot : kSlots)
        EXPECT_FALSE(fs::exists(backup(slot.slot).replace_extension("new")));
    EXPECT_NE(user().status().find("Not restored: C:\\WINDOWS\\logos.sys."), std::string::npos);
}

TEST_F(BulkTest, RestoreOriginalsWithoutTheOriginalFolderRestoresNothing) {
    installNewLogos();
    fs::remove_all(drive.tools() / "ORIGINAL");
    TempDrive::put(drive.tools() / "logo.ori", logoBytes("stray"));
    user().answers = {Answer::Yes, Answer::No};
    store().restoreOriginals();
    EXPECT_EQ(read(installed(Slot::StartUp)), newLogo(Slot::StartUp));
    EXPECT_EQ(user().messages.size(), 3u);
}

}  // namespace
}  // namespace quenlark
