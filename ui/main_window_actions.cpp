// The main window's side of the logo store's conversation with the user, and
// its own commands: preview, viewer, Quit, readme and about box.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "about_box.h"
#include "bring_to_front.h"
#include "logo_viewer.h"
#include "main_window.h"
#include "message_box.h"
#include "open_file_dialog.h"
#include "picture_loader.h"
#include "program_fonts.h"
#include "readme_command.h"
#include "settings_file.h"
#include "slot_page.h"
#include "text_fit.h"
#include "thumbnail.h"

namespace quenlark {

// A copy that failed may have a reason the box's text cannot know: a disk
// image that an emulator holds, a folder the user may not write. It goes
// under the text. Where the file cannot be changed whatever is tried (a
// read-only disk image, no FUSE), Retry would only fail again: the box has
// OK alone, and the copy is given up as after Cancel.
Answer MainWindow::showMessage(const std::string& text, MessageStyle style) {
    if (style != MessageStyle::RetryCancel)
        return showMessageBox(this, text, style);
    const std::string failure = platform_.files.lastFailure();
    const auto hopeless = whyRetryCannotHelp();
    if (!hopeless)
        return showMessageBox(this, text, style, failure);
    showMessageBox(this, text, MessageStyle::OkCritical,
                   failure.empty() || failure == *hopeless ? *hopeless : failure + " " + *hopeless);
    return Answer::Cancel;
}

std::optional<std::string> MainWindow::whyRetryCannotHelp() {
    for (const std::string& file : changing_) {
        if (auto why = platform_.files.whyCannotChange(file))
            return why;
    }
    return std::nullopt;
}

// A text too long for the line at the layout's size is set smaller rather
// than cut off; the next text starts from the layout's size again.
void MainWindow::setStatus(const std::string& text) {
    status_->setFont(windowDefaultFont());
    status_->setText(QString::fromStdString(text));
    // The label tells assistive technology of its new text itself (its name
    // changed), so a screen reader speaks the outcome of each operation.
    shrinkFontToFit(*status_);
}

bool MainWindow::showThumbnail(Slot slot, const std::string& path) {
    Thumbnail* thumbnail = page(slot).thumbnail();
    ShownPicture& shown = shown_[static_cast<std::size_t>(slot)];
    if (path.empty()) {
        thumbnail->clearPicture();
        shown = {};
        return true;
    }
    const auto bytes = platform_.files.readFile(path, kLargestPicture);
    const auto picture = bytes ? decodePicture(*bytes) : std::nullopt;
    if (!picture)
        return false;
    thumbnail->showPicture(*picture, QString::fromStdString(path));
    shown = {path, std::hash<std::string>{}(*bytes)};
    return true;
}

void MainWindow::setBackupButtonEnabled(Slot slot, bool enabled) {
    page(slot).backupButton()->setEnabled(enabled);
}

void MainWindow::setBackupChoiceEnabled(Slot slot, bool enabled) {
    page(slot).backupChoice()->setEnabled(enabled);
}

bool MainWindow::isCurrentChoiceSelected(Slot slot) {
    return page(slot).currentChoice()->isChecked();
}

// Unlike a click, this runs no option handler: the start-up sequence loads
// the thumbnails itself.
void MainWindow::selectCurrentChoice(Slot slot) {
    page(slot).currentChoice()->setChecked(true);
}

bool MainWindow::canChooseNewLogo() {
    FileSystem& files = platform_.files;
    const StorePaths& paths = store_->paths();
    if (readRememberedFolder(files, paths.settingsPath))
        return true;
    // Made as the start-up sequence makes it, where it could not be then (an
    // emulator held the disk image).
    const bool missing = !files.fileExists(paths.settingsPath);
    if (missing && writeSettingsFile(files, paths.settingsPath, paths.startupDirectory))
        return true;
    const std::string why = missing ? files.lastFailure() : std::string();
    setStatus("Swap action has been aborted.");
    showMessageBox(this,
                   "No bitmap can be chosen: Quenlark opens the file dialog in the folder that " +
                       paths.settingsPath + " remembers, and " +
                       (missing ? "that file is missing and cannot be made."
                                : "no folder can be read from that file."),
                   MessageStyle::OkExclamation, why);
    return false;
}

std::optional<std::string> MainWindow::showOpenDialog(const FileDialogRequest& request) {
    return runOpenFileDialog(this, request, platform_.drives, platform_.files.currentDirectory());
}

// A file that cannot be loaded leaves the thumbnail as it was, silently.
void MainWindow::previewChoiceClicked(Slot slot) {
    showThumbnail(slot, store_->previewedFile(slot));
}

// The viewer reads the file afresh, so it shows the file as it is now. A file
// that cannot be loaded opens no viewer, silently.
void MainWindow::thumbnailClicked(Slot slot) {
    const std::string path = store_->previewedFile(slot);
    const auto picture = loadPicture(platform_.files, path);
    if (!picture)
        return;
    if (!viewer_)
        viewer_ = new LogoViewer;
    viewer_->showPicture(*picture, QString::fromStdString(path));
    bringToFront(*viewer_);
}

// Closes this window only: an open viewer or about box stays, and nothing is
// written.
void MainWindow::quit() {
    close();
}

void MainWindow::showReadme() {
    const StorePaths& paths = store_->paths();
    if (const auto failure =
            openReadme(platform_.programs, paths.windowsDirectory, paths.startupDirectory))
        showMessage(*failure, kReadmeFailureStyle);
}

// The about box is a window of its own: it stays after a Quit.
void MainWindow::showAbout() {
    AboutBox::showAbout(platform_);
}

}  // namespace quenlark
