// The main window's side of the logo store's conversation with the user, and
// its own event procedures: preview, viewer, Quit, readme and about box.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "bring_to_front.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "message_box.h"
#include "open_file_dialog.h"
#include "picture_loader.h"
#include "readme_command.h"
#include "slot_page.h"
#include "thumbnail.h"

namespace quenlark {

Answer Form1::showMessage(const std::string& text, MessageStyle style) {
    return showMessageBox(this, text, style);
}

void Form1::setStatus(const std::string& text) {
    status_->setText(QString::fromStdString(text));
}

bool Form1::showThumbnail(Slot slot, const std::string& path) {
    Thumbnail* thumbnail = page(slot).thumbnail();
    if (path.empty()) {
        thumbnail->clearPicture();
        return true;
    }
    const auto picture = loadPicture(platform_.files, path);
    if (!picture)
        return false;
    thumbnail->showPicture(*picture, QString::fromStdString(path));
    return true;
}

void Form1::setBackupButtonEnabled(Slot slot, bool enabled) {
    page(slot).backupButton()->setEnabled(enabled);
}

void Form1::setBackupChoiceEnabled(Slot slot, bool enabled) {
    page(slot).backupChoice()->setEnabled(enabled);
}

bool Form1::isCurrentChoiceSelected(Slot slot) {
    return page(slot).currentChoice()->isChecked();
}

// Unlike a click, this runs no option handler: the start-up sequence loads
// the thumbnails itself.
void Form1::selectCurrentChoice(Slot slot) {
    page(slot).currentChoice()->setChecked(true);
}

std::optional<std::string> Form1::showOpenDialog(const FileDialogRequest& request) {
    return runOpenFileDialog(this, request, platform_.drives, platform_.files.currentDirectory());
}

void Form1::Option1_Click(int) {
    previewChoiceClicked(Slot::StartUp);
}
void Form1::Option3_Click(int) {
    previewChoiceClicked(Slot::Wait);
}
void Form1::Option5_Click(int) {
    previewChoiceClicked(Slot::ShutDown);
}
void Form1::Image1_Click() {
    thumbnailClicked(Slot::StartUp);
}
void Form1::Image2_Click() {
    thumbnailClicked(Slot::Wait);
}
void Form1::Image3_Click() {
    thumbnailClicked(Slot::ShutDown);
}

// A file that cannot be loaded leaves the thumbnail as it was, silently.
void Form1::previewChoiceClicked(Slot slot) {
    showThumbnail(slot, store_.previewedFile(slot));
}

// The viewer reads the file afresh, so it shows the file as it is now. A file
// that cannot be loaded opens no viewer, silently.
void Form1::thumbnailClicked(Slot slot) {
    const std::string path = store_.previewedFile(slot);
    const auto picture = loadPicture(platform_.files, path);
    if (!picture)
        return;
    if (!viewer_)
        viewer_ = new Form3;
    viewer_->showPicture(*picture, QString::fromStdString(path));
    bringToFront(*viewer_);
}

// Closes this window only: an open viewer or about box stays, and nothing is
// written.
void Form1::Exit_Click() {
    close();
}

void Form1::readme_Click() {
    const StorePaths& paths = store_.paths();
    if (const auto failure =
            openReadme(platform_.programs, paths.windowsDirectory, paths.startupDirectory))
        showMessage(*failure, kReadmeFailureStyle);
}

// The about box is a window of its own: it stays after a Quit.
void Form1::about_Click() {
    Form2::showAbout(platform_);
}

}  // namespace quenlark
