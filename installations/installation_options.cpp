#include "installation_options.h"

#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

namespace {

fs::path absolutePath(const QString& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path.toStdString()), ec).lexically_normal();
    return ec ? fs::path() : absolute;
}

}  // namespace

InstallationOptionsReader::InstallationOptionsReader(QCommandLineParser& parser, Machine machine)
    : parser_(parser),
      windowsDir_("windows-dir",
                  "The Windows folder of the installation to manage; its parent folder is the "
                  "root of the Windows drive. Without it or --image, the installation used last, "
                  "at first the demo drive in the user's data folder.",
                  "HOSTDIR"),
      image_("image",
             "A disk image holding the installation to manage (raw, VHD, VDI, qcow2 or VMDK), "
             "changed in place without mounting it.",
             "FILE"),
      partition_("partition",
                 "With --image: the partition that holds Windows, numbered as Linux does (1-4 "
                 "primary, 5 and up logical drives). Without it, the first FAT partition that "
                 "holds Windows.",
                 "N"),
      driveLetter_("drive-letter", "The letter of that drive in Windows, A to Y (default C).", "X",
                   "C"),
      startDir_("start-dir",
                "Keep BACKUP and ORIGINAL in DIR (made when missing) instead of the "
                "installation's own folder in the user's data folder.",
                "DIR"),
      machine_("machine",
               "The installation of the emulator machine named NAME, as \"find\" lists it.",
               "NAME"),
      machineOffered_(machine == Machine::Offered) {
    parser_.addOptions({windowsDir_, image_, partition_, driveLetter_, startDir_});
    if (machineOffered_)
        parser_.addOption(machine_);
}

std::optional<QString> InstallationOptionsReader::read(InstallationOptions& options,
                                                       NamedPaths namedPaths) const {
    const bool mustExist = namedPaths == NamedPaths::MustExist;
    // Z: is the host's root folder, as under Wine.
    const QString letterText = parser_.value(driveLetter_).toUpper();
    if (letterText.size() != 1 || letterText[0] < 'A' || letterText[0] > 'Y')
        return "--drive-letter must be one letter from A to Y, not \"" +
               parser_.value(driveLetter_) + "\"";
    const char letter = letterText[0].toLatin1();
    options.driveLetter = letter;
    if (parser_.isSet(windowsDir_) && parser_.isSet(image_))
        return QString("give either --windows-dir or --image, not both");
    if (parser_.isSet(partition_) && !parser_.isSet(image_))
        return QString("--partition goes with --image");
    if (machineOffered_ && parser_.isSet(machine_)) {
        if (parser_.isSet(windowsDir_) || parser_.isSet(image_))
            return QString("give one of --windows-dir, --image and --machine");
        if (parser_.value(machine_).isEmpty())
            return QString("--machine needs the name of a machine");
        options.machine = parser_.value(machine_).toStdString();
    }

    std::error_code ec;
    if (parser_.isSet(windowsDir_)) {
        const QString folder = parser_.value(windowsDir_);
        const fs::path path = absolutePath(folder);
        if (folder.isEmpty() || path.empty() || (mustExist && !fs::is_directory(path, ec)))
            return "--windows-dir \"" + folder + "\" is not a folder";
        if (path == path.root_path())
            return "--windows-dir \"" + folder +
                   "\" is the root folder; the Windows folder lies inside its drive";
        options.installation =
            InstallationSource{InstallationSource::Kind::Folder, path, std::nullopt, letter};
    }
    if (parser_.isSet(image_)) {
        const QString file = parser_.value(image_);
        const fs::path path = absolutePath(file);
        if (file.isEmpty() || path.empty() || (mustExist && !fs::is_regular_file(path, ec)))
            return "--image \"" + file + "\" is not a file";
        InstallationSource source{InstallationSource::Kind::DiskImage, path, std::nullopt, letter};
        if (parser_.isSet(partition_)) {
            bool ok = false;
            const int number = parser_.value(partition_).toInt(&ok);
            if (!ok || number < 1)
                return "--partition needs a partition number from 1 up, not \"" +
                       parser_.value(partition_) + "\"";
            source.partition = number;
        }
        options.installation = source;
    }
    if (parser_.isSet(startDir_)) {
        const fs::path folder = absolutePath(parser_.value(startDir_));
        if (parser_.value(startDir_).isEmpty() || folder.empty())
            return QString("--start-dir needs a folder");
        options.startDir = folder;
    }
    return std::nullopt;
}

}  // namespace quenlark
