#pragma once

#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "current_installation.h"
#include "installation_switcher.h"

namespace quenlark {

// Where the program keeps what it keeps for the user.
struct ProgramFolders {
    // Each installation's start-up folder (its BACKUP and ORIGINAL), the demo
    // drive, and the work folders of disk images.
    std::filesystem::path data;
    // The installations used, latest first.
    QString settingsFile;
    // Linked into each start-up folder, for "Read Me".
    std::filesystem::path readme;
};

// The user's folders: ~/.local/share/quenlark, ~/.config/quenlark/quenlark.conf
// and the readme installed beside the program in `programFolder`.
ProgramFolders userProgramFolders(const std::filesystem::path& programFolder);

// Every installation the user manages, each with a start-up folder of its own
// in the data folder, so that no two ever share backups or originals; the
// ones used lately; and the one managed now.
class Installations : public InstallationSwitcher {
  public:
    static constexpr int kRecentCount = 8;

    explicit Installations(ProgramFolders folders);

    // Whether opening an installation makes it the latest used: the window's
    // choices do; a command line's do not, so that a script never changes
    // what the window opens next.
    enum class Remember { Yes, No };

    // Opens `source` for the logo store: its start-up folder (or
    // `startupFolder` when given) is made, with the readme linked in, and is
    // the file system's current directory. Otherwise the sentence that says
    // why it cannot be opened. A `name` (an emulator's machine) is what menus
    // and the recent installations call it instead of its drive or image.
    std::variant<OpenInstallation, std::string> open(
        const InstallationSource& source,
        const std::optional<std::filesystem::path>& startupFolder = {},
        Remember remember = Remember::Yes, const std::string& name = {});

    // The installation used last, if any.
    std::optional<InstallationSource> lastUsed() const;
    // Why the list of installations used lately cannot be read or kept
    // (its file is a FIFO, a device or a folder); nothing when it can. The
    // list is then empty and nothing is remembered.
    std::optional<std::string> settingsFileProblem() const;

    // The installation managed now, behind references that stay valid when
    // the window switches: `installation` becomes it.
    CurrentInstallation& manage(OpenInstallation installation);

    // Opens `source` as open() does and, when the logo store can work on it,
    // manages it. Nothing when it did; otherwise the sentence that says why,
    // and the installation managed stays as it was.
    std::optional<std::string> openAndManage(
        const InstallationSource& source,
        const std::optional<std::filesystem::path>& startupFolder = {},
        const std::string& name = {});
    // The installation managed now; none before the first is.
    CurrentInstallation* current() { return current_.get(); }

    std::vector<Recent> recentInstallations() override;
    std::optional<std::string> switchTo(const InstallationSource& source,
                                        const std::string& name = {}) override;
    std::optional<InstallationSource> demoDrive(std::string& error) override;
    std::string notice() override;
    std::optional<std::filesystem::path> imageFile() override;

    // The folders the user added to be searched for disk images, in the
    // order added, kept beside the recent installations.
    std::vector<std::filesystem::path> searchFolders() const;
    // Adds one (made absolute) unless it is there already.
    void addSearchFolder(const std::filesystem::path& folder);

  private:
    std::filesystem::path startupFolderOf(const OpenInstallation& installation) const;
    std::filesystem::path imageWorkFolder(const std::filesystem::path& image) const;
    std::vector<Recent> readRecent() const;
    void rememberAsLatest(const InstallationSource& source, const std::string& name);

    ProgramFolders folders_;
    std::unique_ptr<CurrentInstallation> current_;
};

}  // namespace quenlark
