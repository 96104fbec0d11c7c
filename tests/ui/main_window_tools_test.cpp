// The Tools menu of the main window: the converter opens once, where the Swap
// dialog last looked; Boot Preview shows the shown page's previewed file, and
// says so when that file cannot be read. Files dropped on a slot's page go in
// through Swap ! or the converter.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

#include "boot_preview.h"
#include "check_dialog.h"
#include "convert_dialog.h"
#include "drop_files.h"
#include "fake_io_sys.h"
#include "modal_answerer.h"
#include "program_style.h"
#include "settings_file.h"
#include "test_pictures.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

class MainWindowToolsTest : public QObject, public WindowOnDrive {
    Q_OBJECT

  private slots:
    void initTestCase() { applyProgramLook(); }

    void init() { QVERIFY(startWindow()); }
    void cleanup() {
        delete bootPreview();
        dropWindow();
    }

    void makeLogoOpensOneConverterInTheRememberedFolder() {
        fs::create_directories(drive_->root() / "My Pics");
        QVERIFY(
            writeSettingsFile(run_->files, run_->form.store().paths().settingsPath, "C:\\my pics"));
        action("makeLogo")->trigger();
        const QList<ConvertDialog*> open = run_->form.findChildren<ConvertDialog*>();
        QCOMPARE(open.size(), 1);
        ConvertDialog* converter = open.front();
        QVERIFY(converter->isVisible());
        QVERIFY(!converter->isModal());
        QCOMPARE(fs::path(converter->folder().toStdString()), drive_->root() / "My Pics");

        action("makeLogo")->trigger();
        QCOMPARE(run_->form.findChildren<ConvertDialog*>().size(), 1);
        QCOMPARE(run_->form.findChildren<ConvertDialog*>().front(), converter);
    }

    // No remembered folder yet, or one that is gone: the user's pictures.
    void makeLogoWithoutRememberedFolderStartsInThePictures() {
        QVERIFY(
            writeSettingsFile(run_->files, run_->form.store().paths().settingsPath, "C:\\gone"));
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        action("makeLogo")->trigger();
        const QList<ConvertDialog*> open = run_->form.findChildren<ConvertDialog*>();
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.front()->folder(), QDir(pictures).exists() ? pictures : QDir::homePath());
    }

    void bootPreviewShowsTheShownPagesLogo() {
        run_->selectPage(1);
        action("bootPreview")->trigger();
        BootPreviewWindow* window = bootPreview();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Boot Preview - C:\\WINDOWS\\logow.sys"));
        QCOMPARE(topLeftColour(window->preview()->currentPicture()), kWaitColour);

        // With "Backup" chosen it shows the backup, in the same window.
        run_->find<QPushButton>("waitPage/backupButton")->click();
        run_->find<QRadioButton>("waitPage/backupChoice")->click();
        putLogo(drive_->tools() / "BACKUP" / "logow.qnk", kBackupColour);
        action("bootPreview")->trigger();
        QCOMPARE(bootPreview(), window);
        QCOMPARE(window->windowTitle(), QString("Boot Preview - C:\\TOOLS\\backup\\logow.qnk"));
        QCOMPARE(topLeftColour(window->preview()->currentPicture()), kBackupColour);
    }

    void bootPreviewOfAMissingFileSaysSo() {
        run_->selectPage(2);
        fs::remove(drive_->windows() / "LOGOS.SYS");
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        action("bootPreview")->trigger();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(modal.boxes().at(0).text,
                 QString("The file C:\\WINDOWS\\logos.sys cannot be read, so there is nothing "
                         "to preview."));
        QCOMPARE(modal.boxes().at(0).icon, QMessageBox::Warning);
        QVERIFY(!bootPreview());
    }

    // Without a LOGO.SYS Windows shows the logo built into IO.SYS: Boot
    // Preview shows it turning and says where it comes from; Save Built-in
    // Logo As writes it; without IO.SYS, a box says so.
    void builtinLogoIsPreviewedAndSaved() {
        fs::remove(drive_->root() / "LOGO.SYS");
        converter::LogoPicture logo = converter::testing::patternLogo();
        logo.firstCycled = 236;
        const std::string logoFile = converter::encodeLogo(logo);
        TempDrive::put(
            drive_->root() / "io.sys",
            converter::testing::fakeIoSys(converter::testing::compressLogoStream(logoFile)));
        action("bootPreview")->trigger();
        QVERIFY(bootPreview());
        QVERIFY(bootPreview()->note().startsWith(
            "There is no C:\\logo.sys, so Windows shows this logo, built into C:\\IO.SYS. "
            "Palette entries 236 to 255 rotate"));
        QVERIFY(bootPreview()->preview()->isAnimating());

        const fs::path saved = drive_->root().parent_path() / "builtin.sys";
        QVERIFY(run_->form.saveBuiltinLogo(QString::fromStdString(saved.string())));
        QCOMPARE(TempDrive::read(saved), logoFile);
        QVERIFY(run_->find<QLabel>("statusLine")
                    ->text()
                    .endsWith(" has been saved as " +
                              QString::fromStdString(run_->files.drives().toWindows(saved)) + "."));

        fs::remove(drive_->root() / "io.sys");
        ModalAnswerer modal;
        modal.answer(QMessageBox::Ok);
        modal.answer(QMessageBox::Ok);
        action("bootPreview")->trigger();
        QVERIFY(!run_->form.saveBuiltinLogo(QString::fromStdString(saved.string())));
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        for (const SeenBox& box : modal.boxes())
            QVERIFY(box.text.contains("There is no C:\\IO.SYS, where Windows keeps its built-in"));
        QCOMPARE(TempDrive::read(saved), logoFile);
    }

    // The check's findings in a dialog of their own, and in short on the
    // status line.
    void checkInstallationShowsItsFindings() {
        fs::remove(drive_->windows() / "LOGOW.SYS");
        action("checkInstallation")->trigger();
        QCOMPARE(run_->form.findChildren<CheckDialog*>().size(), 1);
        QVERIFY(run_->find<QLabel>("statusLine")
                    ->text()
                    .startsWith("The installation check found 1 problem"));
    }

    // A logo dropped on a slot's thumbnail goes in by Swap !'s sequence,
    // backup question and all, and its folder is remembered as a choice in
    // the dialog is. A picture opens the converter aimed at the slot it was
    // dropped on, and Install runs the same sequence with the logo made,
    // from a folder that is neither remembered nor left behind.
    void droppedLogoIsSwappedInAndAPictureConverted() {
        const fs::path drops = drive_->root().parent_path() / "drops";
        putLogo(drops / "new.bmp", kNewColour);
        QVERIFY(converter::testing::discPicture(800, 600, 300)
                    .save(QString::fromStdString((drops / "photo.jpg").string())));
        run_->selectPage(1);
        {
            ModalAnswerer modal;
            modal.answer(QMessageBox::Yes);
            QVERIFY(dropFiles(*run_->find("waitPage/thumbnail"), {drops / "new.bmp"}));
            QTRY_VERIFY(modal.done());
            QCOMPARE(modal.boxes().at(0).text,
                     QString("Do you wish the backup the present file C:\\WINDOWS\\logow.sys ?"));
        }
        QCOMPARE(TempDrive::read(drive_->windows() / "LOGOW.SYS"),
                 TempDrive::read(drops / "new.bmp"));
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kNewColour);
        QVERIFY(run_->find("waitPage/backupChoice")->isEnabled());
        QVERIFY(
            status().endsWith("new.bmp has been successfully installed as new "
                              "C:\\WINDOWS\\logow.sys."));
        const std::string& settings = run_->form.store().paths().settingsPath;
        const auto remembered = readRememberedFolder(run_->files, settings);
        QVERIFY(remembered && remembered->ends_with("\\drops"));

        run_->selectPage(2);
        QVERIFY(dropFiles(*run_->find("shutDownPage/thumbnail"), {drops / "photo.jpg"}));
        QTRY_VERIFY(run_->form.findChild<ConvertDialog*>());
        ConvertDialog* converter = run_->form.findChild<ConvertDialog*>();
        QVERIFY(converter->isVisible());
        QCOMPARE(converter->installTarget(), 2);
        QVERIFY(converter->logo());
        ModalAnswerer modal;
        modal.answer(QMessageBox::No);
        converter->findChild<QPushButton*>("installButton")->click();
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QCOMPARE(TempDrive::read(drive_->windows() / "LOGOS.SYS"),
                 converter::encodeLogo(*converter->logo()));
        // Named by the picture: the file copied in is gone by now.
        QVERIFY2(status().startsWith("The logo made from ") &&
                     status().endsWith("\\drops\\photo.jpg has been successfully installed as new "
                                       "C:\\WINDOWS\\logos.sys."),
                 qPrintable(status()));
        QCOMPARE(readRememberedFolder(run_->files, settings), remembered);
        QVERIFY(QDir::temp().entryList({"quenlark-made-logo-*"}, QDir::Dirs).isEmpty());
    }

    // Several files, a folder, or a file that is no picture: a box says why
    // and nothing changes.
    void refusedDropsChangeNothing() {
        const fs::path drops = drive_->root().parent_path() / "drops";
        putLogo(drops / "a.bmp", kNewColour);
        putLogo(drops / "b.bmp", kBackupColour);
        TempDrive::put(drops / "notes.txt", "not a picture");
        const std::string before = TempDrive::read(drive_->windows() / "LOGOW.SYS");
        const QString statusBefore = status();
        run_->selectPage(1);
        const std::pair<std::vector<fs::path>, const char*> refused[] = {
            {{drops / "a.bmp", drops / "b.bmp"}, "2 files were dropped"},
            {{drops}, "is a folder"},
            {{drops / "notes.txt"}, "is not a picture"},
        };
        for (const auto& [files, says] : refused) {
            ModalAnswerer modal;
            modal.answer(QMessageBox::Ok);
            QVERIFY(dropFiles(*run_->find("waitPage"), files));
            QTRY_VERIFY(modal.done());
            QVERIFY2(modal.boxes().at(0).text.contains(says), qPrintable(modal.boxes().at(0).text));
            QVERIFY(modal.boxes().at(0).text.endsWith("Nothing has been changed."));
        }
        QCOMPARE(TempDrive::read(drive_->windows() / "LOGOW.SYS"), before);
        QCOMPARE(status(), statusBefore);
        QVERIFY(!run_->form.findChild<ConvertDialog*>());
    }

  private:
    QString status() { return run_->find<QLabel>("statusLine")->text(); }
    QAction* action(const char* name) { return run_->form.findChild<QAction*>(name); }
    static BootPreviewWindow* bootPreview() { return openWindow<BootPreviewWindow>(); }
};

QTEST_MAIN(MainWindowToolsTest)
#include "main_window_tools_test.moc"
