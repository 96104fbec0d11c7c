// The main window's Drive menu: which Windows installation it manages. Each
// has its own backups and originals; switching runs the start-up sequence for
// the new one as at the program's start.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>

#include "boot_preview.h"
#include "bring_to_front.h"
#include "check_dialog.h"
#include "find_installations_dialog.h"
#include "logo_viewer.h"
#include "main_window.h"
#include "message_box.h"
#include "slot_page.h"
#include "thumbnail.h"

namespace quenlark {

namespace {

QString folderOf(const std::filesystem::path& path) {
    return QString::fromStdString(path.parent_path().string());
}

// "&3 drive_c (/home/u/dosbox/drive_c/WINDOWS)": the number is the key.
QString recentCaption(int number, const InstallationSwitcher::Recent& recent) {
    QString where = QString::fromStdString(recent.source.path.string());
    if (recent.source.partition)
        where += ", partition " + QString::number(*recent.source.partition);
    return QString("&%1 %2 (%3)").arg(number).arg(QString::fromStdString(recent.name), where);
}

}  // namespace

void MainWindow::fillDriveMenu(QMenu& menu) {
    menu.clear();
    auto add = [&](const char* name, const QString& caption, auto run) {
        QAction* action = menu.addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    add("openWindowsFolder", "Open &Windows Folder...", [this] { chooseWindowsFolder(); });
    add("openDiskImage", "Open Disk &Image...", [this] { chooseDiskImage(); });
    if (platform_.finder)
        add("findInstallations", "&Find Installations...", [this] { findInstallations(); });
    menu.addSeparator()->setObjectName("recentSeparator");
    int number = 0;
    for (const auto& recent : platform_.switcher->recentInstallations()) {
        QAction* action = add("recentInstallation", recentCaption(++number, recent),
                              [this, source = recent.source] { manage(source); });
        action->setCheckable(true);
        action->setChecked(recent.current);
    }
    if (number > 0)
        menu.addSeparator()->setObjectName("demoSeparator");
    add("demoDrive", "&Demo Drive", [this] { manageDemoDrive(); });
}

bool MainWindow::manage(const InstallationSource& source, const std::string& name) {
    if (const auto error = platform_.switcher->switchTo(source, name)) {
        showMessageBox(this, *error, MessageStyle::OkCritical);
        return false;
    }
    // What the other windows show belongs to the installation left behind.
    delete viewer_;
    delete bootPreview_;
    delete checkDialog_;
    for (const SlotInfo& slot : kSlots) {
        page(slot.slot).thumbnail()->clearPicture();
        shown_[static_cast<std::size_t>(slot.slot)] = {};
        setBackupButtonEnabled(slot.slot, true);
    }
    setInstallationControlsEnabled(true);
    store_ = std::make_unique<LogoStore>(platform_.files, platform_.windowsDirectory, *this,
                                         platform_.switcher->notice());
    store_->startUp();
    followInstallation();
    if (driveMenu_)
        fillDriveMenu(*driveMenu_);
    return true;
}

bool MainWindow::openWindowsFolder(const QString& folder) {
    std::string error;
    const auto windows = findWindowsFolder(folder.toStdString(), error);
    if (!windows) {
        showMessageBox(this, error, MessageStyle::OkExclamation);
        return false;
    }
    return manage({InstallationSource::Kind::Folder, *windows, std::nullopt, 'C'});
}

bool MainWindow::openDiskImage(const QString& file) {
    return manage({InstallationSource::Kind::DiskImage, file.toStdString(), std::nullopt, 'C'});
}

// The dialogs start beside the installation managed now, where the next one
// often is.
void MainWindow::chooseWindowsFolder() {
    const std::string letter = store_->paths().driveLetter();  // none without an installation
    const auto drive = letter.empty() ? std::nullopt : platform_.drives.root(letter.front());
    QFileDialog dialog(this, "Open Windows Folder", drive ? folderOf(*drive) : QDir::homePath());
    dialog.setObjectName("windowsFolderDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, "Open");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        openWindowsFolder(dialog.selectedFiles().front());
}

void MainWindow::chooseDiskImage() {
    QFileDialog dialog(this, "Open Disk Image", QDir::homePath());
    dialog.setObjectName("diskImageDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog matches these without regard to case: WIN98.IMG too.
    dialog.setNameFilters(
        {"Disk images (*.img *.ima *.hdd *.raw *.vhd *.vdi *.qcow2 *.vmdk)", "All files (*)"});
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        openDiskImage(dialog.selectedFiles().front());
}

void MainWindow::manageDemoDrive() {
    std::string error;
    if (const auto demo = platform_.switcher->demoDrive(error))
        manage(*demo);
    else
        showMessageBox(this, error, MessageStyle::OkCritical);
}

// Modeless, so that the window can be used while the search runs; opened
// again, it searches again, since machines come and go.
void MainWindow::findInstallations() {
    if (!findDialog_) {
        findDialog_ = new FindInstallationsDialog(
            *platform_.finder,
            [this](const FoundInstallation& found) { return manage(found.source, found.machine); },
            this);
        findDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    findDialog_->search();
    bringToFront(*findDialog_);
}

}  // namespace quenlark
