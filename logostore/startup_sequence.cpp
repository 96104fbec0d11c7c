// The start-up sequence: works out every path, creates what is missing,
// captures the first-run logos and loads the thumbnails. A failing step is
// abandoned and the sequence goes on with the next one.
#include "logo_store.h"
#include "settings_file.h"
#include "size_check.h"

namespace quenlark {

namespace {

constexpr std::string_view kNoWindowsDirectory =
    "The Windows directory of the managed installation could not be determined, so its logos "
    "cannot be found. Quenlark will close without changing anything.";

// "C:\" for the Start Up logo, "C:\WINDOWS\" for the others.
std::string folderOf(const std::string& installedPath, const SlotInfo& slot) {
    return installedPath.substr(0, installedPath.size() - slot.installedName.size());
}

}  // namespace

bool LogoStore::startUp() {
    const std::string startupDirectory = files_.currentDirectory();
    user_.setStatus(openingNotice_ + " " + std::string(kWelcomeText));
    for (const auto& slot : kSlots)
        user_.selectCurrentChoice(slot.slot);

    const auto windowsDirectory = windowsDirectory_.query();
    if (!windowsDirectory) {
        message(std::string(kNoWindowsDirectory), MessageStyle::OkCritical);
        return false;
    }
    paths_ =
        formStorePaths(*windowsDirectory, startupDirectory, windowsDirectory_.settingsFolder());

    if (!files_.fileExists(paths_.settingsPath))
        writeSettingsFile(files_, paths_.settingsPath, files_.currentDirectory());

    enterOrCreateFolder(kBackupFolder);
    enterOrCreateFolder(kOriginalFolder);
    files_.setCurrentDirectory(paths_.startupDirectory);
    captureOriginals();

    for (const auto& slot : kSlots) {
        const std::string& installed = paths_.installedOf(slot.slot);
        // A file too large for a logo is not loaded: it is no valid bitmap.
        if (!oversized(installed) && user_.showThumbnail(slot.slot, installed))
            continue;
        message("WARNING! " + std::string(slot.spokenName) + " isn't present at location " +
                    folderOf(installed, slot) + ".",
                MessageStyle::OkExclamation);
        user_.setBackupButtonEnabled(slot.slot, false);
        user_.setStatus("Couldn't find " + std::string(slot.spokenName) +
                        " or not a valid bitmap !");
    }
    refreshBackupChoices();
    return true;
}

void LogoStore::enterOrCreateFolder(std::string_view name) {
    const std::string folder(name);
    const bool enteredStartup = files_.setCurrentDirectory(paths_.startupDirectory);
    const bool entered = files_.setCurrentDirectory(folder);
    if (!enteredStartup || !entered)
        files_.createFolder(folder);
}

// Captures each slot's first-run logo into the original folder, by bare names
// from inside it. A copy that exists is never overwritten. Each slot stands on
// its own: a stock Windows has no logo.sys, and that must not keep the shut
// down screens from being captured. A slot without an installed logo gets a
// marker instead, so that a logo the user installs later is never taken for
// the original. A file too large for a logo is neither: it is looked at again
// at the next start. Leaves the original folder current.
void LogoStore::captureOriginals() {
    if (!files_.setCurrentDirectory(paths_.startupDirectory) ||
        !files_.setCurrentDirectory(std::string(kOriginalFolder)))
        return;
    for (const auto& slot : kSlots) {
        const std::string original(slot.originalName);
        const std::string marker(slot.noLogoMarker);
        if (files_.fileExists(original) || files_.fileExists(marker))
            continue;
        const std::string& installed = paths_.installedOf(slot.slot);
        if (files_.fileExists(installed)) {
            if (!oversized(installed))
                files_.copyFile(installed, original);  // on failure: tried again at the next start
        } else {
            files_.writeEmptyFile(marker);
        }
    }
}

void LogoStore::refreshBackupChoices() {
    for (const auto& slot : kSlots)
        user_.setBackupChoiceEnabled(slot.slot, files_.fileExists(paths_.backupOf(slot.slot)));
}

}  // namespace quenlark
