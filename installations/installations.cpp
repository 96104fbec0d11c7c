#include "installations.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <system_error>

#include "data_folder.h"
#include "demo_drive.h"
#include "image_installation.h"
#include "ordinary_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecentKey = "installations";
constexpr const char* kSearchFoldersKey = "searchFolders";

fs::path canonicalPath(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path resolved = fs::weakly_canonical(ec ? path : absolute, ec);
    return ec ? path.lexically_normal() : resolved;
}

fs::path absolutePath(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}

}  // namespace

ProgramFolders userProgramFolders(const fs::path& programFolder) {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {userDataFolder(), config + "/quenlark/quenlark.conf", installedReadme(programFolder)};
}

Installations::Installations(ProgramFolders folders) : folders_(std::move(folders)) {}

fs::path Installations::startupFolderOf(const OpenInstallation& installation) const {
    return folders_.data / "installations" / installation.folderName;
}

// Keyed by the image file, not by the volume in it: a copy of an image must
// not finish a change that was cut short in the original.
fs::path Installations::imageWorkFolder(const fs::path& image) const {
    return folders_.data / "images" / startupFolderName(image.filename().string(), image.string());
}

std::variant<OpenInstallation, std::string> Installations::open(
    const InstallationSource& wanted, const std::optional<fs::path>& startupFolder,
    Remember remember, const std::string& name) {
    InstallationSource source = wanted;
    const bool image = source.kind == InstallationSource::Kind::DiskImage;
    // A folder's drive is where the user named it, links and all.
    source.path = image ? canonicalPath(wanted.path) : absolutePath(wanted.path);
    std::string error;
    auto opened = image ? openImageInstallation(source, imageWorkFolder(source.path), error)
                        : openFolderInstallation(source, error);
    if (!opened)
        return error;
    if (!name.empty())
        opened->name = name;

    const fs::path folder =
        startupFolder ? canonicalPath(*startupFolder) : startupFolderOf(*opened);
    if (!prepareStartupFolder(folder, folders_.readme, error))
        return "The folder for the backups of " + opened->name + " cannot be made: " + error + ".";
    if (!opened->files->setCurrentDirectory(opened->drives.toWindows(folder)))
        return "The folder " + folder.string() + " for the backups of " + opened->name +
               " cannot be entered.";
    if (remember == Remember::Yes)
        rememberAsLatest(opened->source, opened->name);
    return std::move(*opened);
}

std::optional<std::string> Installations::settingsFileProblem() const {
    const fs::path file = folders_.settingsFile.toStdString();
    if (const auto why = whyNotOrdinary(file, "The list of installations " + file.string()))
        return *why + ", so Quenlark neither reads nor writes it.";
    return std::nullopt;
}

std::optional<InstallationSource> Installations::lastUsed() const {
    const auto recent = readRecent();
    if (recent.empty())
        return std::nullopt;
    return recent.front().source;
}

CurrentInstallation& Installations::manage(OpenInstallation installation) {
    if (current_)
        current_->switchTo(std::move(installation));
    else
        current_ = std::make_unique<CurrentInstallation>(std::move(installation));
    return *current_;
}

std::vector<InstallationSwitcher::Recent> Installations::recentInstallations() {
    auto recent = readRecent();
    for (Recent& entry : recent)
        entry.current = current_ && entry.source == current_->installation().source;
    return recent;
}

std::optional<std::string> Installations::switchTo(const InstallationSource& source,
                                                   const std::string& name) {
    return openAndManage(source, std::nullopt, name);
}

std::optional<std::string> Installations::openAndManage(
    const InstallationSource& source, const std::optional<fs::path>& startupFolder,
    const std::string& name) {
    auto opened = open(source, startupFolder, Remember::Yes, name);
    if (auto* error = std::get_if<std::string>(&opened))
        return *error;
    auto& installation = std::get<OpenInstallation>(opened);
    if (!installation.windowsDirectory->query())
        return "The Windows folder of " + installation.name +
               " cannot be used: its path is longer than Windows allows.";
    manage(std::move(installation));
    return std::nullopt;
}

std::optional<InstallationSource> Installations::demoDrive(std::string& error) {
    const fs::path windows = prepareDemoDrive(folders_.data / "drive_c", error);
    if (windows.empty())
        return std::nullopt;
    return InstallationSource{InstallationSource::Kind::Folder, windows, std::nullopt, 'C'};
}

std::string Installations::notice() {
    return current_ ? current_->installation().notice : std::string();
}

std::optional<fs::path> Installations::imageFile() {
    if (!current_ || current_->installation().source.kind != InstallationSource::Kind::DiskImage)
        return std::nullopt;
    return current_->installation().source.path;
}

std::vector<InstallationSwitcher::Recent> Installations::readRecent() const {
    std::vector<Recent> recent;
    if (settingsFileProblem())
        return recent;
    QSettings settings(folders_.settingsFile, QSettings::IniFormat);
    const int count = settings.beginReadArray(kRecentKey);
    for (int i = 0; i < count && static_cast<int>(recent.size()) < kRecentCount; ++i) {
        settings.setArrayIndex(i);
        Recent entry;
        entry.source.kind = settings.value("kind").toString() == "image"
                                ? InstallationSource::Kind::DiskImage
                                : InstallationSource::Kind::Folder;
        entry.source.path = settings.value("path").toString().toStdString();
        if (settings.contains("partition"))
            entry.source.partition = settings.value("partition").toInt();
        const QString letter = settings.value("letter", "C").toString();
        entry.source.driveLetter = letter.size() == 1 ? letter[0].toUpper().toLatin1() : 'C';
        entry.name = settings.value("name").toString().toStdString();
        if (!entry.source.path.empty())
            recent.push_back(std::move(entry));
    }
    settings.endArray();
    return recent;
}

void Installations::rememberAsLatest(const InstallationSource& source, const std::string& name) {
    if (settingsFileProblem())
        return;
    std::vector<Recent> recent{{source, name, false}};
    std::vector<Recent> before = readRecent();
    // Most starts open the one used last: the file stays as it is, spared a
    // write and its flush to the disk.
    if (!before.empty() && before.front().source == source && before.front().name == name)
        return;
    for (Recent& entry : before) {
        if (!(entry.source == source) && static_cast<int>(recent.size()) < kRecentCount)
            recent.push_back(std::move(entry));
    }
    QSettings settings(folders_.settingsFile, QSettings::IniFormat);
    settings.remove(kRecentKey);
    settings.beginWriteArray(kRecentKey, static_cast<int>(recent.size()));
    for (int i = 0; i < static_cast<int>(recent.size()); ++i) {
        const Recent& entry = recent[static_cast<std::size_t>(i)];
        settings.setArrayIndex(i);
        const bool image = entry.source.kind == InstallationSource::Kind::DiskImage;
        settings.setValue("kind", image ? "image" : "folder");
        settings.setValue("path", QString::fromStdString(entry.source.path.string()));
        if (entry.source.partition)
            settings.setValue("partition", *entry.source.partition);
        settings.setValue("letter", QString(QChar(entry.source.driveLetter)));
        settings.setValue("name", QString::fromStdString(entry.name));
    }
    settings.endArray();
}

std::vector<fs::path> Installations::searchFolders() const {
    std::vector<fs::path> folders;
    if (settingsFileProblem())
        return folders;
    QSettings settings(folders_.settingsFile, QSettings::IniFormat);
    const int count = settings.beginReadArray(kSearchFoldersKey);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const std::string path = settings.value("path").toString().toStdString();
        if (!path.empty())
            folders.push_back(path);
    }
    settings.endArray();
    return folders;
}

void Installations::addSearchFolder(const fs::path& folder) {
    if (settingsFileProblem())
        return;
    auto folders = searchFolders();
    const fs::path added = canonicalPath(folder);
    if (std::find(folders.begin(), folders.end(), added) != folders.end())
        return;
    folders.push_back(added);
    QSettings settings(folders_.settingsFile, QSettings::IniFormat);
    settings.beginWriteArray(kSearchFoldersKey, static_cast<int>(folders.size()));
    for (int i = 0; i < static_cast<int>(folders.size()); ++i) {
        settings.setArrayIndex(i);
        settings.setValue("path", QString::fromStdString(folders[std::size_t(i)].string()));
    }
    settings.endArray();
}

}  // namespace quenlark
