// The file-open dialog as the Swap command asks for it: its title, filters
// and folder, names matched without regard to case, and the chosen file
// handed back as a Windows path.
#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include "drive_map.h"
#include "modal_answerer.h"
#include "open_file_dialog.h"
#include "temp_drive.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

namespace {

FileDialogRequest swapRequest(std::string folder) {
    FileDialogRequest request;
    request.title = "Please select a bitmap file ..";
    request.filters = {{"Bitmap files (320x400x256 only!)", "*.bmp"},
                       {"Bitmap files with .SYS extension", "*.sys"}};
    request.initialFolder = std::move(folder);
    return request;
}

// The names the dialog lists in its folder, once it has read the folder.
QStringList listed(QFileDialog& dialog) {
    auto* view = dialog.findChild<QAbstractItemView*>("listView");
    QStringList names;
    if (!view)
        return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

}  // namespace

class OpenFileDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        drive_ = std::make_unique<TempDrive>();
        drives_ = drive_->installation().driveMap();
        for (const char* name : {"LOGO.SYS", "other.Sys", "Pic.BMP", "notes.txt"})
            TempDrive::put(drive_->root() / "My Pics" / name, "x");
    }
    void cleanup() { drive_.reset(); }

    // Opens in the remembered folder, taken relative to the current one, with
    // the first filter chosen; *.sys and *.bmp ignore letter case.
    void showsTheRequestAndFiltersWithoutCase() {
        QString title, folder;
        QStringList filters, bitmaps, sysFiles;
        QString selected;
        bool mustExist = false;
        ModalAnswerer modal;
        modal.then([&](QWidget& window) {
            auto& dialog = static_cast<QFileDialog&>(window);
            QCOMPARE(dialog.objectName(), QString(kOpenFileDialogName));
            title = dialog.windowTitle();
            folder = dialog.directory().absolutePath();
            filters = dialog.nameFilters();
            selected = dialog.selectedNameFilter();
            mustExist = dialog.fileMode() == QFileDialog::ExistingFile;
            QTRY_VERIFY(!listed(dialog).isEmpty());
            bitmaps = listed(dialog);
            dialog.selectNameFilter(filters.value(1));
            QTRY_VERIFY(listed(dialog) != bitmaps);
            sysFiles = listed(dialog);
            dialog.reject();
        });
        const auto chosen = runOpenFileDialog(nullptr, swapRequest("my pics"), drives_, "C:\\");
        QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        QVERIFY(!chosen);
        QCOMPARE(title, QString("Please select a bitmap file .."));
        QCOMPARE(fs::path(folder.toStdString()), drive_->root() / "My Pics");
        QCOMPARE(filters, QStringList({"Bitmap files (320x400x256 only!) (*.bmp)",
                                       "Bitmap files with .SYS extension (*.sys)"}));
        // With the details hidden the dialog names a filter by its description.
        QCOMPARE(selected, QString("Bitmap files (320x400x256 only!)"));
        QVERIFY(mustExist);
        QVERIFY2(bitmaps.contains("Pic.BMP") && !bitmaps.contains("LOGO.SYS"),
                 qPrintable(bitmaps.join(",")));
        QVERIFY2(sysFiles.contains("LOGO.SYS") && sysFiles.contains("other.Sys") &&
                     !sysFiles.contains("Pic.BMP") && !sysFiles.contains("notes.txt"),
                 qPrintable(sysFiles.join(",")));
    }

    // A file on the managed drive comes back under its letter, any other
    // under Z:, spelled as on the disk.
    void chosenFileComesBackAsAWindowsPath() {
        const fs::path outside = drive_->root().parent_path() / "elsewhere.bmp";
        TempDrive::put(outside, "x");
        const std::pair<fs::path, std::string> cases[] = {
            {drive_->root() / "My Pics" / "Pic.BMP", "C:\\My Pics\\Pic.BMP"},
            {outside, "Z:" + outside.string()},
        };
        for (const auto& [host, windows] : cases) {
            ModalAnswerer modal;
            modal.then([&, host = host](QWidget& window) {
                auto& dialog = static_cast<QFileDialog&>(window);
                // As a user types a whole path into the name box.
                auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
                QVERIFY(name);
                name->setText(QString::fromStdString(host.string()));
                static_cast<QDialog&>(dialog).accept();
            });
            const auto chosen =
                runOpenFileDialog(nullptr, swapRequest("C:\\My Pics"), drives_, "C:\\");
            QVERIFY2(modal.done(), qPrintable(QString::fromStdString(host.string()) + ": " +
                                              modal.unexpected().join(" | ")));
            std::string expected = windows;
            if (expected.rfind("Z:", 0) == 0)
                std::replace(expected.begin(), expected.end(), '/', '\\');
            QCOMPARE(chosen, std::optional<std::string>(expected));
        }
    }

    // A remembered folder that is gone, or none, still opens the dialog.
    void missingFolderStillOpensTheDialog() {
        for (const char* folder : {"C:\\gone", ""}) {
            ModalAnswerer modal;
            modal.then([](QWidget& window) { static_cast<QDialog&>(window).reject(); });
            QVERIFY(!runOpenFileDialog(nullptr, swapRequest(folder), drives_, "C:\\"));
            QVERIFY2(modal.done(), qPrintable(modal.unexpected().join(" | ")));
        }
    }

  private:
    std::unique_ptr<TempDrive> drive_;
    DriveMap drives_;
};

QTEST_MAIN(OpenFileDialogTest)
#include "open_file_dialog_test.moc"
