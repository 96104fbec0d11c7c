#include "start_options.h"

#include <QCommandLineParser>
#include <cstdio>
#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 2;

int refuse(const QString& reason) {
    std::fprintf(stderr, "quenlark: %s\n", qPrintable(reason));
    return kUsageError;
}

}  // namespace

std::optional<int> readStartOptions(const QStringList& arguments, StartOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Manages the boot and shutdown screens of a Windows 95/98 drive.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption windowsDir(
        "windows-dir",
        "The Windows folder of the installation to manage; its parent folder is the root of the "
        "Windows drive. Without it, the demo drive in the user's data folder.",
        "HOSTDIR");
    const QCommandLineOption driveLetter(
        "drive-letter", "The letter of that drive in Windows, A to Y (default C).", "X", "C");
    const QCommandLineOption startInDataFolder(
        "start-in-data-folder",
        "Keep BACKUP and ORIGINAL in the user's data folder (~/.local/share/quenlark), made when "
        "missing, instead of the folder the program is started from. The desktop's menu entry "
        "starts the program this way.");
    parser.addOption(windowsDir);
    parser.addOption(driveLetter);
    parser.addOption(startInDataFolder);

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("quenlark %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse("unexpected argument \"" + parser.positionalArguments().front() + "\"");

    // Z: is the host's root folder, as under Wine.
    const QString letter = parser.value(driveLetter).toUpper();
    if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Y')
        return refuse("--drive-letter must be one letter from A to Y, not \"" +
                      parser.value(driveLetter) + "\"");
    options.driveLetter = letter[0].toLatin1();
    options.startInDataFolder = parser.isSet(startInDataFolder);

    if (parser.isSet(windowsDir)) {
        const QString folder = parser.value(windowsDir);
        std::error_code ec;
        const fs::path path = fs::absolute(fs::path(folder.toStdString()), ec).lexically_normal();
        if (folder.isEmpty() || ec || !fs::is_directory(path, ec))
            return refuse("--windows-dir \"" + folder + "\" is not a folder");
        if (path == path.root_path())
            return refuse("--windows-dir \"" + folder +
                          "\" is the root folder; the Windows folder lies inside its drive");
        options.windowsFolder = path;
    }
    return std::nullopt;
}

}  // namespace quenlark
