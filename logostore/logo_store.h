#pragma once

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

    // The file a slot's thumbnail shows: its installed logo while "Current" is
    // selected, its backup otherwise.
    std::string previewedFile(Slot slot);

private:
    void CheckOri();
    void CheckBack();
    void enterOrCreateFolder(std::string_view name);

    // Stores the text as the message text, then shows the box.
    Answer message(const std::string& text, MessageStyle style);

    FileSystem& files_;
    WindowsDirectory& windowsDirectory_;
    UserInteraction& user_;
    std::string openingNotice_;

    StorePaths paths_;
    std::string messageText_;
};

}  // namespace quenlark
