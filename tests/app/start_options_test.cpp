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

    void noOptionsManageTheDemoDrive() {
        StartOptions options;
        QCOMPARE(readStartOptions({"quenlark"}, options), std::nullopt);
        QVERIFY(options.windowsFolder.empty());
        QCOMPARE(options.driveLetter, 'C');
    }

    void windowsFolderAndLetterAreTaken() {
        TempDrive drive;
        StartOptions options;
        const QString folder =
            QString::fromStdString((drive.windows() / ".." / "WINDOWS").string());
        QCOMPARE(
            readStartOptions({"quenlark", "--windows-dir", folder, "--drive-letter", "d"}, options),
            std::nullopt);
        QCOMPARE(options.windowsFolder, drive.windows());
        QCOMPARE(options.driveLetter, 'D');
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
        QVERIFY(options.windowsFolder.empty());
    }
};

QTEST_GUILESS_MAIN(StartOptionsTest)
#include "start_options_test.moc"
