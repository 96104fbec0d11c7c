#include "started_store.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileOp;
using testing::logoBytes;
using testing::StartedStore;
using testing::TempDrive;

class SwapTest : public StartedStore {
  protected:
    void SetUp() override {
        StartedStore::SetUp();
        TempDrive::put(drive.root() / "MY PICTURES" / "new.bmp", logoBytes("new"));
        TempDrive::put(drive.root() / "MY PICTURES" / "small.bmp", "BM too small");
    }
    fs::path settings() const { return drive.windows() / "quenlark.ini"; }
    // One click on the slot's "Swap !" with a file chosen (or the dialog cancelled).
    void swap(Slot slot, std::optional<std::string> chosen, std::deque<Answer> answers = {}) {
        user().chosenFiles = {std::move(chosen)};
        user().answers = std::move(answers);
        store().onSwap(slot);
    }
};

TEST_F(SwapTest, DialogOpensInTheRememberedFolder) {
    swap(Slot::Wait, std::nullopt);
    ASSERT_EQ(user().dialogs.size(), 1u);
    const FileDialogRequest& request = user().dialogs[0];
    EXPECT_EQ(request.title, "Please select a bitmap file ..");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Bitmap files (320x400x256 only!)");
    EXPECT_EQ(request.filters[0].pattern, "*.bmp");
    EXPECT_EQ(request.filters[1].description, "Bitmap files with .SYS extension");
    EXPECT_EQ(request.filters[1].pattern, "*.sys");
    EXPECT_EQ(request.selectedFilter, 0u);
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_EQ(request.initialFolder, "C:\\TOOLS");  // written at first start
}

TEST_F(SwapTest, CancelledDialogChangesNothing) {
    user().setStatus("before");
    swap(Slot::Wait, std::nullopt);
    EXPECT_EQ(read(settings()), "LastUsedDir=C:\\TOOLS\r\n");
    EXPECT_EQ(user().status(), "before");
    EXPECT_EQ(user().thumbnailLoads, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
}

TEST_F(SwapTest, UnreadableSettingsKeepTheDialogClosed) {
    for (std::string content : {"", "LastUsedDir", "\r\nLastUsedDir=C:\\X\r\n"}) {
        TempDrive::put(settings(), content);
        store().onSwap(Slot::StartUp);
    }
    fs::remove(settings());
    store().onSwap(Slot::StartUp);
    EXPECT_TRUE(user().dialogs.empty());
    EXPECT_TRUE(user().statuses.empty());
    EXPECT_TRUE(user().messages.empty());
}

TEST_F(SwapTest, KeyIsNotCheckedAndAnyLengthOfFolderPasses) {
    TempDrive::put(settings(), "Folder=C:\\PICTURES\r\n");
    swap(Slot::Wait, std::nullopt);
    TempDrive::put(settings(), "LastUsedDir=\r\n");
    swap(Slot::Wait, std::nullopt);
    TempDrive::put(settings(), "LastUsedDir=" + std::string(3000, 'd'));
    swap(Slot::Wait, std::nullopt);
    ASSERT_EQ(user().dialogs.size(), 3u);
    EXPECT_EQ(user().dialogs[0].initialFolder, "CTURES");
    EXPECT_EQ(user().dialogs[1].initialFolder, "");
    EXPECT_EQ(user().dialogs[2].initialFolder, std::string(3000, 'd'));
}

TEST_F(SwapTest, RefusedFileIsStillRemembered) {
    swap(Slot::Wait, "C:\\MY PICTURES\\small.bmp");
    EXPECT_EQ(read(settings()), "LastUsedDir=C:\\MY PICTURES\r\n");
    EXPECT_EQ(user().status(), "C:\\MY PICTURES\\small.bmp couldn't be used !");
    EXPECT_EQ(user().messages.size(), 1u);  // the refusal; no backup question
    EXPECT_EQ(user().thumbnailLoads[1], 0);
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));

    swap(Slot::Wait, std::nullopt);
    EXPECT_EQ(user().dialogs.back().initialFolder, "C:\\MY PICTURES");
}

TEST_F(SwapTest, CancelAtTheBackupQuestion) {
    user().backupChoiceEnabled = {false, false, false};
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::Cancel});
    EXPECT_EQ(user().messages[0].text,
              "Do you wish the backup the present file C:\\WINDOWS\\logow.sys ?");
    EXPECT_EQ(user().messages[0].style, MessageStyle::YesNoCancel);
    EXPECT_EQ(user().status(), "Swap action has been aborted.");
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(user().backupChoiceEnabled[1], false);
    EXPECT_EQ(user().thumbnailLoads[1], 1);
}

TEST_F(SwapTest, NoInstallsWithoutABackup) {
    user().backupChoiceEnabled = {false, false, false};
    swap(Slot::ShutDown, "C:\\MY PICTURES\\new.bmp", {Answer::No});
    EXPECT_EQ(read(installed(Slot::ShutDown)), logo("new"));
    EXPECT_FALSE(fs::exists(backup(Slot::ShutDown)));
    EXPECT_EQ(user().backupChoiceEnabled[2], false);
    EXPECT_EQ(user().status(),
              "File C:\\MY PICTURES\\new.bmp has been successfully installed as "
              "new C:\\WINDOWS\\logos.sys.");
    EXPECT_EQ(user().thumbnails[2], "C:\\WINDOWS\\logos.sys");
}

TEST_F(SwapTest, YesOverwritesTheBackupWithTheOldLogo) {
    TempDrive::put(backup(Slot::Wait), logoBytes("older backup"));
    user().backupChoiceEnabled = {false, false, false};
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::Yes});
    EXPECT_EQ(read(backup(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(installed(Slot::Wait)), logo("new"));
    EXPECT_EQ(user().backupChoiceEnabled, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(user().messages.size(), 1u);
}

TEST_F(SwapTest, YesWithoutAnInstalledLogoStillInstalls) {
    fs::remove(installed(Slot::StartUp));
    swap(Slot::StartUp, "C:\\MY PICTURES\\new.bmp", {Answer::Yes});
    EXPECT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(read(installed(Slot::StartUp)), logo("new"));
    EXPECT_FALSE(fs::exists(backup(Slot::StartUp)));
    EXPECT_TRUE(user().backupChoiceEnabled[0]);
    EXPECT_EQ(user().status(),
              "File C:\\MY PICTURES\\new.bmp has been successfully installed as "
              "new C:\\logo.sys.");
}

TEST_F(SwapTest, SelectedBackupChoiceShowsTheReplacedLogo) {
    user().currentSelected[1] = false;
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::Yes});
    EXPECT_EQ(user().thumbnails[1], "C:\\TOOLS\\backup\\logow.qnk");
}

TEST_F(SwapTest, FailedInstallRetriesOrGivesUpWithTheOldLogoIntact) {
    files().failOn(FileOp::CopyDestination, "logow.sys", 1);
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::No, Answer::Retry});
    EXPECT_EQ(user().messages[1].text,
              "Error while restoring file ! Is there enough space or is disk write protected ?");
    EXPECT_EQ(user().messages[1].style, MessageStyle::RetryCancel);
    EXPECT_EQ(read(installed(Slot::Wait)), logo("new"));
    EXPECT_EQ(user().status(),
              "File C:\\MY PICTURES\\new.bmp has been successfully installed as "
              "new C:\\WINDOWS\\logow.sys.");

    forget();
    TempDrive::put(installed(Slot::Wait), oldLogoBytes(Slot::Wait));
    files().failOn(FileOp::CopyDestination, "logow.sys");
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::No, Answer::Cancel});
    EXPECT_EQ(user().status(), "Error while replacing file C:\\MY PICTURES\\new.bmp !");
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
}

TEST_F(SwapTest, FailedBackupOfAnExistingLogoInstallsNothing) {
    fs::remove_all(drive.tools() / "BACKUP");  // deleted while the program runs
    user().backupChoiceEnabled = {false, false, false};
    swap(Slot::ShutDown, "C:\\MY PICTURES\\new.bmp", {Answer::Yes, Answer::Retry, Answer::Cancel});
    ASSERT_EQ(user().messages.size(), 3u);
    EXPECT_EQ(user().messages[1].text,
              "Error while copying file ! Is there enough space or is disk write protected ?");
    EXPECT_EQ(user().status(), "Swap action has been aborted.");
    EXPECT_EQ(read(installed(Slot::ShutDown)), oldLogo(Slot::ShutDown));
    EXPECT_FALSE(user().backupChoiceEnabled[2]);
}

// A swap that fails keeps the earlier backup: the present logo becomes the
// backup only once the new one is installed.
TEST_F(SwapTest, FailedInstallKeepsTheEarlierBackup) {
    TempDrive::put(backup(Slot::Wait), logoBytes("older backup"));
    files().failOn(FileOp::CopyDestination, "logow.sys");
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp", {Answer::Yes, Answer::Retry, Answer::Cancel});
    EXPECT_EQ(user().status(), "Error while replacing file C:\\MY PICTURES\\new.bmp !");
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(read(backup(Slot::Wait)), logo("older backup"));
    EXPECT_FALSE(fs::exists(drive.tools() / "BACKUP" / "logow.new"));

    // Where there was no backup, none is offered after the failure either.
    user().backupChoiceEnabled = {false, false, false};
    files().failOn(FileOp::CopyDestination, "logos.sys");
    swap(Slot::ShutDown, "C:\\MY PICTURES\\new.bmp", {Answer::Yes, Answer::Retry, Answer::Cancel});
    EXPECT_FALSE(fs::exists(backup(Slot::ShutDown)));
    EXPECT_FALSE(user().backupChoiceEnabled[2]);
}

// A change the file system knows cannot be made (a read-only disk) is
// refused before anything is asked or copied, with a box that says why.
TEST_F(SwapTest, ImpossibleChangesAreRefusedBeforeAnythingIsCopied) {
    TempDrive::put(backup(Slot::Wait), logoBytes("older backup"));
    files().refuseChanges("logow.sys", "The disk is write-protected.");
    auto refused = [&](const std::string& what, const std::string& status) {
        ASSERT_EQ(user().messages.size(), 1u);
        EXPECT_EQ(user().messages[0].style, MessageStyle::OkCritical);
        EXPECT_EQ(user().messages[0].text, "C:\\WINDOWS\\logow.sys cannot be " + what +
                                               ", so nothing has been changed. The disk is "
                                               "write-protected.");
        EXPECT_EQ(user().status(), status);
        EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
        EXPECT_EQ(read(backup(Slot::Wait)), logo("older backup"));
        EXPECT_EQ(read(installed(Slot::StartUp)), oldLogo(Slot::StartUp));
        forget();
    };
    swap(Slot::Wait, "C:\\MY PICTURES\\new.bmp");
    refused("replaced", "Error while replacing file C:\\MY PICTURES\\new.bmp !");
    store().onRestore(Slot::Wait);
    refused("restored", "Error while restoring file !");
    store().restoreOriginals();
    refused("reset to its original", "The original logos have not been restored.");
    EXPECT_FALSE(fs::exists(drive.tools() / "BACKUP" / "logow.new"));
    EXPECT_FALSE(fs::exists(temporary(Slot::Wait)));
}

TEST_F(SwapTest, PathsWithSpacesAndNonAsciiLetters) {
    TempDrive::put(drive.root() / "Mes Images" / "été logo.bmp", logoBytes("été"));
    swap(Slot::StartUp, "C:\\Mes Images\\été logo.bmp", {Answer::No});
    EXPECT_EQ(read(installed(Slot::StartUp)), logo("été"));
    EXPECT_EQ(read(settings()), "LastUsedDir=C:\\Mes Images\r\n");
}

TEST_F(SwapTest, RightSizeButNoPictureIsInstalledAndTheThumbnailStays) {
    TempDrive::put(drive.root() / "MY PICTURES" / "zeros.bmp", std::string(129078, '\0'));
    swap(Slot::Wait, "C:\\MY PICTURES\\zeros.bmp", {Answer::No});
    EXPECT_EQ(TempDrive::read(installed(Slot::Wait)), std::string(129078, '\0'));
    EXPECT_EQ(user().thumbnailLoads[1], 0);
    EXPECT_EQ(user().thumbnails[1], "C:\\WINDOWS\\logow.sys");
}

}  // namespace
}  // namespace quenlark
