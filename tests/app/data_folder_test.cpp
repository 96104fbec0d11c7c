// Starting in the user's data folder, as the desktop's menu entry does: the
// folder is made when missing and becomes the current directory, so that
// BACKUP and ORIGINAL land there; the installed readme is linked in for
// "Read Me"; a folder that cannot be made leaves everything as it was.
#include <QCoreApplication>
#include <QTest>

#include "data_folder.h"
#include "demo_drive.h"
#include "start_options.h"
#include "temp_drive.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

class DataFolderTest : public QObject {
    Q_OBJECT

    fs::path startFolder_;

  private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName("quenlark");
        startFolder_ = fs::current_path();
    }
    // Every test may change the current directory; the next starts afresh.
    void cleanup() { fs::current_path(startFolder_); }

    void optionIsReadOnlyWhenGiven() {
        StartOptions plain;
        QCOMPARE(readStartOptions({"quenlark"}, plain), std::nullopt);
        QVERIFY(!plain.startInDataFolder);

        TempDrive drive;
        StartOptions fromMenu;
        QCOMPARE(readStartOptions({"quenlark", "--start-in-data-folder", "--windows-dir",
                                   QString::fromStdString(drive.windows().string())},
                                  fromMenu),
                 std::nullopt);
        QVERIFY(fromMenu.startInDataFolder);
        QCOMPARE(fromMenu.windowsFolder, drive.windows());
        // Reading the command line changes no folder; main does, after it.
        QCOMPARE(fs::current_path(), startFolder_);
    }

    void dataFolderFollowsXdgDataHomeAndHoldsTheDemoDrive() {
        TempDrive home;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.root().string()));
        const fs::path folder = userDataFolder();
        const fs::path demo = demoDriveRoot();
        qputenv("XDG_DATA_HOME", saved);
        QCOMPARE(folder, home.root() / "quenlark");
        QCOMPARE(demo.parent_path(), folder);
    }

    void installedReadmeIsBesideTheInstalledProgram() {
        QCOMPARE(installedReadme("/opt/q/bin"), fs::path("/opt/q/share/doc/quenlark/readme.txt"));
        QCOMPARE(installedReadme("/usr/bin/"), fs::path("/usr/share/doc/quenlark/readme.txt"));
    }

    void missingFolderIsMadeAndEnteredWithTheReadmeLinked() {
        TempDrive scratch;
        const fs::path readme = scratch.root() / "share/doc/quenlark/readme.txt";
        TempDrive::put(readme, "the readme");
        const fs::path folder = scratch.root() / "home/.local/share/quenlark";
        std::string error;
        QVERIFY(enterDataFolder(folder, readme, error));
        QCOMPARE(fs::current_path(), fs::canonical(folder));
        QVERIFY(fs::is_symlink(folder / "readme.txt"));
        QCOMPARE(TempDrive::read("readme.txt"), std::string("the readme"));
        // Where the start-up sequence will put its folders.
        fs::create_directory("BACKUP");
        QVERIFY(fs::is_directory(folder / "BACKUP"));
    }

    void existingFolderAndTheUsersReadmeAreKept() {
        TempDrive scratch;
        const fs::path readme = scratch.root() / "installed-readme.txt";
        TempDrive::put(readme, "installed");
        const fs::path folder = scratch.root() / "quenlark";
        TempDrive::put(folder / "BACKUP/logo.qnk", "a backup");
        TempDrive::put(folder / "readme.txt", "my notes");
        std::string error;
        QVERIFY(enterDataFolder(folder, readme, error));
        QCOMPARE(fs::current_path(), fs::canonical(folder));
        QCOMPARE(TempDrive::read(folder / "BACKUP/logo.qnk"), std::string("a backup"));
        QVERIFY(!fs::is_symlink(folder / "readme.txt"));
        QCOMPARE(TempDrive::read(folder / "readme.txt"), std::string("my notes"));

        // A link left by an older installation that leads nowhere is kept too.
        const fs::path other = scratch.root() / "other";
        fs::create_directories(other);
        fs::create_symlink(scratch.root() / "gone.txt", other / "readme.txt");
        QVERIFY(enterDataFolder(other, readme, error));
        QCOMPARE(fs::read_symlink(other / "readme.txt"), scratch.root() / "gone.txt");
    }

    void withoutAnInstalledReadmeTheFolderIsStillEntered() {
        TempDrive scratch;
        const fs::path folder = scratch.root() / "quenlark";
        std::string error;
        QVERIFY(enterDataFolder(folder, scratch.root() / "no/readme.txt", error));
        QCOMPARE(fs::current_path(), fs::canonical(folder));
        QVERIFY(!fs::exists(fs::symlink_status(folder / "readme.txt")));
    }

    void folderThatCannotBeMadeLeavesTheCurrentDirectory() {
        TempDrive scratch;
        TempDrive::put(scratch.root() / "share", "a file where a folder should be");
        const fs::path folder = scratch.root() / "share/quenlark";
        std::string error;
        QVERIFY(!enterDataFolder(folder, {}, error));
        QVERIFY(error.find(folder.string()) != std::string::npos);
        QCOMPARE(fs::current_path(), startFolder_);
    }
};

QTEST_GUILESS_MAIN(DataFolderTest)
#include "data_folder_test.moc"
