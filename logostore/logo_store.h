#pragma once

#include <array>
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
    bool Form_Load();

    const StorePaths& paths() const { return paths_; }
    // The text of the last message box the store showed.
    const std::string& messageText() const { return messageText_; }

    // Click handlers of the slot buttons: Swap ! (Command1, 4, 7), Restore
    // (Command2, 5, 8) and Backup (Command3, 6, 9) of Start Up, Wait, Shut Down.
    void Command1_Click() { swapClicked(Slot::StartUp); }
    void Command4_Click() { swapClicked(Slot::Wait); }
    void Command7_Click() { swapClicked(Slot::ShutDown); }
    void command2_Click() { restoreClicked(Slot::StartUp); }
    void Command5_Click() { restoreClicked(Slot::Wait); }
    void Command8_Click() { restoreClicked(Slot::ShutDown); }
    void Command3_Click() { backupClicked(Slot::StartUp); }
    void Command6_Click() { backupClicked(Slot::Wait); }
    void Command9_Click() { backupClicked(Slot::ShutDown); }
    void swapClicked(Slot slot);
    void restoreClicked(Slot slot);
    void backupClicked(Slot slot);

    // Menu commands: Backup All, Restore All, Restore Originals.
    void Back_All_Click();
    void Rest_All_Click();
    void rest_ori_Click();

    // The procedures behind the handlers, each reporting to the user itself.
    // Copies the installed logo `Huidig` over the backup file `Back`.
    void Backup(const std::string& Huidig, const std::string& Back);
    // Puts the backup `Back` back over `Huidig`, on request keeping the logo
    // it replaces as the new backup.
    void Restore(const std::string& Back, const std::string& Huidig);
    // Whether the chosen file `Name` may be installed as a logo (by its size).
    bool Check(const std::string& Name);
    // Runs the file-open dialog in the remembered folder.
    void Dialog();
    // Installs `Nieuw` over `Huidig`, on request backing `Huidig` up to `Back`.
    void Swap(const std::string& Nieuw, const std::string& Huidig, const std::string& Back);

    // The file a slot's thumbnail shows: its installed logo while "Current" is
    // selected, its backup otherwise.
    std::string previewedFile(Slot slot);

  private:
    void CheckOri();
    void CheckBack();
    void enterOrCreateFolder(std::string_view name);

    // Stores the text as the message text, then shows the box.
    Answer message(const std::string& text, MessageStyle style);

    // Copies until the copy succeeds or the user answers Cancel in the
    // Retry/Cancel box with `boxText`; `failureStatus`, when given, goes to the
    // status line before each box. True when the copy was made.
    bool copyWithRetry(const std::string& from, const std::string& to, std::string_view boxText,
                       std::string_view failureStatus = {});
    // Copies the present logo `Huidig` to `keep` before it is replaced, with
    // Retry/Cancel when the copy fails: a logo that exists is never replaced
    // before the user's backup of it is made. A missing logo has nothing to
    // keep. False when the user cancelled.
    bool keepPresentLogo(const std::string& Huidig, const std::string& keep);
    // Loads each slot's previewed file into its thumbnail.
    void refreshThumbnail(Slot slot);
    // `Backup`, telling whether the backup was made.
    bool backupLogo(const std::string& Huidig, const std::string& Back);
    // Backs all three slots up; true for each slot whose logo exists and was
    // not backed up (the user cancelled at the retry prompt).
    std::array<bool, 3> backupAll();
    // Puts one slot's first-run state back; false when it could not.
    bool restoreOriginal(const SlotInfo& slot);

    FileSystem& files_;
    WindowsDirectory& windowsDirectory_;
    UserInteraction& user_;
    std::string openingNotice_;

    StorePaths paths_;
    std::string messageText_;
    int dialogOutcome_ = 1;     // 0: a file was chosen in the last dialog
    std::string chosenPath_;    // the file chosen in the last dialog
    std::string chosenFolder_;  // the folder to remember after the last dialog
    int backupMade_ = 0;        // 1: the last swap backed the old logo up (or tried to)
};

}  // namespace quenlark
