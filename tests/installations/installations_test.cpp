// Every installation with a start-up folder of its own in the user's data
// folder (made when missing, the installed readme linked in for "Read Me"),
// so that no two share backups or originals.
#include <QCoreApplication>
#include <QTest>

#include <functional>
#include <set>

#include "data_folder.h"
#include "demo_drive.h"
#include "installations.h"
#include "logo_store.h"
#include "scripted_user.h"
#include "start_options.h"
#include "temp_drive.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

class InstallationsTest : public QObject {
    Q_OBJECT

    fs::path startFolder_;

  private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName("quenlark");
        startFolder_ = fs::current_path();
    }
    // Every test may change the current directory; the next starts afresh.
    void cleanup() { fs::current_path(startFolder_); }

    void olderMenuEntriesOptionChangesNothing() {
        TempDrive drive;
        StartOptions fromMenu;
        QCOMPARE(readStartOptions({"quenlark", "--start-in-data-folder", "--windows-dir",
                                   QString::fromStdString(drive.windows().string())},
                                  fromMenu),
                 std::nullopt);
        QCOMPARE(fromMenu.installation->path, drive.windows());
        QVERIFY(!fromMenu.startDir);
        // Reading the command line changes no folder.
        QCOMPARE(fs::current_path(), startFolder_);
    }

    // Two installations managed one after the other from the same folder:
    // each captures and gets back its own originals, never the other's.
    // The folder the program was started from no longer decides where they go.
    void twoInstallationsKeepTheirOriginalsApart() {
        TempDrive first, second, home;
        for (const auto& [drive, tag] : {std::pair{&first, "first"}, {&second, "second"}}) {
            TempDrive::put(drive->root() / "LOGO.SYS", logoBytes(std::string(tag) + " start"));
            TempDrive::put(drive->windows() / "LOGOW.SYS", logoBytes(std::string(tag) + " wait"));
        }
        Installations installations(
            {home.root() / "data", QString::fromStdString((home.root() / "q.conf").string()), {}});
        auto run = [&](const TempDrive& drive, const std::function<void(LogoStore&)>& act) {
            auto opened = installations.open(
                {InstallationSource::Kind::Folder, drive.windows(), std::nullopt, 'C'});
            QVERIFY(std::holds_alternative<OpenInstallation>(opened));
            auto& installation = std::get<OpenInstallation>(opened);
            ScriptedUser user(*installation.files);
            user.answerer = [](const std::string&, MessageStyle) { return Answer::Yes; };
            LogoStore store(*installation.files, *installation.windowsDirectory, user, "");
            QVERIFY(store.startUp());
            act(store);
        };
        run(first, [](LogoStore&) {});
        run(second, [&](LogoStore&) {
            TempDrive::put(second.root() / "LOGO.SYS", logoBytes("installed later"));
        });
        run(second, [](LogoStore& store) { store.restoreOriginals(); });
        QCOMPARE(TempDrive::read(second.root() / "LOGO.SYS"), logoBytes("second start"));
        QCOMPARE(TempDrive::read(first.root() / "LOGO.SYS"), logoBytes("first start"));

        // Each has its folder, named after its drive, under the data folder.
        std::set<std::string> originals;
        for (const auto& folder : fs::directory_iterator(home.root() / "data/installations")) {
            QVERIFY(folder.path().filename().string().rfind("drive_c-", 0) == 0);
            originals.insert(TempDrive::read(folder.path() / "ORIGINAL/logo.ori"));
        }
        QCOMPARE(originals,
                 (std::set<std::string>{logoBytes("first start"), logoBytes("second start")}));
        QCOMPARE(installations.lastUsed()->path, fs::canonical(second.windows()));
        QCOMPARE(installations.recentInstallations().size(), std::size_t(2));
    }

    // A folder that went away: a sentence, and nothing written anywhere.
    void goneInstallationIsRefused() {
        TempDrive home;
        Installations installations(
            {home.root() / "data", QString::fromStdString((home.root() / "q.conf").string()), {}});
        auto opened = installations.open(
            {InstallationSource::Kind::Folder, home.root() / "gone/WINDOWS", std::nullopt, 'C'});
        QVERIFY(std::get<std::string>(opened).find("is not there any more") != std::string::npos);
        QVERIFY(!fs::exists(home.root() / "data"));
        QVERIFY(!installations.lastUsed());
        std::string error;
        QVERIFY(!findWindowsFolder(home.root(), error));
        QVERIFY(error.find("holds no Windows installation") != std::string::npos);
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

    void missingFolderIsMadeWithTheReadmeLinked() {
        TempDrive scratch;
        const fs::path readme = scratch.root() / "share/doc/quenlark/readme.txt";
        TempDrive::put(readme, "the readme");
        const fs::path folder = scratch.root() / "home/.local/share/quenlark";
        std::string error;
        QVERIFY(prepareStartupFolder(folder, readme, error));
        QCOMPARE(fs::current_path(), startFolder_);
        QVERIFY(fs::is_symlink(folder / "readme.txt"));
        QCOMPARE(TempDrive::read(folder / "readme.txt"), std::string("the readme"));
    }

    void existingFolderAndTheUsersReadmeAreKept() {
        TempDrive scratch;
        const fs::path readme = scratch.root() / "installed-readme.txt";
        TempDrive::put(readme, "installed");
        const fs::path folder = scratch.root() / "quenlark";
        TempDrive::put(folder / "BACKUP/logo.qnk", "a backup");
        TempDrive::put(folder / "readme.txt", "my notes");
        std::string error;
        QVERIFY(prepareStartupFolder(folder, readme, error));
        QCOMPARE(TempDrive::read(folder / "BACKUP/logo.qnk"), std::string("a backup"));
        QVERIFY(!fs::is_symlink(folder / "readme.txt"));
        QCOMPARE(TempDrive::read(folder / "readme.txt"), std::string("my notes"));

        // A link left by an older installation that leads nowhere is kept too.
        const fs::path other = scratch.root() / "other";
        fs::create_directories(other);
        fs::create_symlink(scratch.root() / "gone.txt", other / "readme.txt");
        QVERIFY(prepareStartupFolder(other, readme, error));
        QCOMPARE(fs::read_symlink(other / "readme.txt"), scratch.root() / "gone.txt");
    }

    void withoutAnInstalledReadmeTheFolderIsStillMade() {
        TempDrive scratch;
        const fs::path folder = scratch.root() / "quenlark";
        std::string error;
        QVERIFY(prepareStartupFolder(folder, scratch.root() / "no/readme.txt", error));
        QVERIFY(fs::is_directory(folder));
        QVERIFY(!fs::exists(fs::symlink_status(folder / "readme.txt")));
    }

    // The folders added to be searched are kept beside the recent
    // installations, each once; a machine opened by its name is listed by it.
    void searchFoldersAndMachineNamesAreKept() {
        TempDrive home, drive;
        TempDrive::put(drive.windows() / "WIN.COM", "MZ");
        const ProgramFolders folders{
            home.root() / "data", QString::fromStdString((home.root() / "q.conf").string()), {}};
        {
            Installations installations(folders);
            installations.addSearchFolder(home.root() / "vms");
            installations.addSearchFolder(home.root() / "retro/../vms");
            installations.addSearchFolder(home.root() / "retro");
            QVERIFY(!installations.switchTo(
                {InstallationSource::Kind::Folder, drive.windows(), std::nullopt, 'C'},
                "My Windows 98"));
        }
        Installations again(folders);
        QCOMPARE(again.searchFolders(),
                 (std::vector<fs::path>{home.root() / "vms", home.root() / "retro"}));
        QCOMPARE(again.recentInstallations().at(0).name, std::string("My Windows 98"));
    }

    void folderThatCannotBeMadeIsRefused() {
        TempDrive scratch;
        TempDrive::put(scratch.root() / "share", "a file where a folder should be");
        const fs::path folder = scratch.root() / "share/quenlark";
        std::string error;
        QVERIFY(!prepareStartupFolder(folder, {}, error));
        QVERIFY(error.find(folder.string()) != std::string::npos);
        QCOMPARE(fs::current_path(), startFolder_);
    }
};

QTEST_GUILESS_MAIN(InstallationsTest)
#include "installations_test.moc"
