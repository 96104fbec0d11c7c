// The program's start. The command line: --help and --version answer and
// end, a wrong option ends with status 2 before anything is written, and a
// good one is read as given. Then the start as the user meets it: whatever
// cannot be opened is said in a box over the window, which opens on what
// could be opened instead, or on none, ready to open another.
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "image_maker.h"
#include "main_window.h"
#include "modal_answerer.h"
#include "ordinary_user.h"
#include "run_program.h"
#include "start_options.h"
#include "temp_drive.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* kChildOption = "--start-here-and-report";

// What the user meets: the boxes and the window under them once they are
// answered.
struct StartSeen {
    std::vector<SeenBox> boxes;
    QString status;
    bool statusRead = false;  // a screen reader reads the status line's text
    bool slotsUsable = false;
    bool driveMenu = false;
};

// Starts the program in this process with `arguments`, answers every box
// with OK, and closes the window once no box is left.
StartSeen startProgram(const QStringList& arguments) {
    StartSeen seen;
    StartOptions options;
    if (readStartOptions(QStringList{"quenlark"} + arguments, options))
        return seen;
    ModalAnswerer modal;
    modal.answerEvery(QMessageBox::Ok);
    // A box that was just answered may still be ending its own event loop:
    // the window is looked at when two looks find no box.
    QTimer closer;
    closer.setInterval(20);
    int looksWithoutBox = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        MainWindow* window = nullptr;
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<MainWindow*>(shown); main && main->isVisible())
                window = main;
        }
        if (!window || QApplication::activeModalWidget()) {
            looksWithoutBox = 0;
            return;
        }
        if (++looksWithoutBox < 2)
            return;
        auto* status = window->findChild<QLabel*>("statusLine");
        seen.status = status->text();
        seen.statusRead =
            QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name) == seen.status;
        seen.slotsUsable = window->findChild<QWidget*>("startUpPage")->isEnabled() &&
                           window->findChild<QAction*>("backUpAll")->isEnabled();
        seen.driveMenu = window->findChild<QMenu*>("drive") != nullptr;
        window->close();
        closer.stop();
        QCoreApplication::exit(0);
    });
    closer.start();
    runProgram(options);
    seen.boxes = modal.boxes();
    return seen;
}

// The child's report, one line a finding.
int reportStart(const QStringList& arguments) {
    const StartSeen seen = startProgram(arguments);
    for (const SeenBox& box : seen.boxes)
        std::printf("box\t%d\t%d\t%s\n", box.overShownWindow && box.readAsAlert,
                    int(box.buttons.size()), qPrintable(box.text));
    std::printf("status\t%d\t%s\n", seen.statusRead, qPrintable(seen.status));
    std::printf("window\t%d\t%d\n", seen.slotsUsable, seen.driveMenu);
    return 0;
}

}  // namespace

class StartOptionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrive> home_;

    fs::path dataFolder() const { return home_->root() / "data"; }
    fs::path demoRoot() const { return dataFolder() / "quenlark/drive_c"; }
    void rememberAsUsedLast(const fs::path& windowsFolder) {
        QSettings settings(
            QString::fromStdString((home_->root() / "config/quenlark/quenlark.conf").string()),
            QSettings::IniFormat);
        settings.beginWriteArray("installations", 1);
        settings.setArrayIndex(0);
        settings.setValue("kind", "folder");
        settings.setValue("path", QString::fromStdString(windowsFolder.string()));
        settings.setValue("name", QString::fromStdString(windowsFolder.parent_path().filename()));
        settings.endArray();
    }

    // The report of the program started as an ordinary user, with this
    // home; each line of it split at the tabs.
    std::vector<QStringList> startAsOrdinaryUser(const OrdinaryUser& user,
                                                 const QStringList& arguments) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = QString::fromStdString(home_->root().string());
        environment.insert("HOME", home);
        environment.insert("XDG_DATA_HOME", home + "/data");
        environment.insert("XDG_CONFIG_HOME", home + "/config");
        environment.insert("XDG_CACHE_HOME", home + "/cache");
        environment.insert("XDG_RUNTIME_DIR", home + "/run");
        child.setProcessEnvironment(environment);
        child.setChildProcessModifier([user] {
            if (!becomeUser(user))
                ::_exit(126);
        });
        const fs::path program =
            programFor(user, QCoreApplication::applicationFilePath().toStdString());
        child.start(QString::fromStdString(program.string()),
                    QStringList{kChildOption} + arguments);
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            qWarning("child: %s", child.readAllStandardError().constData());
        std::vector<QStringList> report;
        for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split('\n'))
            report.push_back(line.split('\t'));
        return report;
    }
    static QString lineOf(const std::vector<QStringList>& report, const QString& kind) {
        for (const QStringList& line : report) {
            if (line.front() == kind)
                return line.mid(1).join('\t');
        }
        return "<none>";
    }

  private slots:
    void init() {
        home_ = std::make_unique<TempDrive>();
        for (const char* folder : {"data", "config", "cache", "run"})
            fs::create_directories(home_->root() / folder);
        fs::permissions(home_->root() / "run", fs::perms::owner_all);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataFolder().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home_->root() / "config").string()));
    }
    void cleanup() {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        home_.reset();
    }

    void helpAndVersionEndTheProgram() {
        StartOptions options;
        QCOMPARE(readStartOptions({"quenlark", "--help"}, options), std::optional<int>(0));
        QCOMPARE(readStartOptions({"quenlark", "--version"}, options), std::optional<int>(0));
    }

    // Without options: the installation used last, at first the demo drive.
    void noOptionsNameNoInstallation() {
        StartOptions options;
        QCOMPARE(readStartOptions({"quenlark"}, options), std::nullopt);
        QVERIFY(!options.installation);
        QVERIFY(!options.startDir);
        // Older menu entries' option is taken and does nothing.
        QCOMPARE(readStartOptions({"quenlark", "--start-in-data-folder"}, options), std::nullopt);
        QVERIFY(!options.installation);
    }

    void windowsFolderAndLetterAreTaken() {
        TempDrive drive;
        StartOptions options;
        const QString folder =
            QString::fromStdString((drive.windows() / ".." / "WINDOWS").string());
        QCOMPARE(
            readStartOptions({"quenlark", "--windows-dir", folder, "--drive-letter", "d"}, options),
            std::nullopt);
        QCOMPARE(options.installation->kind, InstallationSource::Kind::Folder);
        QCOMPARE(options.installation->path, drive.windows());
        QCOMPARE(options.installation->driveLetter, 'D');

        const QString image = QString::fromStdString((drive.root() / "w98.img").string());
        TempDrive::put(drive.root() / "w98.img", "an image");
        StartOptions imageOptions;
        QCOMPARE(readStartOptions(
                     {"quenlark", "--image", image, "--partition", "5", "--start-dir", "here"},
                     imageOptions),
                 std::nullopt);
        QCOMPARE(imageOptions.installation->kind, InstallationSource::Kind::DiskImage);
        QCOMPARE(imageOptions.installation->partition, std::optional<int>(5));
        QCOMPARE(*imageOptions.startDir, fs::current_path() / "here");
    }

    void wrongCommandLinesEndWithStatusTwo_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--windows"};
        QTest::newRow("stray argument") << QStringList{"C:\\WINDOWS"};
        QTest::newRow("option without its value") << QStringList{"--windows-dir"};
        QTest::newRow("empty folder name") << QStringList{"--windows-dir", ""};
        QTest::newRow("the host's root") << QStringList{"--windows-dir", "/"};
        QTest::newRow("drive Z is the host's root") << QStringList{"--drive-letter", "Z"};
        QTest::newRow("two letters") << QStringList{"--drive-letter", "CD"};
        QTest::newRow("no letter") << QStringList{"--drive-letter", "3"};
        QTest::newRow("image and folder") << QStringList{"--windows-dir", "@", "--image", "@/file"};
        QTest::newRow("partition without image") << QStringList{"--partition", "1"};
        QTest::newRow("partition zero") << QStringList{"--image", "@/file", "--partition", "0"};
    }
    void wrongCommandLinesEndWithStatusTwo() {
        QFETCH(QStringList, arguments);
        TempDrive drive;
        TempDrive::put(drive.root() / "file", "x");
        QStringList commandLine{"quenlark"};
        for (QString argument : arguments)
            commandLine << argument.replace("@", QString::fromStdString(drive.root().string()));
        StartOptions options;
        QCOMPARE(readStartOptions(commandLine, options), std::optional<int>(2));
        QVERIFY(!options.installation);
    }

    // What cannot be opened is said over the window, which opens on the
    // installation used before, or the demo drive.
    void whatCannotBeOpenedIsSaidOverTheWindow() {
        const QString home = QString::fromStdString(home_->root().string());
        TempDrive::put(home_->root() / "junk.vhd", "no disk image");
        struct Case {
            QStringList arguments;
            const char* usedLast;  // a folder in the home, or nullptr
            QString problem;
            QString instead;
        };
        const std::vector<Case> cases{
            {{"--image", home + "/junk.vhd"},
             nullptr,
             "holds neither a partition table nor a FAT volume.",
             "Quenlark opens its demo drive instead."},
            {{"--image", home + "/no.img"}, nullptr, "cannot be read", "its demo drive instead."},
            {{"--windows-dir", home + "/gone/WINDOWS"},
             nullptr,
             "The Windows folder " + home + "/gone/WINDOWS is not there any more.",
             "Quenlark opens its demo drive instead."},
            {{},
             "gone/WINDOWS",
             "is not there any more.",
             "Quenlark opens its demo drive instead."},
            {{"--windows-dir", home + "/gone/WINDOWS"},
             "w98/WINDOWS",
             "is not there any more.",
             "Quenlark opens w98, the installation used last, instead."},
        };
        TempDrive::put(home_->root() / "w98/WINDOWS/WIN.COM", "MZ");
        putLogo(home_->root() / "w98/LOGO.SYS", kStartUpColour);
        putLogo(home_->root() / "w98/WINDOWS/LOGOW.SYS", kWaitColour);
        putLogo(home_->root() / "w98/WINDOWS/LOGOS.SYS", kShutDownColour);
        for (const Case& c : cases) {
            fs::remove(home_->root() / "config/quenlark/quenlark.conf");
            if (c.usedLast)
                rememberAsUsedLast(home_->root() / c.usedLast);
            const StartSeen seen = startProgram(c.arguments);
            QCOMPARE(seen.boxes.size(), std::size_t(1));
            const SeenBox& box = seen.boxes.front();
            QVERIFY2(box.text.contains(c.problem) && box.text.endsWith(c.instead),
                     qPrintable(box.text));
            QVERIFY(box.overShownWindow && box.readAsAlert);
            QCOMPARE(box.icon, QMessageBox::Warning);
            const fs::path opened =
                c.instead.contains("used last") ? home_->root() / "w98" : demoRoot();
            QCOMPARE(seen.status.section(' ', 0, 3),
                     QString("Drive C: is %1.").arg(QString::fromStdString(opened.string())));
            QVERIFY(seen.slotsUsable);
        }
    }

    // The demo drive cannot be made: the window opens without an
    // installation, says why in its status line and a box, and offers the
    // Drive menu to open another.
    void withNothingToOpenTheWindowStillAppears() {
        TempDrive::put(demoRoot(), "a file in the way");
        const StartSeen seen = startProgram({});
        QCOMPARE(seen.boxes.size(), std::size_t(1));
        const SeenBox& box = seen.boxes.front();
        QVERIFY2(box.text.startsWith(QString("The demo drive %1 cannot be made: ")
                                         .arg(QString::fromStdString(demoRoot().string()))),
                 qPrintable(box.text));
        QVERIFY(
            box.text.endsWith("Quenlark manages no installation now: open a Windows folder "
                              "or a disk image from the Drive menu."));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY(box.overShownWindow && box.readAsAlert);
        QCOMPARE(seen.status, box.text);
        QVERIFY(seen.statusRead);
        QVERIFY(!seen.slotsUsable);
        QVERIFY(seen.driveMenu);
    }

    // As an ordinary user, whom permissions stop as they do not stop root.
    void aDataFolderTheUserCannotWrite() {
        std::string why;
        const auto user = ordinaryUser(&why);
        if (!user)
            QSKIP(why.c_str());
        handOver(home_->root(), *user);
        // Root's, or the user's own but closed: either way the user may not
        // write it.
        if (::geteuid() == 0)
            QCOMPARE(::chown(dataFolder().c_str(), 0, 0), 0);
        fs::permissions(dataFolder(), fs::perms::owner_write, fs::perm_options::remove);
        const auto report = startAsOrdinaryUser(*user, {});
        const QString box = lineOf(report, "box");
        QVERIFY2(box.startsWith("1\t1\tThe demo drive ") && box.contains("Permission denied") &&
                     box.endsWith("open a Windows folder or a disk image from the Drive menu."),
                 qPrintable(box));
        QVERIFY(lineOf(report, "status").startsWith("1\tThe demo drive "));
        QCOMPARE(lineOf(report, "window"), QString("0\t1"));
    }

    // Without FUSE an image that needs it cannot be opened: the window opens
    // on the demo drive with a box that says so, and no Retry.
    void withoutFuseTheWindowOpensOnTheDemoDrive() {
        std::string why;
        const auto user = ordinaryUser(&why);
        if (!user)
            QSKIP(why.c_str());
        if (runAsUser(*user, [] { return ::access("/dev/fuse", R_OK | W_OK) == 0 ? 0 : 1; }) == 0)
            QSKIP("the ordinary user can use /dev/fuse here");
        ImageMaker maker(home_->root() / "images");
        ImageRecipe recipe;
        recipe.files["WINDOWS/WIN.COM"] = "MZ";
        const MadeImage raw = maker.makeRaw("w98.img", recipe);
        const MadeImage image = maker.convert(raw, ImageFormat::Qcow2, "w98.qcow2");
        handOver(home_->root(), *user);
        const auto report =
            startAsOrdinaryUser(*user, {"--image", QString::fromStdString(image.file.string())});
        const QString box = lineOf(report, "box");
        QVERIFY2(box.startsWith("1\t1\t") && box.contains("FUSE") &&
                     box.endsWith("Quenlark opens its demo drive instead."),
                 qPrintable(box));
        QVERIFY(lineOf(report, "status").contains(QString::fromStdString(demoRoot().string())));
        QCOMPARE(lineOf(report, "window"), QString("1\t1"));
    }
};

int main(int argc, char** argv) {
    // The data folder is named after the program.
    QCoreApplication::setApplicationName("quenlark");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == kChildOption)
        return reportStart(app.arguments().mid(2));
    StartOptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "start_options_test.moc"
