// The command line: --help and --version answer and end, a wrong option or a
// folder that is no Windows folder ends with status 2 before anything is
// written, and a good one is read as given.
#include <QCoreApplication>
#include <QTest>

#include "start_options.h"
#include "temp_drive.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

class StartOptionsTest : public QObject {
    Q_OBJECT

  private slots:
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
        QTest::newRow("missing folder") << QStringList{"--windows-dir", "@/no/such/folder"};
        QTest::newRow("a file, not a folder") << QStringList{"--windows-dir", "@/file"};
        QTest::newRow("empty folder name") << QStringList{"--windows-dir", ""};
        QTest::newRow("the host's root") << QStringList{"--windows-dir", "/"};
        QTest::newRow("drive Z is the host's root") << QStringList{"--drive-letter", "Z"};
        QTest::newRow("two letters") << QStringList{"--drive-letter", "CD"};
        QTest::newRow("no letter") << QStringList{"--drive-letter", "3"};
        QTest::newRow("image and folder") << QStringList{"--windows-dir", "@", "--image", "@/file"};
        QTest::newRow("a folder as image") << QStringList{"--image", "@"};
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
};

QTEST_GUILESS_MAIN(StartOptionsTest)
#include "start_options_test.moc"
