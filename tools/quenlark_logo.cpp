// quenlark-logo [options] COMMAND ...: the logo store of a Windows 95/98
// installation from a shell, for scripts and emulators' launch scripts. The
// same operations as the window's buttons, with nobody to ask: each question
// is answered as the command says. Exit status 0 done, 1 failed (one line on
// standard error, the installation unchanged), 2 wrong usage.
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "batch_user.h"
#include "builtin_logo_reader.h"
#include "converter.h"
#include "find_command.h"
#include "installation_check.h"
#include "installation_options.h"
#include "installations.h"
#include "logo_store.h"
#include "new_file.h"
#include "picture_options.h"
#include "picture_reader.h"
#include "regular_file.h"
#include "size_check.h"
#include "slot_report.h"

namespace {

using namespace quenlark;
namespace fs = std::filesystem;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

constexpr const char* kCommands =
    "Commands:\n"
    "  list                 each slot: its Windows path,\n"
    "                       installed=logo|not-a-logo|missing|unreadable, backup=yes|no,\n"
    "                       original=copy|none|not-captured (unreadable: then why)\n"
    "  get SLOT OUT         copy the slot's installed logo to the file OUT\n"
    "  put SLOT FILE        install FILE; the present logo first becomes the slot's backup\n"
    "                       (with --convert, FILE is any picture, made into a logo first)\n"
    "  backup SLOT          copy the installed logo to the slot's backup\n"
    "  restore SLOT         put the backup back; the logo it replaces becomes the backup\n"
    "  originals            put back the logos found at first use, backing all three up first\n"
    "  random SLOT FOLDER   put a logo from FOLDER picked at random, never the one installed\n"
    "                       now when another is there\n"
    "  builtin OUT          save the start-up logo built into the drive's IO.SYS\n"
    "  check                what will keep Windows from showing each logo, one finding a\n"
    "                       line, \"Problem: \" or \"Note: \" first (exit status 1 when there\n"
    "                       is a problem); changes nothing\n"
    "  find                 each Windows 95/98 installation on the emulators' machines:\n"
    "                       name, emulator, image, partition, state (ready, in-use: WHY,\n"
    "                       refused: WHY), tab-separated; exit status 1 when none\n"
    "SLOT: startup, wait or shutdown.";

void printLine(std::FILE* to, const std::string& text) {
    std::fprintf(to, "%s\n", text.c_str());
}

int usageError(const QString& message) {
    printLine(stderr, "quenlark-logo: " + message.toStdString());
    printLine(stderr, "Usage: quenlark-logo [options] COMMAND ...; see --help.");
    return kBadUsage;
}

int failed(const std::string& message) {
    printLine(stderr, "quenlark-logo: " + message);
    return kFailed;
}

// How the command line names the slots, in their order.
constexpr std::array<const char*, 3> kSlotKeywords{"startup", "wait", "shutdown"};

const char* slotKeyword(Slot slot) {
    return kSlotKeywords[static_cast<std::size_t>(slot)];
}

std::optional<Slot> slotNamed(const QString& name) {
    for (const SlotInfo& slot : kSlots)
        if (name == slotKeyword(slot.slot))
            return slot.slot;
    return std::nullopt;
}

fs::path hostPathOf(const QString& argument) {
    std::error_code ec;
    const fs::path path(QFile::encodeName(argument).toStdString());
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}

bool sameContent(FileSystem& files, const std::string& a, const std::string& b) {
    constexpr std::uint64_t kLargest = 4 * 1024 * 1024;
    const auto first = files.readFile(a, kLargest);
    const auto second = files.readFile(b, kLargest);
    return first && second && *first == *second;
}

// One run of a command on an opened installation.
class Command {
  public:
    Command(OpenInstallation& installation, bool backUpFirst, bool replaceOut)
        : installation_(installation),
          files_(*installation.files),
          user_(files_),
          store_(files_, *installation.windowsDirectory, user_, installation.notice),
          backUpFirst_(backUpFirst),
          replaceOut_(replaceOut) {}

    // What the window's start-up does to the files, without a word: folders,
    // original copies, "no logo" markers, the settings file. So a command run
    // before the window ever did still captures the originals first.
    bool startUp() {
        user_.setQuiet(true);
        const bool started = store_.startUp();
        user_.setQuiet(false);
        return started;
    }

    int list() {
        static const char* const kInstalled[] = {"logo", "not-a-logo", "missing", "unreadable"};
        static const char* const kOriginal[] = {"copy", "none", "not-captured"};
        for (const SlotInfo& slot : kSlots) {
            const SlotReport report = reportSlot(files_, store_.paths(), slot.slot);
            std::printf("%s\t%s\tinstalled=%s\tbackup=%s\toriginal=%s", slotKeyword(slot.slot),
                        store_.paths().installedOf(slot.slot).c_str(),
                        kInstalled[static_cast<int>(report.installed)],
                        report.backup ? "yes" : "no", kOriginal[static_cast<int>(report.original)]);
            if (report.installed == SlotReport::Installed::Unreadable)
                std::printf("\t%s", report.unreadableBecause.c_str());
            std::printf("\n");
        }
        return kDone;
    }

    int get(Slot slot, const fs::path& out) {
        const std::string& installed = store_.paths().installedOf(slot);
        if (!files_.fileExists(installed))
            return failed("there is no logo to get: " + installed + " is missing.");
        if (const std::string tooLarge = tooLargeForALogo(files_, installed); !tooLarge.empty())
            return failed(tooLarge);
        if (const auto refusal = refuseExisting(out))
            return failed(*refusal);
        if (!files_.copyFile(installed, windowsPath(out))) {
            // The file system names the file that failed, the logo or OUT.
            const std::string why = files_.lastFailure();
            return failed(why.empty() ? "cannot write " + out.string() + "." : why);
        }
        printLine(stdout, "File " + installed + " has been copied to " + out.string() + ".");
        return kDone;
    }

    int put(Slot slot, const fs::path& file) {
        std::error_code ec;
        if (const auto notRegular = whyNotAnOrdinaryFile(file))
            return failed(*notRegular);
        if (!fs::is_regular_file(file, ec))
            return failed("there is no file " + file.string() + " to install.");
        const std::string newLogo = windowsPath(file);
        if (!store_.checkLogoSize(newLogo)) {
            std::string refusal = user_.takeFailure();
            if (converter::readPicture(QFile::decodeName(file.c_str())))
                refusal += " --convert makes a logo of this picture first.";
            return failed(refusal);
        }
        return install(slot, newLogo);
    }

    // The picture made into a logo in a folder of its own, installed from
    // there as put installs a file, and the folder removed.
    int putConverted(Slot slot, const fs::path& picture, const converter::ConvertOptions& options) {
        std::error_code ec;
        if (const auto notRegular = whyNotAnOrdinaryFile(picture))
            return failed(*notRegular);
        if (!fs::is_regular_file(picture, ec))
            return failed("there is no file " + picture.string() + " to install.");
        const auto read = converter::readPicture(QFile::decodeName(picture.c_str()));
        if (!read)
            return failed(read.error());
        const auto logo = converter::makeLogo(*read, options);
        if (!logo)
            return failed(logo.error());
        const QTemporaryDir folder;
        if (!folder.isValid())
            return failed("there is no temporary folder for the logo: " +
                          folder.errorString().toStdString());
        const fs::path made =
            fs::path(QFile::encodeName(folder.path()).toStdString()) / slotInfo(slot).installedName;
        const auto written = converter::writeNewFile(made, converter::encodeLogo(*logo),
                                                     converter::ExistingFile::Keep);
        if (!written)
            return failed(written.error());
        return install(slot, windowsPath(made), windowsPath(picture));
    }

    int backup(Slot slot) {
        store_.backUpLogo(store_.paths().installedOf(slot), store_.paths().backupOf(slot));
        return outcome();
    }

    int restore(Slot slot) {
        user_.answerQuestionsWith(Answer::Yes);
        store_.restoreLogo(store_.paths().backupOf(slot), store_.paths().installedOf(slot));
        return outcome();
    }

    // A logo that is missing has no backup to make; the operation goes on
    // and tells in its own box which logos it could not put back.
    int originals() {
        user_.answerQuestionsWith(Answer::Yes);
        store_.restoreOriginals();
        return outcome(false);
    }

    int random(Slot slot, const fs::path& folder) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec))
            return failed("there is no folder " + folder.string() + ".");
        const std::string& installed = store_.paths().installedOf(slot);
        bool anyAccepted = false;
        std::vector<fs::path> others;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code fileError;
            const auto size = it->is_regular_file(fileError) ? it->file_size(fileError) : 0;
            if (fileError || !hasLogoLength(size))
                continue;
            anyAccepted = true;
            if (!sameContent(files_, windowsPath(it->path()), installed))
                others.push_back(it->path());
        }
        if (!anyAccepted)
            return failed("the folder " + folder.string() + " holds no file of a logo's size.");
        if (others.empty()) {
            printLine(stdout, "The only logo in " + folder.string() + " is installed already as " +
                                  installed + ".");
            return kDone;
        }
        std::random_device seed;
        std::mt19937 pick(seed());
        return put(slot,
                   others[std::uniform_int_distribution<std::size_t>(0, others.size() - 1)(pick)]);
    }

    int builtin(const fs::path& out) {
        std::string error;
        const auto logo = readBuiltinLogo(files_, store_.paths(), error);
        if (!logo)
            return failed(error);
        const auto written = converter::writeNewFile(
            out, *logo,
            replaceOut_ ? converter::ExistingFile::Replace : converter::ExistingFile::Keep);
        if (!written)
            return failed(written.error());
        printLine(stdout, "The built-in logo of " + ioSysPath(store_.paths()) +
                              " has been saved as " + out.string() + ".");
        return kDone;
    }

  private:
    // Installs a file that passed the size check into the slot and says the
    // store's status line; `madeFrom` is the picture a made logo came from.
    int install(Slot slot, const std::string& newLogo, const std::string& madeFrom = {}) {
        user_.answerQuestionsWith(backUpFirst_ ? Answer::Yes : Answer::No);
        store_.installNewLogo(newLogo, store_.paths().installedOf(slot),
                              store_.paths().backupOf(slot), madeFrom);
        return outcome();
    }

    std::string windowsPath(const fs::path& host) const {
        return installation_.drives.toWindows(host);
    }

    std::optional<std::string> refuseExisting(const fs::path& out) const {
        std::error_code ec;
        if (!replaceOut_ && fs::exists(fs::symlink_status(out, ec)))
            return out.string() + " exists already; --force replaces it.";
        return std::nullopt;
    }

    // The store reports on its status line and in boxes; a box that
    // reported a problem makes the command fail.
    int outcome(bool retriesFail = true) {
        const std::string failure = user_.takeFailure(retriesFail);
        if (!failure.empty())
            return failed(failure);
        printLine(stdout, user_.lastStatus());
        return kDone;
    }

    OpenInstallation& installation_;
    FileSystem& files_;
    BatchUser user_;
    LogoStore store_;
    bool backUpFirst_;
    bool replaceOut_;
};

}  // namespace

// Reads only: unlike the other commands it does not run the start-up
// sequence, which makes folders and the settings file.
int check(OpenInstallation& installation) {
    const auto windowsDirectory = installation.windowsDirectory->query();
    if (!windowsDirectory)
        return failed("the Windows folder of this installation cannot be found.");
    const auto findings = checkInstallation(
        *installation.files,
        formStorePaths(*windowsDirectory, installation.files->currentDirectory()));
    bool problems = false;
    for (const Finding& finding : findings) {
        printLine(stdout,
                  std::string(severityName(finding.severity)) + ": " + findingLine(finding));
        problems |= finding.severity == Severity::Problem;
    }
    if (!problems)
        printLine(stdout, std::string(kAllLogosShown));
    return problems ? kFailed : kDone;
}

// Qt's own warnings (a missing runtime folder, say) are not for the user of
// a script: standard error carries one line of ours at most.
void dropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg)
        std::fprintf(stderr, "quenlark-logo: %s\n", qPrintable(message));
}

int main(int argc, char** argv) {
    qInstallMessageHandler(dropQtMessages);
    // Never a window, but the demo drive's sample logos are drawn with text,
    // which needs a GUI application: the offscreen one needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The window's name: both find the same data folder and settings.
    QCoreApplication::setApplicationName("quenlark");
    QCoreApplication::setApplicationVersion(QStringLiteral(QUENLARK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Changes, backs up and restores the boot and shutdown logos of a Windows "
                       "95/98 installation, as the Quenlark window does.\n\n") +
        kCommands);
    parser.addPositionalArgument("COMMAND", "What to do; see Commands above.");
    const InstallationOptionsReader installationOptions(
        parser, InstallationOptionsReader::Machine::Offered);
    const QCommandLineOption noBackup("no-backup",
                                      "put, random: do not back the present logo up first.");
    const QCommandLineOption force("force", "get, builtin: replace OUT if it exists.");
    const QCommandLineOption convert("convert",
                                     "put: FILE is any picture (PNG, JPEG, GIF, BMP, ...); make "
                                     "a logo of it and install that.");
    parser.addOptions({noBackup, force, convert});
    const PictureOptionsReader pictureOptions(parser, "put --convert");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return kDone;
    }
    if (parser.isSet(version)) {
        std::printf("quenlark-logo %s\n", QUENLARK_VERSION);
        return kDone;
    }
    InstallationOptions options;
    if (const auto problem = installationOptions.read(options))
        return usageError(*problem);

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError("no command given");
    const QString command = words.front();
    struct Shape {
        const char* name;
        int arguments;
        bool slotFirst;
    };
    static const Shape kShapes[] = {
        {"list", 0, false},   {"get", 2, true},        {"put", 2, true},    {"backup", 1, true},
        {"restore", 1, true}, {"originals", 0, false}, {"random", 2, true}, {"builtin", 1, false},
        {"check", 0, false},  {"find", 0, false}};
    const Shape* shape = nullptr;
    for (const Shape& s : kShapes)
        if (command == s.name)
            shape = &s;
    if (!shape)
        return usageError("unknown command \"" + command + "\"");
    if (words.size() - 1 != shape->arguments)
        return usageError(
            QStringLiteral("%1 takes %2 argument(s)").arg(command).arg(shape->arguments));
    std::optional<Slot> slot;
    if (shape->slotFirst && !(slot = slotNamed(words[1])))
        return usageError("no slot \"" + words[1] + "\": give startup, wait or shutdown");
    const QString last = words.back();
    std::optional<converter::ConvertOptions> conversion;
    if (parser.isSet(convert)) {
        if (command != "put")
            return usageError("--convert goes with put only");
        conversion.emplace();
        if (const auto problem = pictureOptions.read(*conversion))
            return usageError(*problem);
    } else if (const QString given = pictureOptions.firstGiven(); !given.isEmpty()) {
        return usageError("--" + given + " goes with put --convert only");
    }

    const ProgramFolders folders =
        userProgramFolders(QCoreApplication::applicationDirPath().toStdString());
    Installations installations(folders);
    EmulatorFinder finder(installations, userFinderPlaces(), folders.data / "finder");
    if (command == "find") {
        if (options.installation || options.machine)
            return usageError(
                "find looks at every machine; it takes no --windows-dir, --image "
                "or --machine");
        return runFindCommand(finder);
    }
    std::optional<InstallationSource> source = options.installation;
    std::string error;
    if (options.machine) {
        auto machine = machineInstallation(finder, *options.machine);
        if (auto* why = std::get_if<std::string>(&machine))
            return failed(*why);
        source = std::get<FoundInstallation>(machine).source;
        source->driveLetter = options.driveLetter;
    }
    if (!source) {
        if (const auto problem = installations.settingsFileProblem())
            return failed(*problem);
        source = installations.lastUsed();
    }
    if (!source && !(source = installations.demoDrive(error)))
        return failed(error);
    auto opened = installations.open(*source, options.startDir, Installations::Remember::No);
    if (auto* why = std::get_if<std::string>(&opened))
        return failed(*why);

    auto& installation = std::get<OpenInstallation>(opened);
    if (command == "check")
        return check(installation);
    Command run(installation, !parser.isSet(noBackup), parser.isSet(force));
    if (!run.startUp())
        return failed("the Windows folder of this installation cannot be found.");
    if (command == "list")
        return run.list();
    if (command == "get")
        return run.get(*slot, hostPathOf(last));
    if (command == "put")
        return conversion ? run.putConverted(*slot, hostPathOf(last), *conversion)
                          : run.put(*slot, hostPathOf(last));
    if (command == "backup")
        return run.backup(*slot);
    if (command == "restore")
        return run.restore(*slot);
    if (command == "originals")
        return run.originals();
    if (command == "random")
        return run.random(*slot, hostPathOf(last));
    return run.builtin(hostPathOf(last));
}
