// Names looked up in host folders without regard to letter case, as Windows
// finds them. A Windows folder may hold tens of thousands of files, and every
// operation looks several names up in it, so a folder's names are read once
// and kept while the folder stays as it was.
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>
#include <cctype>
#include <mutex>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "drive_map.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// Folders kept at most; more are read afresh.
constexpr std::size_t kKeptFolders = 64;
// A folder changed this lately may change again within the same tick of the
// clock that stamps it, unseen: its names are not kept.
constexpr long kSettledNanoseconds = 1'000'000'000L;

std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct FolderState {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FolderState& o) const {
        return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FolderState> stateOf(const fs::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderState{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};
}

bool settled(const FolderState& state) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    auto age = [&](const timespec& t) {
        return (now.tv_sec - t.tv_sec) * 1'000'000'000L + (now.tv_nsec - t.tv_nsec);
    };
    return age(state.modified) > kSettledNanoseconds && age(state.changed) > kSettledNanoseconds;
}

// A folder's names, each beside its folded spelling, in one buffer: tens of
// thousands of them cost one allocation, not one each.
class FolderNames {
  public:
    explicit FolderNames(const fs::path& folder) {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            return;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            entries_.push_back({text_.size(), name.size()});
            text_.append(name);
            text_.append(folded(name));
        }
        ::closedir(dir);
    }

    // Of the names that fold to the same as `name`, the first in byte order,
    // so the answer does not depend on directory order.
    std::optional<std::string> find(const std::string& name) const {
        const std::string key = folded(name);
        std::optional<std::string_view> best;
        for (const Entry& e : entries_) {
            if (e.length != key.size() || text_.compare(e.offset + e.length, e.length, key) != 0)
                continue;
            const std::string_view candidate(text_.data() + e.offset, e.length);
            if (!best || candidate < *best)
                best = candidate;
        }
        return best ? std::optional<std::string>(*best) : std::nullopt;
    }

  private:
    struct Entry {
        std::size_t offset;  // the name, then its folded spelling
        std::size_t length;
    };
    std::string text_;
    std::vector<Entry> entries_;
};

class KeptFolders {
  public:
    std::optional<std::string> find(const fs::path& folder, const std::string& name) {
        const auto state = stateOf(folder);
        if (!state)
            return std::nullopt;
        std::lock_guard lock(mutex_);
        auto it = folders_.find(folder.native());
        if (it == folders_.end() || !(it->second.state == *state)) {
            if (!settled(*state)) {
                folders_.erase(folder.native());
                return FolderNames(folder).find(name);
            }
            if (folders_.size() >= kKeptFolders)
                folders_.clear();
            it =
                folders_.insert_or_assign(folder.native(), Kept{*state, FolderNames(folder)}).first;
        }
        return it->second.names.find(name);
    }

  private:
    struct Kept {
        FolderState state;
        FolderNames names;
    };

    std::mutex mutex_;
    std::unordered_map<std::string, Kept> folders_;
};

KeptFolders& keptFolders() {
    static KeptFolders kept;
    return kept;
}

}  // namespace

std::optional<std::string> findNameIgnoringCase(const fs::path& folder, const std::string& name) {
    // No host name holds a NUL; the system would read the name up to it and
    // find a shorter one.
    if (name.find('\0') != std::string::npos)
        return std::nullopt;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / name, ec)))
        return name;
    return keptFolders().find(folder, name);
}

}  // namespace quenlark
