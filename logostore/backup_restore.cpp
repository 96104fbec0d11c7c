// Backup and restore of one slot, and the Retry/Cancel copy they share with
// the swap.
#include "copy_texts.h"
#include "logo_store.h"
#include "size_check.h"

namespace quenlark {

namespace {
constexpr std::string_view kRestoreAborted = "Restore action has been aborted.";
}

bool LogoStore::copyWithRetry(const std::string& from, const std::string& to,
                              std::string_view boxText, std::string_view failureStatus) {
    while (!files_.copyFile(from, to)) {
        if (!failureStatus.empty())
            user_.setStatus(std::string(failureStatus));
        if (message(std::string(boxText), MessageStyle::RetryCancel) != Answer::Retry)
            return false;
    }
    return true;
}

bool LogoStore::oversized(const std::string& path) {
    return !tooLargeForALogo(files_, path).empty();
}

bool LogoStore::refuseOversized(const std::string& path, const std::string& status) {
    const std::string why = tooLargeForALogo(files_, path);
    if (why.empty())
        return false;
    user_.setStatus(status);
    message(why + " Quenlark does not copy it.", MessageStyle::OkCritical);
    return true;
}

bool LogoStore::refuseImpossibleChange(const std::string& installedPath, const std::string& what,
                                       const std::string& status) {
    const auto why = files_.whyCannotChange(installedPath);
    if (!why)
        return false;
    user_.setStatus(status);
    message(installedPath + " cannot be " + what + ", so nothing has been changed. " + *why,
            MessageStyle::OkCritical);
    return true;
}

LogoStore::Keeping LogoStore::keepPresentLogo(const std::string& installedPath,
                                              const std::string& keep) {
    if (!files_.fileExists(installedPath) || oversized(installedPath))
        return Keeping::NothingToKeep;
    return copyWithRetry(installedPath, keep, kCopyFailedBox) ? Keeping::Kept : Keeping::Cancelled;
}

void LogoStore::commitBackup(const std::string& pending, const std::string& backupPath) {
    if (copyWithRetry(pending, backupPath, kCopyFailedBox))
        files_.deleteFile(pending);
}

void LogoStore::refreshThumbnail(Slot slot) {
    const std::string file = previewedFile(slot);
    if (!oversized(file))
        user_.showThumbnail(slot, file);
}

bool LogoStore::backUpLogo(const std::string& installedPath, const std::string& backupPath) {
    if (refuseOversized(installedPath, std::string(kCopyFailedStatus)))
        return false;
    if (!copyWithRetry(installedPath, backupPath, kCopyFailedBox, kCopyFailedStatus))
        return false;
    for (const auto& slot : kSlots)
        refreshThumbnail(slot.slot);
    user_.setStatus("File " + installedPath + " has been successfully copied to " + backupPath +
                    ".");
    return true;
}

void LogoStore::restoreLogo(const std::string& backupPath, const std::string& installedPath) {
    const std::string temporary = temporaryPathFor(installedPath);
    if (!files_.fileExists(backupPath)) {
        user_.setStatus("Error while opening " + backupPath + ". File not found !");
        message("The backup file " + backupPath + " doesn't exist ! Make a backup first !",
                MessageStyle::OkCritical);
        return;
    }
    if (refuseImpossibleChange(installedPath, "restored", "Error while restoring file !"))
        return;

    switch (message("Do you wish to backup the file presently acting as " + installedPath + " ?",
                    MessageStyle::YesNoCancel)) {
        case Answer::Yes:
            if (keepPresentLogo(installedPath, temporary) == Keeping::Cancelled) {
                user_.setStatus(std::string(kRestoreAborted));
                return;
            }
            break;
        case Answer::No:
            break;
        default:
            user_.setStatus(std::string(kRestoreAborted));
            return;
    }

    if (!copyWithRetry(backupPath, installedPath, kRestoreFailedBox)) {
        user_.setStatus("Error while restoring file !");
        return;  // a temporary file stays for the next restore to pick up
    }
    user_.setStatus("File " + backupPath + " has been successfully restored back to " +
                    installedPath + ".");

    // The former logo becomes the backup. Should that copy fail, the
    // temporary file is its only copy, so it stays.
    if (files_.fileExists(temporary) && files_.copyFile(temporary, backupPath))
        files_.deleteFile(temporary);
}

void LogoStore::onBackUp(Slot slot) {
    backUpLogo(paths_.installedOf(slot), paths_.backupOf(slot));
    user_.setBackupChoiceEnabled(slot, true);
}

void LogoStore::onRestore(Slot slot) {
    restoreLogo(paths_.backupOf(slot), paths_.installedOf(slot));
    refreshThumbnail(slot);
}

}  // namespace quenlark
