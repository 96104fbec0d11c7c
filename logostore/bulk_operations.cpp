// The menu commands that act on all three slots: Backup All, Restore All and
// Restore Originals.
#include "copy_texts.h"
#include "logo_store.h"

namespace quenlark {

namespace {

constexpr std::string_view kResetQuestion =
    "This will reset all 3 logos to the ones that where on your system before you ran this "
    "program for the first time. Do you wish to continue ?";
constexpr std::string_view kBackupAllQuestion =
    "Do you wish to backup all the present bitmaps acting as logo screens?";

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names)
        out += (out.empty() ? "" : ", ") + name;
    return out;
}

}  // namespace

void LogoStore::backUpAll() {
    for (const auto& slot : kSlots)
        backUpLogo(paths_.installedOf(slot.slot), paths_.backupOf(slot.slot));
    for (const auto& slot : kSlots)
        user_.setBackupChoiceEnabled(slot.slot, true);
}

void LogoStore::restoreAll() {
    for (const auto& slot : kSlots) {
        restoreLogo(paths_.backupOf(slot.slot), paths_.installedOf(slot.slot));
        refreshThumbnail(slot.slot);
    }
}

// Runs with the original folder current, naming the copies by bare names.
bool LogoStore::restoreOriginal(const SlotInfo& slot) {
    const std::string& installed = paths_.installedOf(slot.slot);
    bool restored = false;
    if (files_.fileExists(std::string(slot.originalName))) {
        restored = files_.copyFile(std::string(slot.originalName), installed);
        refreshThumbnail(slot.slot);
    } else if (files_.fileExists(std::string(slot.noLogoMarker))) {
        // There was no logo at first run (Windows showed its own screen):
        // putting that back means removing the one installed since.
        restored = !files_.fileExists(installed) || files_.deleteFile(installed);
        if (user_.isCurrentChoiceSelected(slot.slot) && restored)
            user_.showThumbnail(slot.slot, "");
        else
            refreshThumbnail(slot.slot);
    }
    return restored;
}

void LogoStore::restoreOriginals() {
    // Known before anything is asked: a reset that cannot be made at all.
    for (const auto& slot : kSlots) {
        if (refuseImpossibleChange(paths_.installedOf(slot.slot), "reset to its original",
                                   "The original logos have not been restored."))
            return;
    }
    if (message(std::string(kResetQuestion), MessageStyle::YesNo) != Answer::Yes)
        return;
    const Answer backup = message(std::string(kBackupAllQuestion), MessageStyle::YesNoCancel);
    if (backup != Answer::Yes && backup != Answer::No)
        return;

    // The logos asked to be backed up wait beside their backups until their
    // slots are reset: a slot that is not reset keeps the backup it had. A
    // logo whose backup the user asked for and did not get is not replaced:
    // the reset would lose it.
    std::array<bool, 3> kept{}, notKept{};
    if (backup == Answer::Yes) {
        for (const auto& slot : kSlots) {
            const auto i = static_cast<std::size_t>(slot.slot);
            const std::string& installed = paths_.installedOf(slot.slot);
            if (oversized(installed))
                continue;  // no logo to keep
            kept[i] = copyWithRetry(installed, pendingBackupPathFor(paths_.backupOf(slot.slot)),
                                    kCopyFailedBox, kCopyFailedStatus);
            notKept[i] = !kept[i] && files_.fileExists(installed);
        }
        for (const auto& slot : kSlots)
            user_.setBackupChoiceEnabled(slot.slot, true);
    }

    // Without the original folder nothing is restored: the bare names must
    // not be looked up in another folder.
    const bool inOriginals = files_.setCurrentDirectory(paths_.startupDirectory) &&
                             files_.setCurrentDirectory(std::string(kOriginalFolder));
    std::array<bool, 3> restored{};
    std::vector<std::string> notRestored;
    for (const auto& slot : kSlots) {
        const auto i = static_cast<std::size_t>(slot.slot);
        restored[i] = inOriginals && !notKept[i] && restoreOriginal(slot);
        if (!restored[i])
            notRestored.push_back(paths_.installedOf(slot.slot));
    }
    files_.setCurrentDirectory(paths_.startupDirectory);

    for (const auto& slot : kSlots) {
        const auto i = static_cast<std::size_t>(slot.slot);
        const std::string pending = pendingBackupPathFor(paths_.backupOf(slot.slot));
        if (!kept[i])
            continue;
        if (!restored[i]) {
            files_.deleteFile(pending);  // the logo is still installed
            continue;
        }
        commitBackup(pending, paths_.backupOf(slot.slot));
        if (!user_.isCurrentChoiceSelected(slot.slot))
            refreshThumbnail(slot.slot);
    }

    if (notRestored.empty()) {
        user_.setStatus("All original logos have been successfully restored.");
        return;
    }
    user_.setStatus(
        "The original logos could not all be restored. Not restored: " + joined(notRestored) + ".");
    message("These logos could not be put back as they were when Quenlark first ran: " +
                joined(notRestored) +
                ". Their original copies are missing from the ORIGINAL folder, the logo files "
                "could not be written, or the backup asked for could not be made first. The "
                "other logos have been restored.",
            MessageStyle::OkExclamation);
}

}  // namespace quenlark
