#include "data_folder.h"

#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

fs::path installedReadme(const fs::path& programFolder) {
    // QUENLARK_DOC_FROM_BIN is where the build installs the readme, relative
    // to where it installs the program, so that the whole tree can move.
    return (programFolder / QUENLARK_DOC_FROM_BIN / "readme.txt").lexically_normal();
}

bool prepareStartupFolder(const fs::path& folder, const fs::path& readme, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        error = "cannot make the start-up folder " + folder.string() + ": " +
                (ec ? ec.message() : std::string("a file of that name is in the way"));
        return false;
    }
    // A readme.txt of any kind that is there already, even a link that leads
    // nowhere, is the user's; a failed link only costs the "Read Me" command.
    const fs::path link = folder / "readme.txt";
    if (!fs::exists(fs::symlink_status(link, ec)) && fs::is_regular_file(readme, ec))
        fs::create_symlink(readme, link, ec);
    return true;
}

}  // namespace quenlark
