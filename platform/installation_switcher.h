#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installation.h"

namespace quenlark {

// The installations the user has used, and the way to manage another one:
// what the window's Drive menu offers.
class InstallationSwitcher {
  public:
    struct Recent {
        InstallationSource source;
        std::string name;  // "drive_c", "win98.vhd"
        bool current = false;
    };

    virtual ~InstallationSwitcher() = default;

    // The installations used last, the latest first.
    virtual std::vector<Recent> recentInstallations() = 0;

    // Opens `source` and makes it the installation the program's file system
    // and Windows directory reach. Nothing when it did; otherwise the sentence
    // that says why, and the current installation stays as it was. A `name`
    // (an emulator's machine) is what the recent installations call it.
    virtual std::optional<std::string> switchTo(const InstallationSource& source,
                                                const std::string& name = {}) = 0;

    // The demo drive, made with its sample logos when it is missing.
    virtual std::optional<InstallationSource> demoDrive(std::string& error) = 0;

    // The sentence that names the current installation's drive.
    virtual std::string notice() = 0;

    // The disk image file that holds the current installation; nothing for a
    // folder. The window looks at its state to notice changes made outside.
    virtual std::optional<std::filesystem::path> imageFile() { return std::nullopt; }
};

}  // namespace quenlark
