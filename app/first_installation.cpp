#include "first_installation.h"

#include <vector>

#include "host_file_system.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// The Windows directory of no installation: the logo store never starts on it.
class NoWindowsDirectory : public WindowsDirectory {
  public:
    std::optional<std::string> query() override { return std::nullopt; }
};

OpenInstallation noInstallation() {
    OpenInstallation none;
    none.files = std::make_unique<HostFileSystem>(none.drives);
    none.windowsDirectory = std::make_unique<NoWindowsDirectory>();
    return none;
}

// A tool's message may lack its full stop; the next sentence must not run on.
std::string joined(const std::vector<std::string>& sentences) {
    std::string text;
    for (const std::string& sentence : sentences) {
        if (!text.empty())
            text += text.back() == '.' || text.back() == '?' || text.back() == '!' ? " " : ". ";
        text += sentence;
    }
    return text;
}

}  // namespace

FirstInstallation manageFirstInstallation(Installations& installations,
                                          const StartOptions& options) {
    std::vector<std::string> problems;
    // --start-dir belongs to the installation the program was asked to start
    // on; one opened in its place keeps its backups in its own folder.
    const std::optional<InstallationSource>& named = options.installation;
    const auto startupFolder = [&](bool asked) { return asked ? options.startDir : std::nullopt; };
    const auto tryToManage = [&](const InstallationSource& source, bool asked) {
        const auto why = installations.openAndManage(source, startupFolder(asked));
        if (why)
            problems.push_back(*why);
        return !why;
    };

    FirstInstallation first;
    if (named && tryToManage(*named, true)) {
        first.managed = true;
    } else if (const auto last = installations.lastUsed();
               last && !(named && *last == *named) && tryToManage(*last, !named)) {
        first.managed = true;
        if (!problems.empty())
            problems.push_back("Quenlark opens " + installations.current()->installation().name +
                               ", the installation used last, instead.");
    } else {
        std::string error;
        const auto demo = installations.demoDrive(error);
        if (!demo)
            problems.push_back(error);
        else if (tryToManage(*demo, !named && problems.empty()))
            first.managed = true;
        if (first.managed && !problems.empty())
            problems.push_back("Quenlark opens its demo drive instead.");
    }
    if (first.managed) {
        first.current = installations.current();
    } else {
        first.current = &installations.manage(noInstallation());
        problems.push_back(
            "Quenlark manages no installation now: open a Windows folder or a disk image from the "
            "Drive menu.");
    }
    first.problems = joined(problems);
    return first;
}

}  // namespace quenlark
