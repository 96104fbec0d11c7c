// The preview choices reload a thumbnail from the file they name; a click on
// a thumbnail shows that file at full size in the one viewer; and a whole
// swap, through the real file dialog and boxes, ends with the new logo in the
// thumbnail.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "logo_viewer.h"
#include "modal_answerer.h"
#include "program_style.h"
#include "settings_file.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

class PreviewViewerTest : public QObject, public WindowOnDrive {
    Q_OBJECT

  private slots:
    void initTestCase() { applyProgramLook(); }

    void init() { QVERIFY(startWindow()); }
    void cleanup() {
        delete viewer();
        dropWindow();
    }

    void thumbnailsFillTheirBoxAndSayWhatTheyShow() {
        const char* names[] = {"startUpPage/thumbnail", "waitPage/thumbnail",
                               "shutDownPage/thumbnail"};
        const QColor colours[] = {kStartUpColour, kWaitColour, kShutDownColour};
        const char* paths[] = {"C:\\logo.sys", "C:\\WINDOWS\\logow.sys", "C:\\WINDOWS\\logos.sys"};
        for (int i = 0; i < 3; ++i) {
            auto* thumbnail = run_->find<QLabel>(names[i]);
            QCOMPARE(thumbnail->size(), QSize(281, 253));
            QVERIFY(thumbnail->hasScaledContents());
            QCOMPARE(thumbnail->toolTip(), QString("Click to view full size"));
            QCOMPARE(topLeftColour(run_->thumbnail(names[i])), colours[i]);
            QVERIFY2(thumbnail->accessibleName().endsWith(paths[i]),
                     qPrintable(thumbnail->accessibleName()));
        }
    }

    // "Backup" shows the backup; "Current" reads the installed logo afresh.
    void choicesReloadTheThumbnailFromDisk() {
        run_->selectPage(1);
        putLogo(drive_->tools() / "BACKUP" / "logow.qnk", kBackupColour);
        run_->find<QRadioButton>("waitPage/backupChoice")->setEnabled(true);
        QTest::mouseClick(run_->find<QRadioButton>("waitPage/backupChoice"), Qt::LeftButton);
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kBackupColour);

        putLogo(drive_->windows() / "LOGOW.SYS", kNewColour);
        QTest::mouseClick(run_->find<QRadioButton>("waitPage/currentChoice"), Qt::LeftButton);
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kNewColour);
        // The other pages keep their pictures.
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kStartUpColour);
    }

    // A file that cannot be loaded leaves the picture as it was.
    void choiceOfAMissingOrBrokenFileKeepsThePicture() {
        run_->find<QRadioButton>("startUpPage/backupChoice")->setEnabled(true);
        QTest::mouseClick(run_->find<QRadioButton>("startUpPage/backupChoice"), Qt::LeftButton);
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kStartUpColour);

        TempDrive::put(drive_->root() / "LOGO.SYS", logoBytes("not a picture"));
        QTest::mouseClick(run_->find<QRadioButton>("startUpPage/currentChoice"), Qt::LeftButton);
        QCOMPARE(topLeftColour(run_->thumbnail("startUpPage/thumbnail")), kStartUpColour);
    }

    void thumbnailOpensOneViewerAtFullSize() {
        QTest::mouseClick(run_->find("startUpPage/thumbnail"), Qt::LeftButton);
        QPointer<LogoViewer> first = viewer();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QString("C:\\logo.sys"));
        QCOMPARE(first->size(), QSize(320, 400));
        QCOMPARE(topLeftColour(first->picture()), kStartUpColour);
        QCOMPARE(first->picture().size(), QSize(320, 400));
        QVERIFY(!first->isModal());

        run_->selectPage(2);
        QTest::mouseClick(run_->find("shutDownPage/thumbnail"), Qt::LeftButton);
        QCOMPARE(viewer(), first.data());
        QCOMPARE(first->windowTitle(), QString("C:\\WINDOWS\\logos.sys"));
        QCOMPARE(topLeftColour(first->picture()), kShutDownColour);

        // A click on the picture closes it; the next thumbnail click opens it
        // again.
        QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(100, 100));
        QTRY_VERIFY(!first);
        QTest::mouseClick(run_->find("shutDownPage/thumbnail"), Qt::LeftButton);
        QVERIFY(viewer() && viewer()->isVisible());
    }

    // The viewer reads the file at the click: the backup when "Backup" is
    // chosen, as the file is now.
    void viewerShowsThePreviewedFileAsItIsNow() {
        run_->selectPage(1);
        QTest::mouseClick(run_->find<QPushButton>("waitPage/backupButton"), Qt::LeftButton);
        QTest::mouseClick(run_->find<QRadioButton>("waitPage/backupChoice"), Qt::LeftButton);
        putLogo(drive_->tools() / "BACKUP" / "logow.qnk", kBackupColour);
        QTest::mouseClick(run_->find("waitPage/thumbnail"), Qt::LeftButton);
        QCOMPARE(viewer()->windowTitle(), QString("C:\\TOOLS\\backup\\logow.qnk"));
        QCOMPARE(topLeftColour(viewer()->picture()), kBackupColour);
        // The thumbnail was not reloaded by that click.
        QCOMPARE(topLeftColour(run_->thumbnail("waitPage/thumbnail")), kWaitColour);
    }

    void thumbnailOfAMissingFileOpensNothing() {
        fs::remove(drive_->root() / "LOGO.SYS");
        QTest::mouseClick(run_->find("startUpPage/thumbnail"), Qt::LeftButton);
        QVERIFY(!viewer());
    }

    void quitLeavesAnOpenViewer() {
        QTest::mouseClick(run_->find("waitPage/thumbnail"), Qt::LeftButton);
        QPointer<LogoViewer> open = viewer();
        QVERIFY(open);
        run_->form.findChild<QAction*>("quit")->trigger();
        QVERIFY(!run_->form.isVisible());
        QVERIFY(open && open->isVisible());
    }

    // A swap as the user makes it: the file dialog, the backup question, the
    // file installed, the folder remembered, the thumbnail reloaded.
    void wholeSwapThroughTheDialogAndBoxes() {
        run_->selectPage(2);
        const fs::path chosen = drive_->root() / "My Pics" / "new logo.bmp";
        putLogo(chosen, kNewColour);
        const std::string oldLogo = TempDrive::read(drive_->windows() / "LOGOS.SYS");

        ModalAnswerer modal;
        modal.then([&](QWidget& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            // The user types the whole path into the name box.
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setText(QString::fromStdString(chosen.string()));
            static_cast<QDialog*>(files)->accept();
        });
        modal.answer(QMessageBox::Yes);
        QTest::mouseClick(run_->find("shutDownPage/swapButton"), Qt::LeftButton);
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));

        QCOMPARE(modal.boxes().at(0).text,
                 QString("Do you wish the backup the present file C:\\WINDOWS\\logos.sys ?"));
        QCOMPARE(TempDrive::read(drive_->windows() / "LOGOS.SYS"), TempDrive::read(chosen));
        QCOMPARE(TempDrive::read(drive_->tools() / "BACKUP" / "logos.qnk"), oldLogo);
        QCOMPARE(readRememberedFolder(run_->files, run_->form.store().paths().settingsPath),
                 std::optional<std::string>("C:\\My Pics"));
        QCOMPARE(run_->find<QLabel>("statusLine")->text(),
                 QString("File C:\\My Pics\\new logo.bmp has been successfully installed as new "
                         "C:\\WINDOWS\\logos.sys."));
        QCOMPARE(topLeftColour(run_->thumbnail("shutDownPage/thumbnail")), kNewColour);
        QVERIFY(run_->find("shutDownPage/backupChoice")->isEnabled());
    }

  private:
    static LogoViewer* viewer() { return openWindow<LogoViewer>(); }
};

QTEST_MAIN(PreviewViewerTest)
#include "preview_viewer_test.moc"
