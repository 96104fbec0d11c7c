#include "folder_walk.h"

#include <array>
#include <string_view>
#include <system_error>

#include "readers.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// The names emulators give their disk images.
constexpr std::array<std::string_view, 7> kImageExtensions{".img",   ".ima",  ".vhd", ".vdi",
                                                           ".qcow2", ".vmdk", ".hdd"};

bool endsWithIgnoringCase(std::string_view name, std::string_view ending) {
    return name.size() > ending.size() &&
           sameNameIgnoringCase(name.substr(name.size() - ending.size()), ending);
}

bool isImageName(std::string_view name) {
    for (const auto extension : kImageExtensions)
        if (endsWithIgnoringCase(name, extension))
            return true;
    return false;
}

bool isBochsConfigName(std::string_view name) {
    return name == "bochsrc" || name == ".bochsrc" || name == "bochsrc.txt" ||
           endsWithIgnoringCase(name, ".bxrc");
}

}  // namespace

void walkFolder(const fs::path& root, int depth,
                const std::function<void(const fs::directory_entry&)>& visit, std::size_t limit) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    std::size_t seen = 0;
    for (const fs::recursive_directory_iterator end; !ec && it != end && seen < limit;
         it.increment(ec), ++seen) {
        const fs::directory_entry& entry = *it;
        // The type the folder listing gave: no stat per entry, and a link is
        // not followed here.
        std::error_code typeError;
        if (!entry.is_symlink(typeError) && entry.is_directory(typeError)) {
            const std::string name = entry.path().filename();
            if (it.depth() >= depth || name.front() == '.')
                it.disable_recursion_pending();
            continue;
        }
        visit(entry);
    }
}

SearchFolderFiles walkSearchFolders(const std::vector<fs::path>& folders) {
    SearchFolderFiles found;
    for (const fs::path& folder : folders)
        walkFolder(folder, kSearchFolderDepth, [&](const fs::directory_entry& entry) {
            const std::string name = entry.path().filename();
            if (isImageName(name))
                found.images.push_back(entry.path());
            else if (sameNameIgnoringCase(name, "86box.cfg"))
                found.machines86Box.push_back(entry.path().parent_path());
            else if (endsWithIgnoringCase(name, ".conf"))
                found.confFiles.push_back(entry.path());
            else if (isBochsConfigName(name))
                found.bochsConfigs.push_back(entry.path());
        });
    return found;
}

void ReaderSearchFolders::read(const FinderInput& input, MachineList& out) const {
    for (const fs::path& image : input.searched.images)
        out.disks.push_back({image.filename().string(), "Search folder",
                             InstallationSource::Kind::DiskImage, image, DeclaredSystem::Unknown,
                             image.parent_path()});
}

}  // namespace quenlark
