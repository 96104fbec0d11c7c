// Backup and restore of one slot, and the Retry/Cancel copy they share with
// the swap.
#include "copy_texts.h"
#include "logo_store.h"

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

bool LogoStore::keepPresentLogo(const std::string& Huidig, const std::string& keep) {
    if (!files_.fileExists(Huidig)) {
        files_.copyFile(Huidig, keep);  // nothing to keep; the attempt is all there is
        return true;
    }
    return copyWithRetry(Huidig, keep, kCopyFailedBox);
}

void LogoStore::refreshThumbnail(Slot slot) {
    user_.showThumbnail(slot, previewedFile(slot));
}

void LogoStore::Backup(const std::string& Huidig, const std::string& Back) {
    backupLogo(Huidig, Back);
}

bool LogoStore::backupLogo(const std::string& Huidig, const std::string& Back) {
    if (!copyWithRetry(Huidig, Back, kCopyFailedBox, kCopyFailedStatus))
        return false;
    for (const auto& slot : kSlots)
        refreshThumbnail(slot.slot);
    user_.setStatus("File " + Huidig + " has been successfully copied to " + Back + ".");
    return true;
}

void LogoStore::Restore(const std::string& Back, const std::string& Huidig) {
    const std::string temporary = temporaryPathFor(Huidig);
    if (!files_.fileExists(Back)) {
        user_.setStatus("Error while opening " + Back + ". File not found !");
        message("The backup file " + Back + " doesn't exist ! Make a backup first !",
                MessageStyle::OkCritical);
        return;
    }

    switch (message("Do you wish to backup the file presently acting as " + Huidig + " ?",
                    MessageStyle::YesNoCancel)) {
        case Answer::Yes:
            if (!keepPresentLogo(Huidig, temporary)) {
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

    if (!copyWithRetry(Back, Huidig, kRestoreFailedBox)) {
        user_.setStatus("Error while restoring file !");
        return;  // a temporary file stays for the next restore to pick up
    }
    user_.setStatus("File " + Back + " has been successfully restored back to " + Huidig + ".");

    // The former logo becomes the backup. Should that copy fail, the
    // temporary file is its only copy, so it stays.
    if (files_.fileExists(temporary) && files_.copyFile(temporary, Back))
        files_.deleteFile(temporary);
}

void LogoStore::backupClicked(Slot slot) {
    Backup(paths_.installedOf(slot), paths_.backupOf(slot));
    user_.setBackupChoiceEnabled(slot, true);
}

void LogoStore::restoreClicked(Slot slot) {
    Restore(paths_.backupOf(slot), paths_.installedOf(slot));
    refreshThumbnail(slot);
}

}  // namespace quenlark
