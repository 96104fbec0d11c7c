// Every button and menu command of the main window runs its procedure, seen in
// the files and on the status line, from its page; the shortcuts work from
// every page.
#include <QAccessible>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <map>
#include <thread>

#include "about_box.h"
#include "faulty_file_system.h"
#include "find_installations_dialog.h"
#include "image_guard.h"
#include "image_maker.h"
#include "logo_viewer.h"
#include "modal_answerer.h"
#include "program_style.h"
#include "sample_logo.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

namespace {

struct SlotCase {
    int page;
    const char* swap;
    const char* restore;
    const char* backup;
    const char* backupChoice;
    const char* image;
    const char* installed;  // Windows paths as the store forms them
    const char* backupFile;
};

const SlotCase kSlotCases[] = {
    {0, "startUpPage/swapButton", "startUpPage/restoreButton", "startUpPage/backupButton",
     "startUpPage/backupChoice", "startUpPage/thumbnail", "C:\\logo.sys",
     "C:\\TOOLS\\backup\\logo.qnk"},
    {1, "waitPage/swapButton", "waitPage/restoreButton", "waitPage/backupButton",
     "waitPage/backupChoice", "waitPage/thumbnail", "C:\\WINDOWS\\logow.sys",
     "C:\\TOOLS\\backup\\logow.qnk"},
    {2, "shutDownPage/swapButton", "shutDownPage/restoreButton", "shutDownPage/backupButton",
     "shutDownPage/backupChoice", "shutDownPage/thumbnail", "C:\\WINDOWS\\logos.sys",
     "C:\\TOOLS\\backup\\logos.qnk"},
};

// Every file of the drive with its content.
std::map<fs::path, std::string> snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files[entry.path()] = entry.is_regular_file() ? TempDrive::read(entry.path()) : "<folder>";
    return files;
}

// Finds what it is given, slowly enough for the progress bar to show, and
// says which thread it ran on.
struct SlowFinder : InstallationFinder {
    std::vector<FoundInstallation> found;
    std::vector<fs::path> folders;
    std::thread::id ranOn;
    std::vector<fs::path> searchFolders() override { return folders; }
    std::optional<std::string> addSearchFolder(const fs::path& folder) override {
        folders.push_back(folder);
        return std::nullopt;
    }
    FindReport find(const std::vector<fs::path>&, const Progress& progress) const override {
        const_cast<SlowFinder*>(this)->ranOn = std::this_thread::get_id();
        for (int done = 1; done <= 8; ++done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!progress(done, 8))
                break;
        }
        return {found, {"The file /etc/libvirt/qemu may not be read by this user."}};
    }
};

}  // namespace

class MainWindowWiringTest : public QObject, public WindowOnDrive {
    Q_OBJECT

  private slots:
    void initTestCase() { applyProgramLook(); }

    void init() { QVERIFY(startWindow()); }
    void cleanup() {
        if (AboutBox* about = AboutBox::openInstance())
            delete about;
        dropWindow();
    }

    void slots_data() {
        QTest::addColumn<int>("slot");
        QTest::newRow("Start Up") << 0;
        QTest::newRow("Wait") << 1;
        QTest::newRow("Shut Down") << 2;
    }

    void backupButtonCopiesTheLogo_data() { slots_data(); }
    void backupButtonCopiesTheLogo() {
        const SlotCase& c = kSlotCases[fetchSlot()];
        run_->selectPage(c.page);
        QVERIFY(!run_->find(c.backupChoice)->isEnabled());
        QTest::mouseClick(run_->find(c.backup), Qt::LeftButton);
        QCOMPARE(hostRead(c.backupFile), hostRead(c.installed));
        QCOMPARE(
            status(),
            QString("File %1 has been successfully copied to %2.").arg(c.installed, c.backupFile));
        QVERIFY(run_->find(c.backupChoice)->isEnabled());
    }

    // What a screen reader gets after an operation: the caption as the
    // line's label and the outcome as its text.
    void statusLineIsReadToScreenReaders() {
        QTest::mouseClick(run_->find("startUpPage/backupButton"), Qt::LeftButton);
        QVERIFY(status().startsWith("File C:\\logo.sys has been successfully copied to"));
        QAccessibleInterface* line =
            QAccessible::queryAccessibleInterface(run_->find("statusLine"));
        QCOMPARE(line->text(QAccessible::Name), status());
        const auto labels = line->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), QString("Status:"));
    }

    void restoreButtonPutsTheBackupBack_data() { slots_data(); }
    void restoreButtonPutsTheBackupBack() {
        const SlotCase& c = kSlotCases[fetchSlot()];
        putLogo(hostPath(c.backupFile), kBackupColour);
        const std::string backup = hostRead(c.backupFile);
        run_->selectPage(c.page);
        ModalAnswerer modal;
        modal.answer(QMessageBox::No);
        QTest::mouseClick(run_->find(c.restore), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(
            modal.boxes().at(0).text,
            QString("Do you wish to backup the file presently acting as %1 ?").arg(c.installed));
        QCOMPARE(hostRead(c.installed), backup);
        QCOMPARE(status(), QString("File %1 has been successfully restored back to %2.")
                               .arg(c.backupFile, c.installed));
        QCOMPARE(topLeftColour(run_->thumbnail(c.image)), kBackupColour);
    }

    void restoreButtonWithoutBackupSaysSo_data() { slots_data(); }
    void restoreButtonWithoutBackupSaysSo() {
        const SlotCase& c = kSlotCases[fetchSlot()];
        run_->selectPage(c.page);
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        QTest::mouseClick(run_->find(c.restore), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(
            modal.boxes().at(0).text,
            QString("The backup file %1 doesn't exist ! Make a backup first !").arg(c.backupFile));
        QCOMPARE(modal.boxes().at(0).icon, QMessageBox::Critical);
        QCOMPARE(status(), QString("Error while opening %1. File not found !").arg(c.backupFile));
    }

    // The dialog comes up with the store's request; cancelling it changes
    // nothing.
    void swapButtonOpensTheFileDialog_data() { slots_data(); }
    void swapButtonOpensTheFileDialog() {
        const SlotCase& c = kSlotCases[fetchSlot()];
        run_->selectPage(c.page);
        const auto before = snapshot(drive_->root());
        const QString statusBefore = status();
        QString title;
        ModalAnswerer modal;
        modal.then([&](QWidget& dialog) {
            title = dialog.windowTitle();
            QVERIFY(qobject_cast<QFileDialog*>(&dialog));
            static_cast<QFileDialog&>(dialog).reject();
        });
        QTest::mouseClick(run_->find(c.swap), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(title, QString("Please select a bitmap file .."));
        QCOMPARE(snapshot(drive_->root()), before);
        QCOMPARE(status(), statusBefore);
    }

    void backupAllBacksUpEverySlot() {
        action("backUpAll")->trigger();
        for (const SlotCase& c : kSlotCases) {
            QCOMPARE(hostRead(c.backupFile), hostRead(c.installed));
            QVERIFY(run_->find(c.backupChoice)->isEnabled());
        }
        QCOMPARE(status(), QString("File C:\\WINDOWS\\logos.sys has been successfully copied to "
                                   "C:\\TOOLS\\backup\\logos.qnk."));
    }

    // The Drive menu: another installation gets the whole start-up of its
    // own (its originals captured in its own folder, its thumbnails, the
    // opening notice) in the same window; the viewer of the old one closes.
    // One that is no installation, or has gone, is refused with a box and
    // changes nothing.
    void driveMenuSwitchesInstallation() {
        TempDrive other;
        TempDrive::put(other.windows() / "WIN.COM", "MZ");
        putLogo(other.root() / "LOGO.SYS", kNewColour);
        putLogo(other.windows() / "LOGOW.SYS", kBackupColour);
        QTest::mouseClick(run_->find("startUpPage/thumbnail"), Qt::LeftButton);
        QVERIFY(openWindow<LogoViewer>());

        {
            ModalAnswerer warning;
            warning.answer(QMessageBox::Ok);
            QVERIFY(run_->form.openWindowsFolder(QString::fromStdString(other.root().string())));
            QVERIFY2(warning.done(), qPrintable(warning.unexpected().join(" | ")));
            QCOMPARE(warning.boxes().at(0).text,
                     QString("WARNING! Logos.sys isn't present at location C:\\WINDOWS\\."));
        }
        QVERIFY(!openWindow<LogoViewer>());
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kNewColour);
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kBackupColour);
        QVERIFY(run_->thumbnail("shutDownPage/thumbnail").isNull());
        QCOMPARE(status(), QString("Couldn't find Logos.sys or not a valid bitmap !"));
        QVERIFY(!run_->find("shutDownPage/backupButton")->isEnabled());
        const fs::path folders = drive_->root().parent_path() / "data/installations";
        QVERIFY(fs::exists(fs::directory_iterator(folders)->path() / "ORIGINAL/logow.ori"));
        QVERIFY(!fs::exists(drive_->tools() / "ORIGINAL/logos.none"));
        QList<QAction*> recent = driveMenu()->findChildren<QAction*>("recentInstallation");
        QCOMPARE(recent.size(), 2);
        QVERIFY(recent.front()->isChecked() && !recent.back()->isChecked());

        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        modal.answer(QMessageBox::Ok);
        const auto before = snapshot(other.root());
        QVERIFY(!run_->form.openWindowsFolder(QString::fromStdString(drive_->tools().string())));
        fs::remove_all(drive_->root());  // the first installation has gone
        recent.back()->trigger();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QVERIFY(modal.boxes().at(0).text.contains("holds no Windows installation"));
        QVERIFY(modal.boxes().at(1).text.contains("is not there any more"));
        QCOMPARE(snapshot(other.root()), before);
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kNewColour);
        QCOMPARE(driveMenu()->findChildren<QAction*>("recentInstallation").size(), 2);
    }

    // Drive, Find Installations: the search runs beside the window, shows
    // its progress, lists the machines by name; Open manages the one chosen,
    // which the recent installations then call by its machine's name. One
    // that cannot be opened says why and offers no Open.
    void findInstallationsOpensAMachineByName() {
        TempDrive other;
        TempDrive::put(other.windows() / "WIN.COM", "MZ");
        putInstalledLogos(other);
        putLogo(other.root() / "LOGO.SYS", kNewColour);
        // The finder outlives the dialog's search even when a check below
        // fails and ends the test early.
        static SlowFinder finder;
        finder = SlowFinder();
        finder.found = {{"Windows 98 SE",
                         "86Box",
                         {InstallationSource::Kind::Folder, other.windows(), std::nullopt, 'C'},
                         "C:\\WINDOWS",
                         other.root(),
                         std::nullopt,
                         std::nullopt},
                        {"Snapshot PC",
                         "VirtualBox",
                         {InstallationSource::Kind::DiskImage, "/vms/diff.vdi", std::nullopt, 'C'},
                         "",
                         "/vms/m.vbox",
                         std::nullopt,
                         "It is a differencing VDI."}};
        run_->platform.finder = &finder;
        emit driveMenu()->aboutToShow();
        QAction* find = driveMenu()->findChild<QAction*>("findInstallations");
        QVERIFY(find);
        QCOMPARE(find->text(), QString("&Find Installations..."));
        find->trigger();
        auto* dialog = openWindow<FindInstallationsDialog>();
        QVERIFY(dialog && dialog->searching());
        auto* bar = dialog->findChild<QProgressBar*>("searchProgress");
        QTRY_VERIFY(bar->isVisible());
        QCOMPARE(bar->accessibleName(), QString("Search progress"));
        QTRY_VERIFY(!dialog->searching());
        QVERIFY(finder.ranOn != std::this_thread::get_id());
        QVERIFY(!bar->isVisible());

        auto* list = dialog->findChild<QTreeWidget*>("installationList");
        QCOMPARE(list->accessibleName(), QString("Installations found"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(1)->text(3), QString("Cannot be opened"));
        auto* open = dialog->findChild<QPushButton*>("openButton");
        list->setCurrentItem(list->topLevelItem(1));
        QVERIFY(!open->isEnabled());
        QCOMPARE(dialog->findChild<QLabel*>("installationDetail")->text(),
                 QString("It is a differencing VDI."));
        QVERIFY(dialog->findChild<QLabel*>("searchNotes")->text().contains("/etc/libvirt"));
        list->setCurrentItem(list->topLevelItem(0));
        QVERIFY(open->isEnabled());

        // A folder added is kept by the finder and searched at once.
        ModalAnswerer chooser;
        chooser.then([&](QWidget& window) {
            // In the folder itself with nothing selected: a name selected
            // before the folder has been read can be dropped when it is.
            auto& files = static_cast<QFileDialog&>(window);
            files.setDirectory(QString::fromStdString(other.root().string()));
            static_cast<QDialog&>(files).accept();
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>("addFolderButton"), Qt::LeftButton);
        QVERIFY2(chooser.done(), qPrintable(chooser.unexpected().join(" | ")));
        QCOMPARE(finder.folders, std::vector<fs::path>{other.root()});
        QVERIFY(dialog->searching());
        QTRY_VERIFY(!dialog->searching());
        list->setCurrentItem(list->topLevelItem(0));
        {
            ModalAnswerer warnings;
            warnings.answerEvery(QMessageBox::Ok);
            QTest::mouseClick(open, Qt::LeftButton);
        }
        QTRY_VERIFY(!openWindow<FindInstallationsDialog>());
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kNewColour);
        const auto recent = driveMenu()->findChildren<QAction*>("recentInstallation");
        QVERIFY(recent.front()->text().startsWith("&1 Windows 98 SE ("));
        QVERIFY(recent.front()->isChecked());
    }

    // Drive, Open Disk Image: the Windows in an image, read in place. An image
    // the user may not change is looked at and backed up, and a change to it
    // is refused with a box that says why.
    void diskImageIsManagedAndARefusedChangeSaysWhy() {
        ImageMaker maker(drive_->root().parent_path() / "images");
        ImageRecipe recipe;
        const QByteArray wait = sampleLogoBitmap("Test", kWaitColour);
        recipe.files["WINDOWS/LOGOW.SYS"] = wait.toStdString();
        const MadeImage image = maker.makeRaw("w98.img", recipe);
        fs::permissions(image.file, fs::perms::owner_read | fs::perms::group_read);
        {
            ModalAnswerer warnings;
            warnings.answerEvery(QMessageBox::Ok);  // no logo.sys, no logos.sys
            QVERIFY(run_->form.openDiskImage(QString::fromStdString(image.file.string())));
        }
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kWaitColour);
        run_->selectPage(1);
        QTest::mouseClick(run_->find("waitPage/backupButton"), Qt::LeftButton);
        QVERIFY(status().endsWith("backup\\logow.qnk."));

        // Refused before it is asked or tried: no Retry that cannot help.
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        QTest::mouseClick(run_->find("waitPage/restoreButton"), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(modal.boxes().size(), std::size_t(1));
        QVERIFY(modal.boxes().at(0).text.startsWith(
            "C:\\WINDOWS\\logow.sys cannot be restored, so nothing has been changed."));
        QVERIFY(modal.boxes().at(0).text.contains("is read-only"));
        QVERIFY(maker.readFile(image, "WINDOWS/LOGOW.SYS") == wait.toStdString());
    }

    // Images a stranger made (tests/support/hostile_images.sh): one whose
    // name holds shell syntax opens and runs nothing; one whose header hands
    // its contents to other files, one that names a protocol, and a FIFO are
    // refused at once with a box that says why, and no file outside changes.
    void hostileDiskImagesAreHarmlessOrRefused() {
        const fs::path corpus = drive_->root().parent_path() / "corpus";
        QProcess script;
        script.start("bash", {HOSTILE_IMAGES_SCRIPT, QString::fromStdString(corpus.string()), "1"});
        QVERIFY(script.waitForFinished(120000) && script.exitCode() == 0);
        const fs::path images = corpus / "images";
        const std::string victim = TempDrive::read(images / "victim.txt");
        {
            ModalAnswerer warnings;
            warnings.answerEvery(QMessageBox::Ok);
            QVERIFY(run_->form.openDiskImage(QString::fromStdString(
                (images / "-d $(touch PWNED) @@7 `touch PWNED`" / "-fixed $(touch PWNED).vhd")
                    .string())));
        }
        const std::pair<const char*, const char*> refused[] = {
            {"vmdk-flat.vmdk", "a descriptor of other files"},
            {"nbd-json.qcow2", "not a file but a protocol"},
            {"pipe.img", "is a named pipe (FIFO), not an ordinary file"}};
        for (const auto& [name, reason] : refused) {
            ModalAnswerer modal;
            modal.answer(QMessageBox::Ok);
            QVERIFY(!run_->form.openDiskImage(QString::fromStdString((images / name).string())));
            QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
            QVERIFY2(modal.boxes().at(0).text.contains(reason),
                     qPrintable(modal.boxes().at(0).text));
        }
        QCOMPARE(TempDrive::read(images / "victim.txt"), victim);
        for (const fs::path& tree : {drive_->root().parent_path(), fs::current_path()})
            for (const auto& entry : fs::recursive_directory_iterator(tree))
                QVERIFY2(entry.path().filename() != "PWNED", entry.path().c_str());
    }

    // Another program changes a logo while the window is open: the thumbnail
    // follows, and a command that would copy a logo other than the one shown
    // shows it first and does nothing.
    void outsideChangesAreShownBeforeAnythingIsCopied() {
        const fs::path wait = drive_->windows() / "LOGOW.SYS";
        putLogo(drive_->windows() / "new.tmp", kNewColour);  // as quenlark-logo puts one
        fs::rename(drive_->windows() / "new.tmp", wait);
        QTRY_COMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kNewColour);

        putLogo(wait, kBackupColour);  // in place, and clicked before the window heard of it
        run_->selectPage(1);
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        QTest::mouseClick(run_->find("waitPage/backupButton"), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QVERIFY(modal.boxes().at(0).text.startsWith(
            "Another program has changed C:\\WINDOWS\\logow.sys since Quenlark showed it."));
        QCOMPARE(hostRead("C:\\TOOLS\\backup\\logow.qnk"), std::string("<missing>"));
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kBackupColour);
        QTest::mouseClick(run_->find("waitPage/backupButton"), Qt::LeftButton);
        QCOMPARE(hostRead("C:\\TOOLS\\backup\\logow.qnk"), TempDrive::read(wait));
    }

    // A disk image is looked at again when the user comes back to the window.
    void outsideChangeToADiskImageIsShownOnReturn() {
        ImageMaker maker(drive_->root().parent_path() / "images");
        ImageRecipe recipe;
        recipe.files["WINDOWS/LOGOW.SYS"] = sampleLogoBitmap("Test", kWaitColour).toStdString();
        const MadeImage image = maker.makeRaw("w98.img", recipe);
        {
            ModalAnswerer warnings;
            warnings.answerEvery(QMessageBox::Ok);
            QVERIFY(run_->form.openDiskImage(QString::fromStdString(image.file.string())));
        }
        const fs::path staged = drive_->root().parent_path() / "new.sys";
        putLogo(staged, kNewColour);
        maker.run("mcopy", {"-o", "-i", image.file.string() + "@@" + std::to_string(image.offset),
                            staged.string(), "::/WINDOWS/LOGOW.SYS"});
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        reactivate();
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kNewColour);
    }

    // Swap on a disk image that another program held when it was opened:
    // the file dialog, or a box that says why there is none, never nothing.
    void swapOnAHeldImageIsNeverSilent() {
        ImageMaker maker(drive_->root().parent_path() / "images");
        ImageRecipe recipe;
        recipe.files["WINDOWS/WIN.COM"] = "MZ";
        const MadeImage image = maker.makeRaw("w98.img", recipe);
        QProcess holder;  // as an emulator would, it keeps the image open
        holder.setStandardInputFile(QString::fromStdString(image.file.string()));
        holder.start("sleep", {"60"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(whyImageIsInUse(image.file, {}).has_value());
        {
            ModalAnswerer warnings;
            warnings.answerEvery(QMessageBox::Ok);
            QVERIFY(run_->form.openDiskImage(QString::fromStdString(image.file.string())));
        }
        const bool settingsOnImage = run_->form.store().paths().settingsPath.starts_with("C:");
        QString seen;
        ModalAnswerer modal;
        modal.then([&](QWidget& shown) {
            if (auto* box = qobject_cast<QMessageBox*>(&shown)) {
                seen = box->text() + " " + box->informativeText();
                box->accept();
            } else {
                seen = "dialog";
                static_cast<QDialog&>(shown).reject();
            }
        });
        QTest::mouseClick(run_->find("startUpPage/swapButton"), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        if (settingsOnImage)
            QVERIFY2(seen.contains("is missing and cannot be made.") && seen.contains("open"),
                     qPrintable(seen));
        else
            QCOMPARE(seen, QString("dialog"));
        holder.kill();
        holder.waitForFinished();
    }

    // Swap without a folder to open the file dialog in: a settings file that
    // is missing is made, one that holds no folder is said in a box.
    void swapWithoutRememberedFolderSaysWhy() {
        const fs::path settings = drive_->windows() / "quenlark.ini";
        fs::remove(settings);
        ModalAnswerer modal;
        modal.then([](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); });
        modal.answer(QMessageBox::Ok);
        QTest::mouseClick(run_->find("startUpPage/swapButton"), Qt::LeftButton);
        QVERIFY(fs::exists(settings));
        TempDrive::put(settings, "");
        QTest::mouseClick(run_->find("startUpPage/swapButton"), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(modal.boxes().at(0).text,
                 QString("No bitmap can be chosen: Quenlark opens the file dialog in the folder "
                         "that C:\\WINDOWS\\quenlark.ini remembers, and no folder can be read "
                         "from that file."));
        QCOMPARE(status(), QString("Swap action has been aborted."));
    }

    // A copy into a file that cannot be changed whatever is tried gets OK
    // alone and the reason, never a Retry that could only fail again.
    void noRetryForACopyThatCannotBeMade() {
        struct Unchangeable : FaultyFileSystem {
            using FaultyFileSystem::FaultyFileSystem;
            std::optional<std::string> whyCannotChange(const std::string& path) override {
                if (path.find("backup") == std::string::npos)
                    return std::nullopt;
                return "The folder C:\\TOOLS\\backup may not be written.";
            }
        };
        Unchangeable files(run_->files);
        files.failOn(FileOp::CopyDestination, "backup");
        Platform platform{files, run_->files, run_->files.drives(), run_->programs, run_->registry,
                          "",    nullptr};
        MainWindow window(platform);
        QVERIFY(window.startUp());
        ModalAnswerer modal;
        modal.answerEvery(QMessageBox::Ok);
        window.findChild<QWidget*>("waitPage")->findChild<QPushButton*>("backupButton")->click();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(modal.boxes().size(), std::size_t(1));
        const SeenBox& box = modal.boxes().front();
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QVERIFY((box.text + box.details).contains("C:\\TOOLS\\backup may not be written."));
        QCOMPARE(hostRead("C:\\TOOLS\\backup\\logow.qnk"), std::string("<missing>"));
    }

    void restoreAllRestoresEverySlot() {
        ModalAnswerer modal;
        modal.answerEvery(QMessageBox::Ok);
        action("restoreAll")->trigger();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(modal.boxes().size(), std::size_t(3));
        for (std::size_t i = 0; i < 3; ++i)
            QCOMPARE(modal.boxes()[i].text,
                     QString("The backup file %1 doesn't exist ! Make a backup first !")
                         .arg(kSlotCases[i].backupFile));
    }

    void restoreOriginalsAsksFirst() {
        const auto before = snapshot(drive_->root());
        ModalAnswerer modal;
        modal.answer(QMessageBox::No);
        action("restoreOriginals")->trigger();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QVERIFY(modal.boxes().at(0).text.startsWith("This will reset all 3 logos"));
        QCOMPARE(modal.boxes().at(0).buttons,
                 QList<QMessageBox::StandardButton>({QMessageBox::Yes, QMessageBox::No}));
        QCOMPARE(snapshot(drive_->root()), before);
    }

    void readMeOpensTheReadmeInNotepad() {
        action("readMe")->trigger();
        QCOMPARE(run_->programs.started,
                 std::vector<std::string>{"C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt"});
        QCOMPARE(status(), QString("Drive C: is the test drive. Welcome to Quenlark v1.2 ! For "
                                   "more info see the readme file under 'Info' in the menu."));
    }

    void readMeSaysWhenNotepadCannotStart() {
        run_->programs.failing = true;
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        action("readMe")->trigger();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(
            modal.boxes().at(0).text,
            QString("Error ! Couldn't open Notepad for reading the file C:\\TOOLS\\Readme.txt."));
        QCOMPARE(modal.boxes().at(0).icon, QMessageBox::Critical);
        QCOMPARE(modal.boxes().at(0).title, QString("Quenlark"));
    }

    void aboutOpensTheAboutBoxOnce() {
        action("about")->trigger();
        AboutBox* about = AboutBox::openInstance();
        QVERIFY(about && about->isVisible());
        QVERIFY(!about->parentWidget());
        action("about")->trigger();
        QCOMPARE(AboutBox::openInstance(), about);
    }

    // Quit closes the main window and writes nothing.
    void quitClosesTheWindowOnly() {
        const auto before = snapshot(drive_->root());
        action("quit")->trigger();
        QVERIFY(!run_->form.isVisible());
        QCOMPARE(snapshot(drive_->root()), before);
    }

    void closeButtonClosesLikeQuit() {
        const auto before = snapshot(drive_->root());
        QVERIFY(run_->form.close());
        QVERIFY(!run_->form.isVisible());
        QCOMPARE(snapshot(drive_->root()), before);
    }

    // The shortcut keys reach their commands from any page, with the focus on
    // one of that page's buttons.
    void shortcutsWorkFromEveryPage_data() { slots_data(); }
    void shortcutsWorkFromEveryPage() {
        const SlotCase& c = kSlotCases[fetchSlot()];
        run_->selectPage(c.page);
        QWidget* focus = run_->find(c.swap);
        focus->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return focus->hasFocus(); }));

        QTest::keyClick(focus, Qt::Key_B, Qt::ControlModifier);
        for (const SlotCase& slot : kSlotCases)
            QCOMPARE(hostRead(slot.backupFile), hostRead(slot.installed));

        {
            ModalAnswerer modal;
            modal.answerEvery(QMessageBox::Cancel);
            QTest::keyClick(focus, Qt::Key_R, Qt::ControlModifier);
            QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
            QCOMPARE(modal.boxes().size(), std::size_t(3));
            QCOMPARE(status(), QString("Restore action has been aborted."));
        }
        {
            ModalAnswerer modal;
            modal.answer(QMessageBox::No);
            reactivate();
            QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
            QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
            QVERIFY(modal.boxes().at(0).text.startsWith("This will reset all 3 logos"));
        }
        reactivate();
        QTest::keyClick(focus, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(run_->programs.started.size(), std::size_t(1));

        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(AboutBox::openInstance());
        delete AboutBox::openInstance();

        reactivate();
        QTest::keyClick(focus, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!run_->form.isVisible());
    }

  private:
    // A window shortcut needs its window active; the offscreen platform does
    // not give the activation back when a modal box or another window closes.
    void reactivate() {
        run_->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run_->form));
    }
    static int fetchSlot() {
        QFETCH(int, slot);
        return slot;
    }
    QAction* action(const char* name) { return run_->form.findChild<QAction*>(name); }
    QMenu* driveMenu() {
        QMenu* menu = run_->form.findChild<QMenu*>("drive");
        emit menu->aboutToShow();
        return menu;
    }
    QString status() { return run_->find<QLabel>("statusLine")->text(); }
    fs::path hostPath(const char* windowsPath) { return *run_->files.hostPath(windowsPath); }
    std::string hostRead(const char* windowsPath) { return TempDrive::read(hostPath(windowsPath)); }
};

QTEST_MAIN(MainWindowWiringTest)
#include "main_window_wiring_test.moc"
