// Swapping in a new logo: choose a file in the remembered folder, check it,
// offer a backup of the present logo, install it.
#include "copy_texts.h"
#include "logo_store.h"
#include "settings_file.h"
#include "windows_path.h"

namespace quenlark {

namespace {

constexpr std::string_view kSwapAborted = "Swap action has been aborted.";

FileDialogRequest bitmapRequest(std::string initialFolder) {
    FileDialogRequest request;
    request.title = "Please select a bitmap file ..";
    request.filters = {{"Bitmap files (320x400x256 only!)", "*.bmp"},
                       {"Bitmap files with .SYS extension", "*.sys"}};
    request.selectedFilter = 0;
    request.initialFolder = std::move(initialFolder);
    request.fileMustExist = true;
    request.hideReadOnly = true;
    return request;
}

}  // namespace

void LogoStore::Dialog() {
    dialogOutcome_ = 1;
    // Without a readable remembered folder the dialog is not shown at all.
    const auto folder = readRememberedFolder(files_, paths_.settingsPath);
    if (!folder)
        return;
    const auto chosen = user_.showOpenDialog(bitmapRequest(*folder));
    if (!chosen)
        return;
    chosenPath_ = *chosen;
    dialogOutcome_ = 0;
    // The Windows file dialog leaves the chosen file's folder current; the
    // remembered folder is read from there. A folder that cannot be entered
    // is remembered as the dialog named it, rather than whatever folder
    // happens to be current.
    chosenFolder_ = windowsParentFolder(chosenPath_);
    if (files_.setCurrentDirectory(chosenFolder_))
        chosenFolder_ = files_.currentDirectory();
}

void LogoStore::Swap(const std::string& Nieuw, const std::string& Huidig, const std::string& Back) {
    backupMade_ = 0;
    switch (message("Do you wish the backup the present file " + Huidig + " ?",
                    MessageStyle::YesNoCancel)) {
        case Answer::Yes:
            if (!keepPresentLogo(Huidig, Back)) {
                user_.setStatus(std::string(kSwapAborted));
                return;
            }
            backupMade_ = 1;
            break;
        case Answer::No:
            break;
        default:
            user_.setStatus(std::string(kSwapAborted));
            return;
    }

    if (!copyWithRetry(Nieuw, Huidig, kRestoreFailedBox)) {
        user_.setStatus("Error while replacing file " + Nieuw + " !");
        return;
    }
    user_.setStatus("File " + Nieuw + " has been successfully installed as new " + Huidig + ".");
}

void LogoStore::swapClicked(Slot slot) {
    Dialog();
    if (dialogOutcome_ != 0)
        return;
    writeSettingsFile(files_, paths_.settingsPath, chosenFolder_);
    if (!Check(chosenPath_))
        return;
    Swap(chosenPath_, paths_.installedOf(slot), paths_.backupOf(slot));
    if (backupMade_ == 1)
        user_.setBackupChoiceEnabled(slot, true);
    refreshThumbnail(slot);
}

}  // namespace quenlark
