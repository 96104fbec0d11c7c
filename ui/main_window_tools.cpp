// The main window's Tools menu: commands of our own beside the logo store's,
// working on host files through the converter and the boot preview.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

#include "boot_preview.h"
#include "bring_to_front.h"
#include "builtin_logo_reader.h"
#include "check_dialog.h"
#include "convert_dialog.h"
#include "installation_check.h"
#include "main_window.h"
#include "message_box.h"
#include "new_file.h"
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
        offerInstall(*converter_);
    }
    bringToFront(*converter_);
}

// The file the shown page's thumbnail previews, as Windows would show it.
// Without a start-up logo Windows shows the one built into IO.SYS, and so
// does the preview.
void MainWindow::showBootPreview() {
    const Slot slot = kSlots[static_cast<std::size_t>(tabs_->currentIndex())].slot;
    const std::string path = store_->previewedFile(slot);
    if (slot == Slot::StartUp && path == store_->paths().installedOf(slot) &&
        !platform_.files.fileExists(path)) {
        showBuiltinLogo(path);
        return;
    }
    const auto bytes = platform_.files.readFile(path, kLargestPreviewedFile);
    if (!bytes) {
        showMessageBox(this,
                       "The file " + path + " cannot be read, so there is nothing to preview.",
                       MessageStyle::OkExclamation);
        return;
    }
    showInBootPreview(*bytes, QString::fromStdString(path), {});
}

void MainWindow::showBuiltinLogo(const std::string& missingLogo) {
    std::string error;
    const auto logo = readBuiltinLogo(platform_.files, store_->paths(), error);
    if (!logo) {
        showMessageBox(this,
                       "There is no " + missingLogo +
                           ", so Windows shows the start-up logo built into IO.SYS, but it "
                           "cannot be shown here. " +
                           error,
                       MessageStyle::OkExclamation);
        return;
    }
    const QString ioSys = QString::fromStdString(ioSysPath(store_->paths()));
    showInBootPreview(*logo, ioSys,
                      "There is no " + QString::fromStdString(missingLogo) +
                          ", so Windows shows this logo, built into " + ioSys + ".");
}

void MainWindow::showInBootPreview(const std::string& bytes, const QString& caption,
                                   const QString& heading) {
    if (!bootPreview_)
        bootPreview_ = new BootPreviewWindow;
    bootPreview_->showLogo(QByteArray::fromStdString(bytes), caption, heading);
    bringToFront(*bootPreview_);
}

// The same logo as quenlark-convert --builtin-logo writes: to look at, or to
// start a logo of one's own from.
void MainWindow::saveBuiltinLogoAs() {
    std::string error;
    if (!readBuiltinLogo(platform_.files, store_->paths(), error)) {
        showMessageBox(this, error, MessageStyle::OkExclamation);
        return;
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(this, "Save Built-in Logo As", folder + "/LOGO.SYS");
    dialog.setObjectName("builtinLogoDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Logo files (*.sys)", "Bitmap files (*.bmp)", "All files (*)"});
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveBuiltinLogo(dialog.selectedFiles().front());
}

bool MainWindow::saveBuiltinLogo(const QString& file) {
    std::string error;
    const auto logo = readBuiltinLogo(platform_.files, store_->paths(), error);
    // The dialog has asked before replacing a file.
    const auto written = logo ? converter::writeNewFile(QFile::encodeName(file).toStdString(),
                                                        *logo, converter::ExistingFile::Replace)
                              : converter::Result<converter::Done>::failure(error);
    if (!written) {
        showMessageBox(this, written.error(), MessageStyle::OkExclamation);
        return false;
    }
    // In the Windows form, as every other path on the status line.
    std::error_code ec;
    const std::filesystem::path host = QFile::encodeName(file).toStdString();
    const std::filesystem::path absolute = std::filesystem::absolute(host, ec);
    const std::string saved = platform_.drives.toWindows(ec ? host : absolute);
    setStatus("The built-in start-up logo of " + ioSysPath(store_->paths()) +
              " has been saved as " + saved + ".");
    return true;
}

// What will keep Windows from showing each logo. The dialog is modeless and
// shows the latest check.
void MainWindow::checkInstallation() {
    const auto findings = quenlark::checkInstallation(platform_.files, store_->paths());
    if (!checkDialog_) {
        checkDialog_ = new CheckDialog(findings, this);
        checkDialog_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        checkDialog_->showFindings(findings);
    }
    bringToFront(*checkDialog_);
    setStatus(checkSummary(findings));
}

}  // namespace quenlark
