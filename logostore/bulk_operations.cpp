// The menu commands that act on all three slots: Backup All, Restore All and
// Restore Originals.
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

std::array<bool, 3> LogoStore::backUpAll() {
    std::array<bool, 3> notBackedUp{};
    for (const auto& slot : kSlots) {
        const std::string& installed = paths_.installedOf(slot.slot);
        notBackedUp[static_cast<std::size_t>(slot.slot)] =
            !backUpLogo(installed, paths_.backupOf(slot.slot)) && files_.fileExists(installed);
    }
    for (const auto& slot : kSlots)
        user_.setBackupChoiceEnabled(slot.slot, true);
    return notBackedUp;
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
    if (message(std::string(kResetQuestion), MessageStyle::YesNo) != Answer::Yes)
        return;
    const Answer backup = message(std::string(kBackupAllQuestion), MessageStyle::YesNoCancel);
    // A logo whose backup the user asked for and did not get is not replaced:
    // the reset would lose it.
    std::array<bool, 3> notBackedUp{};
    if (backup == Answer::Yes)
        notBackedUp = backUpAll();
    else if (backup != Answer::No)
        return;

    // Without the original folder nothing is restored: the bare names must
    // not be looked up in another folder.
    const bool inOriginals = files_.setCurrentDirectory(paths_.startupDirectory) &&
                             files_.setCurrentDirectory(std::string(kOriginalFolder));
    std::vector<std::string> notRestored;
    for (const auto& slot : kSlots) {
        if (!inOriginals || notBackedUp[static_cast<std::size_t>(slot.slot)] ||
            !restoreOriginal(slot))
            notRestored.push_back(paths_.installedOf(slot.slot));
    }
    files_.setCurrentDirectory(paths_.startupDirectory);

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
