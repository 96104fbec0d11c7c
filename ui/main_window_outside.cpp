// The main window and the other programs that change the installation while
// it is open: quenlark-logo, a file manager, the emulator itself. What the
// thumbnails show is kept up to date, and no command copies a logo other
// than the one the user sees.
#include <QEvent>
#include <functional>
#include <utility>

#include "main_window.h"
#include "message_box.h"
#include "outside_changes.h"
#include "picture_loader.h"
#include "slot_page.h"
#include "thumbnail.h"
#include "windows_path.h"

namespace quenlark {

namespace {

std::string joinedPaths(const std::vector<std::string>& paths) {
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i)
        text += (i == 0 ? "" : i + 1 == paths.size() ? " and " : ", ") + paths[i];
    return text;
}

}  // namespace

// The slot files on host folders are watched; those in a disk image are
// followed through the image file's state.
void MainWindow::followInstallation() {
    const StorePaths& paths = store_->paths();
    const std::string current = platform_.files.currentDirectory();
    std::vector<std::filesystem::path> hostFiles;
    for (const SlotInfo& slot : kSlots) {
        for (const std::string& file : {paths.installedOf(slot.slot), paths.backupOf(slot.slot)}) {
            const auto parsed = parseWindowsPath(file, current);
            if (const auto host = parsed ? platform_.drives.toHost(*parsed) : std::nullopt)
                hostFiles.push_back(*host);
        }
    }
    outside_->follow(std::move(hostFiles),
                     platform_.switcher ? platform_.switcher->imageFile() : std::nullopt);
}

std::vector<std::string> MainWindow::refreshFromOutside() {
    std::vector<std::string> changed;
    FileSystem& files = platform_.files;
    for (const SlotInfo& slot : kSlots) {
        const std::string path = store_->previewedFile(slot.slot);
        ShownPicture& shown = shown_[static_cast<std::size_t>(slot.slot)];
        Thumbnail& thumbnail = *page(slot.slot).thumbnail();
        if (const auto bytes = files.readFile(path, kLargestPicture)) {
            const std::size_t content = std::hash<std::string>{}(*bytes);
            const auto picture = shown.path == path && shown.content == content
                                     ? std::nullopt
                                     : decodePicture(*bytes);
            if (picture) {
                thumbnail.showPicture(*picture, QString::fromStdString(path));
                shown = {path, content};
                changed.push_back(path);
            }
        } else if (shown.path == path && shown.content && !files.fileExists(path)) {
            thumbnail.clearPicture();
            shown.content.reset();
            changed.push_back(path);
        }
        // A logo that can be shown now can be backed up, and a backup made
        // outside can be shown; neither is taken away here.
        if (shown.content && shown.path == store_->paths().installedOf(slot.slot))
            setBackupButtonEnabled(slot.slot, true);
        if (files.fileExists(store_->paths().backupOf(slot.slot)))
            setBackupChoiceEnabled(slot.slot, true);
    }
    outside_->lookedAt();
    return changed;
}

bool MainWindow::showsInstallationAsItIs() {
    if (!hasInstallation_ || !outside_->changedSinceLooked())
        return true;
    const std::vector<std::string> changed = refreshFromOutside();
    if (changed.empty())
        return true;
    showMessageBox(this,
                   "Another program has changed " + joinedPaths(changed) +
                       " since Quenlark showed " + (changed.size() == 1 ? "it" : "them") +
                       ". Nothing has been done: the thumbnails now show the logos as they are. "
                       "Look at them and try again.",
                   MessageStyle::OkExclamation);
    return false;
}

void MainWindow::runStoreCommand(const std::function<void()>& command,
                                 const std::vector<Slot>& changedSlots, SlotFiles files) {
    if (!hasInstallation_) {  // only the converter's Install gets here then
        showMessageBox(this,
                       "Quenlark manages no installation now: open a Windows folder or a disk "
                       "image from the Drive menu first.",
                       MessageStyle::OkExclamation);
        return;
    }
    if (busy_ || !showsInstallationAsItIs())
        return;
    busy_ = true;
    changing_.clear();
    for (Slot slot : changedSlots) {
        changing_.push_back(store_->paths().backupOf(slot));
        if (files == SlotFiles::InstalledAndBackup)
            changing_.push_back(store_->paths().installedOf(slot));
    }
    command();
    changing_.clear();
    busy_ = false;
    if (std::exchange(refreshWhenDone_, false))
        refreshFromOutside();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && outside_ && isActiveWindow() &&
        hasInstallation_ && !busy_ && outside_->changedSinceLooked())
        refreshFromOutside();
}

}  // namespace quenlark
