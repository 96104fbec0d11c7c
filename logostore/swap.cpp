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

std::optional<LogoStore::ChosenLogo> LogoStore::chooseNewLogo() {
    // Without a readable remembered folder the dialog is not shown at all.
    const auto folder = readRememberedFolder(files_, paths_.settingsPath);
    if (!folder)
        return std::nullopt;
    const auto chosen = user_.showOpenDialog(bitmapRequest(*folder));
    if (!chosen)
        return std::nullopt;
    return chosenLogo(*chosen);
}

LogoStore::ChosenLogo LogoStore::chosenLogo(const std::string& path) {
    // The Windows file dialog leaves the chosen file's folder current; the
    // remembered folder is read from there. A folder that cannot be entered
    // is remembered as the dialog named it, rather than whatever folder
    // happens to be current.
    ChosenLogo logo{path, windowsParentFolder(path)};
    if (files_.setCurrentDirectory(logo.folder))
        logo.folder = files_.currentDirectory();
    return logo;
}

bool LogoStore::installNewLogo(const std::string& newLogoPath, const std::string& installedPath,
                               const std::string& backupPath, const std::string& madeFrom) {
    const std::string failed =
        "Error while replacing file " + (madeFrom.empty() ? newLogoPath : installedPath) + " !";
    if (refuseImpossibleChange(installedPath, "replaced", failed))
        return false;
    // The present logo waits beside the backup until the new one is in: a
    // swap that fails must not cost the backup the user had.
    const std::string pending = pendingBackupPathFor(backupPath);
    bool backedUp = false;
    bool kept = false;
    switch (message("Do you wish the backup the present file " + installedPath + " ?",
                    MessageStyle::YesNoCancel)) {
        case Answer::Yes: {
            const Keeping keeping = keepPresentLogo(installedPath, pending);
            if (keeping == Keeping::Cancelled) {
                user_.setStatus(std::string(kSwapAborted));
                return false;
            }
            backedUp = true;
            kept = keeping == Keeping::Kept;
            break;
        }
        case Answer::No:
            break;
        default:
            user_.setStatus(std::string(kSwapAborted));
            return false;
    }

    if (!copyWithRetry(newLogoPath, installedPath, kRestoreFailedBox)) {
        if (kept)
            files_.deleteFile(pending);  // the logo is still installed
        user_.setStatus(failed);
        // No backup was made, so none is there to choose that was not before.
        return false;
    }
    if (kept)
        commitBackup(pending, backupPath);
    user_.setStatus((madeFrom.empty() ? "File " + newLogoPath : "The logo made from " + madeFrom) +
                    " has been successfully installed as new " + installedPath + ".");
    return backedUp;
}

void LogoStore::onSwap(Slot slot) {
    const auto chosen = chooseNewLogo();
    if (!chosen)
        return;
    writeSettingsFile(files_, paths_.settingsPath, chosen->folder);
    swapIn(slot, chosen->path);
}

void LogoStore::swapInFile(Slot slot, const std::string& path) {
    writeSettingsFile(files_, paths_.settingsPath, chosenLogo(path).folder);
    swapIn(slot, path);
}

void LogoStore::swapInMadeLogo(Slot slot, const std::string& madeLogo, const std::string& picture) {
    swapIn(slot, madeLogo, picture);
}

void LogoStore::swapIn(Slot slot, const std::string& path, const std::string& madeFrom) {
    if (!checkLogoSize(path))
        return;
    if (installNewLogo(path, paths_.installedOf(slot), paths_.backupOf(slot), madeFrom))
        user_.setBackupChoiceEnabled(slot, true);
    refreshThumbnail(slot);
}

}  // namespace quenlark
