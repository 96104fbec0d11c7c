#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "installation.h"

namespace quenlark {

// Which installation a command line names, and where its backups go.
struct InstallationOptions {
    // --windows-dir or --image; none for the one used last, else the demo drive.
    std::optional<InstallationSource> installation;
    // --start-dir: the start-up folder instead of the installation's own.
    std::optional<std::filesystem::path> startDir;
    // --machine: the installation of the emulator machine of this name, for
    // the caller to find.
    std::optional<std::string> machine;
    // --drive-letter.
    char driveLetter = 'C';
};

// The options quenlark and quenlark-logo share: --windows-dir, --image,
// --partition, --drive-letter and --start-dir; and, for a program that finds
// the emulators' machines, --machine.
class InstallationOptionsReader {
  public:
    enum class Machine { NotOffered, Offered };
    explicit InstallationOptionsReader(QCommandLineParser& parser,
                                       Machine machine = Machine::NotOffered);

    // Whether read() refuses a --windows-dir that is no folder and an --image
    // that is no file, or leaves that to the opening of the installation, which
    // says why in its own words (the window does, so that it can say so in a
    // box over itself).
    enum class NamedPaths { MustExist, CheckedWhenOpened };

    // After the parser has parsed: the options, or the sentence that says
    // what is wrong with them.
    std::optional<QString> read(InstallationOptions& options,
                                NamedPaths namedPaths = NamedPaths::MustExist) const;

  private:
    QCommandLineParser& parser_;
    QCommandLineOption windowsDir_;
    QCommandLineOption image_;
    QCommandLineOption partition_;
    QCommandLineOption driveLetter_;
    QCommandLineOption startDir_;
    QCommandLineOption machine_;
    bool machineOffered_;
};

}  // namespace quenlark
