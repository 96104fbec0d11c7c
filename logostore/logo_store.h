#pragma once

#include <array>
#include <optional>
#include <string>

#include "file_system.h"
#include "store_paths.h"
#include "user_interaction.h"
#include "windows_directory.h"

namespace quenlark {

inline constexpr std::string_view kWelcomeText =
    "Welcome to Quenlark v1.2 ! For more info see the readme file under 'Info' in the menu.";

// The logo store: the state of the main window and every operation on the
// logo files. It reaches files only through `FileSystem` and the user only
// through `UserInteraction`.
class LogoStore {
  public:
    // `openingNotice` opens the welcome text (which drive is managed).
    LogoStore(FileSystem& files, WindowsDirectory& windowsDirectory, UserInteraction& user,
              std::string openingNotice);

    // The start-up sequence, run once before the main window is shown. Returns
    // false, having told the user and written nothing, when the Windows
    // directory cannot be determined.
    bool startUp();

    const StorePaths& paths() const { return paths_; }
    // The text of the last message box the store showed.
    const std::string& messageText() const { return messageText_; }

    // The buttons of a slot's page: Swap !, Restore and Backup.
    void onSwap(Slot slot);
    // Swap ! with a file that did not come from its dialog, the same
    // sequence from the check on: one dropped on the slot's page, whose
    // folder becomes the current and the remembered one as a choice in the
    // dialog makes it; or a logo made from `picture` in a folder of its own,
    // which the texts name by the picture, since the folder is gone once the
    // logo is in.
    void swapInFile(Slot slot, const std::string& path);
    void swapInMadeLogo(Slot slot, const std::string& madeLogo, const std::string& picture);
    void onRestore(Slot slot);
    void onBackUp(Slot slot);

    // Backs all three slots up.
    void backUpAll();
    void restoreAll();
    // Puts back the logos found at first use, after asking.
    void restoreOriginals();

    // The operations behind the buttons, each reporting to the user itself.
    // Copies the installed logo over the backup file; true when it was copied.
    bool backUpLogo(const std::string& installedPath, const std::string& backupPath);
    // Puts the backup back over the installed logo, on request keeping the
    // logo it replaces as the new backup.
    void restoreLogo(const std::string& backupPath, const std::string& installedPath);
    // Whether the chosen file may be installed as a logo (by its size).
    bool checkLogoSize(const std::string& path);
    // Installs the new logo over the installed one, on request backing the
    // installed one up first. True when the user asked for the backup and it
    // was kept (or there was no logo to keep). The backup file is replaced
    // only once the new logo is installed: a swap that fails, or is refused,
    // leaves the earlier backup as it was. `madeFrom`, when given, is the
    // picture the new logo was made from, which the status line names.
    bool installNewLogo(const std::string& newLogoPath, const std::string& installedPath,
                        const std::string& backupPath, const std::string& madeFrom = {});

    // The file a slot's thumbnail shows: its installed logo while "Current" is
    // selected, its backup otherwise.
    std::string previewedFile(Slot slot);

  private:
    // The file chosen in the file-open dialog, and the folder to remember.
    struct ChosenLogo {
        std::string path;
        std::string folder;
    };
    // Runs the file-open dialog in the remembered folder; nothing when the
    // user chose no file or the dialog could not be shown.
    std::optional<ChosenLogo> chooseNewLogo();
    // `path` as the dialog's choice: its folder made current.
    ChosenLogo chosenLogo(const std::string& path);
    // Swap ! from the check of the chosen file on.
    void swapIn(Slot slot, const std::string& path, const std::string& madeFrom = {});

    void captureOriginals();
    void refreshBackupChoices();
    void enterOrCreateFolder(std::string_view name);

    // Stores the text as the message text, then shows the box.
    Answer message(const std::string& text, MessageStyle style);

    // Copies until the copy succeeds or the user answers Cancel in the
    // Retry/Cancel box with `boxText`; `failureStatus`, when given, goes to the
    // status line before each box. True when the copy was made.
    bool copyWithRetry(const std::string& from, const std::string& to, std::string_view boxText,
                       std::string_view failureStatus = {});
    // Copies the present logo to `keep` before it is replaced, with
    // Retry/Cancel when the copy fails: a logo that exists is never replaced
    // before the user's backup of it is made. A missing logo, or a file too
    // large for one, has nothing to keep.
    enum class Keeping { Kept, NothingToKeep, Cancelled };
    Keeping keepPresentLogo(const std::string& installedPath, const std::string& keep);
    // Makes the logo kept in `pending` the backup, now that the logo it was
    // kept for has been replaced; with Retry/Cancel, and after Cancel it
    // stays in `pending`, its only copy.
    void commitBackup(const std::string& pending, const std::string& backupPath);
    // Refuses, with a box and `status`, a change to `installedPath` that the
    // file system says cannot be made; `what` says what the change was to
    // do ("replaced", "restored"). True when refused.
    bool refuseImpossibleChange(const std::string& installedPath, const std::string& what,
                                const std::string& status);
    // Refuses, with a box and `status`, to copy a slot file too large for a
    // logo. True when refused.
    bool refuseOversized(const std::string& path, const std::string& status);
    // Whether a slot file is too large for a logo.
    bool oversized(const std::string& path);
    // Loads the slot's previewed file into its thumbnail.
    void refreshThumbnail(Slot slot);
    // Puts one slot's first-run state back; false when it could not.
    bool restoreOriginal(const SlotInfo& slot);

    FileSystem& files_;
    WindowsDirectory& windowsDirectory_;
    UserInteraction& user_;
    std::string openingNotice_;

    StorePaths paths_;
    std::string messageText_;
};

}  // namespace quenlark
