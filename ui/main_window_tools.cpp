// The main window's Tools menu: commands of our own beside the logo store's,
// working on host files through the converter and the boot preview.
#include <QDir>
#include <QStandardPaths>

#include "boot_preview.h"
#include "bring_to_front.h"
#include "convert_dialog.h"
#include "main_window.h"
#include "message_box.h"
#include "open_file_dialog.h"
#include "settings_file.h"
#include "tab_control.h"

namespace quenlark {

namespace {

// A logo is 129,078 bytes; anything far beyond that is no logo worth reading
// whole into memory.
constexpr std::uint64_t kLargestPreviewedFile = 16 * 1024 * 1024;

}  // namespace

// One converter at a time, modeless, so that the user can swap the logo it
// saved without closing it. It starts where the Swap dialog last looked, so
// that a saved logo is found there; before any swap, among the user's
// pictures.
void MainWindow::makeLogoFromPicture() {
    if (!converter_) {
        std::optional<QString> folder;
        if (const auto remembered =
                readRememberedFolder(platform_.files, store_->paths().settingsPath))
            folder = hostFolder(*remembered, platform_.drives, platform_.files.currentDirectory());
        if (!folder)
            folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!QDir(*folder).exists())
            folder = QDir::homePath();
        converter_ = new ConvertDialog(this, *folder);
        converter_->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringToFront(*converter_);
}

// The file the shown page's thumbnail previews, as Windows would show it.
void MainWindow::showBootPreview() {
    const Slot slot = kSlots[static_cast<std::size_t>(tabs_->currentIndex())].slot;
    const std::string path = store_->previewedFile(slot);
    const auto bytes = platform_.files.readFile(path, kLargestPreviewedFile);
    if (!bytes) {
        showMessageBox(this,
                       "The file " + path + " cannot be read, so there is nothing to preview.",
                       MessageStyle::OkExclamation);
        return;
    }
    if (!bootPreview_)
        bootPreview_ = new BootPreviewWindow;
    bootPreview_->showLogo(QByteArray::fromStdString(*bytes), QString::fromStdString(path));
    bringToFront(*bootPreview_);
}

}  // namespace quenlark
