#include "start_options.h"

#include <QCommandLineParser>
#include <cstdio>

namespace quenlark {

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
    const InstallationOptionsReader installation(parser);
    // Older menu entries start the program with it; every installation keeps
    // its files in the data folder now anyway.
    QCommandLineOption startInDataFolder("start-in-data-folder");
    startInDataFolder.setFlags(QCommandLineOption::HiddenFromHelp);
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
    // A folder or image that cannot be opened is told in a box over the
    // window, with what is opened instead.
    if (const auto problem =
            installation.read(options, InstallationOptionsReader::NamedPaths::CheckedWhenOpened))
        return refuse(*problem);
    return std::nullopt;
}

}  // namespace quenlark
