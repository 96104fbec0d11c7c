// The main window's drops: a file dropped on a slot's page is installed when
// it is a logo already, by the same Swap ! sequence as a file chosen in its
// dialog, and any other picture is opened in Make Logo From Picture with the
// slot as the place its Install puts the logo made.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "convert_dialog.h"
#include "dropped_file.h"
#include "logo_bitmap.h"
#include "main_window.h"
#include "message_box.h"
#include "new_file.h"
#include "picture_reader.h"
#include "size_check.h"
#include "tab_control.h"

namespace quenlark {

namespace {

constexpr const char* kNothingChanged = " Nothing has been changed.";

QString targetName(const SlotInfo& slot) {
    return QString::fromLatin1(slot.caption) + " (" +
           QString::fromLatin1(slot.installedName).toUpper() + ")";
}

}  // namespace

// A logo is what the swap would take (its size) and what Windows shows (its
// header); a file of a logo's size that is neither is left to the picture
// reader, which says what it is.
bool MainWindow::isInstallableLogo(const std::string& path) {
    const auto length = platform_.files.fileLength(path);
    if (!length || !hasLogoLength(*length))
        return false;
    const auto bytes = platform_.files.readFile(path, *length);
    return bytes && !converter::findLogoProblem(*bytes);
}

void MainWindow::fileDroppedOnSlot(Slot slot, const DroppedFile& dropped) {
    if (!dropped.problem.isEmpty()) {
        showMessageBox(this, dropped.problem.toStdString() + kNothingChanged,
                       MessageStyle::OkExclamation);
        return;
    }
    const std::string windowsPath =
        platform_.drives.toWindows(QFile::encodeName(dropped.path).toStdString());
    if (isInstallableLogo(windowsPath)) {
        runStoreCommand([&] { store_->swapInFile(slot, windowsPath); }, {slot},
                        SlotFiles::InstalledAndBackup);
        return;
    }
    // Read here, so that a file that is no picture opens no converter.
    if (const auto picture = converter::readPicture(dropped.path); !picture) {
        showMessageBox(this, picture.error() + kNothingChanged, MessageStyle::OkExclamation);
        return;
    }
    makeLogoFromPicture();
    converter_->chooseInstallTarget(static_cast<int>(slot));
    converter_->openPicture(dropped.path);
}

void MainWindow::offerInstall(ConvertDialog& converter) {
    QStringList targets;
    for (const SlotInfo& slot : kSlots)
        targets << targetName(slot);
    converter.setInstallTargets(targets);
    converter.chooseInstallTarget(tabs_->currentIndex());
    connect(&converter, &ConvertDialog::installRequested, this,
            [this](int target) { installMadeLogo(kSlots.at(target).slot); });
}

// The logo made is written to a folder of its own, which is gone once the
// swap has copied it; that folder is not one for the Swap dialog to remember.
void MainWindow::installMadeLogo(Slot slot) {
    if (!converter_ || !converter_->logo())
        return;
    const QTemporaryDir folder(QDir::temp().filePath("quenlark-made-logo-XXXXXX"));
    const QString file =
        folder.filePath(QString::fromLatin1(slotInfo(slot).installedName).toUpper());
    const auto written = folder.isValid()
                             ? converter::writeNewFile(QFile::encodeName(file).toStdString(),
                                                       converter::encodeLogo(*converter_->logo()),
                                                       converter::ExistingFile::Keep)
                             : converter::Result<converter::Done>::failure(
                                   "There is no temporary folder to make the logo in: " +
                                   folder.errorString().toStdString());
    if (!written) {
        showMessageBox(this, written.error() + kNothingChanged, MessageStyle::OkExclamation);
        return;
    }
    const std::string made = platform_.drives.toWindows(QFile::encodeName(file).toStdString());
    const std::string picture =
        platform_.drives.toWindows(QFile::encodeName(converter_->picturePath()).toStdString());
    runStoreCommand([&] { store_->swapInMadeLogo(slot, made, picture); }, {slot},
                    SlotFiles::InstalledAndBackup);
}

}  // namespace quenlark
