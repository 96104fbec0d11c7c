#include "current_installation.h"

namespace quenlark {

CurrentInstallation::CurrentInstallation(OpenInstallation installation)
    : current_(std::move(installation)), drives_(current_.drives) {}

void CurrentInstallation::switchTo(OpenInstallation installation) {
    current_ = std::move(installation);
    drives_ = current_.drives;
}

bool CurrentInstallation::copyFile(const std::string& from, const std::string& to) {
    return current_.files->copyFile(from, to);
}
bool CurrentInstallation::fileExists(const std::string& path) {
    return current_.files->fileExists(path);
}
bool CurrentInstallation::deleteFile(const std::string& path) {
    return current_.files->deleteFile(path);
}
std::optional<std::uint64_t> CurrentInstallation::fileLength(const std::string& path) {
    return current_.files->fileLength(path);
}
bool CurrentInstallation::createFolder(const std::string& path) {
    return current_.files->createFolder(path);
}
bool CurrentInstallation::writeLine(const std::string& path, const std::string& line) {
    return current_.files->writeLine(path, line);
}
bool CurrentInstallation::writeEmptyFile(const std::string& path) {
    return current_.files->writeEmptyFile(path);
}
std::optional<std::string> CurrentInstallation::readFirstLine(const std::string& path) {
    return current_.files->readFirstLine(path);
}
std::optional<std::string> CurrentInstallation::readFile(const std::string& path,
                                                         std::uint64_t maxBytes) {
    return current_.files->readFile(path, maxBytes);
}
std::string CurrentInstallation::currentDirectory() {
    return current_.files->currentDirectory();
}
bool CurrentInstallation::setCurrentDirectory(const std::string& path) {
    return current_.files->setCurrentDirectory(path);
}

std::string CurrentInstallation::lastFailure() const {
    return current_.files->lastFailure();
}

std::optional<std::string> CurrentInstallation::whyCannotChange(const std::string& path) {
    return current_.files->whyCannotChange(path);
}

std::optional<std::filesystem::path> CurrentInstallation::hostPath(
    const std::string& windowsPath) const {
    if (windowsPath.empty())
        return std::nullopt;
    const auto parsed = parseWindowsPath(windowsPath, current_.files->currentDirectory());
    return parsed ? drives_.toHost(*parsed) : std::nullopt;
}

std::optional<std::string> CurrentInstallation::query() {
    return current_.windowsDirectory->query();
}

SettingsFolder CurrentInstallation::settingsFolder() const {
    return current_.windowsDirectory->settingsFolder();
}

}  // namespace quenlark
