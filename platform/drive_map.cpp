#include "drive_map.h"

#include <cctype>
#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

fs::path normalised(const fs::path& p) {
    std::error_code ec;
    fs::path absolute = fs::absolute(p, ec);
    if (ec)
        absolute = p;
    fs::path n = absolute.lexically_normal();
    // "/a/b/" and "/a/b" are the same folder.
    if (n.has_filename() || n == n.root_path())
        return n;
    return n.parent_path();
}

// The number of leading names of `path` that `root` accounts for, or nothing
// when `root` is not a prefix of `path`.
std::optional<std::size_t> prefixLength(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    std::size_t count = 0;
    for (; r != root.end(); ++r, ++p, ++count) {
        if (r->empty())
            continue;  // trailing separator
        if (p == path.end() || *r != *p)
            return std::nullopt;
    }
    return count;
}

}  // namespace

DriveMap::DriveMap() {
    roots_['Z'] = "/";
}

void DriveMap::map(char letter, const fs::path& root) {
    roots_[upper(letter)] = normalised(root);
}

std::optional<fs::path> DriveMap::root(char letter) const {
    auto it = roots_.find(upper(letter));
    if (it == roots_.end())
        return std::nullopt;
    return it->second;
}

std::string DriveMap::toWindows(const fs::path& hostPath) const {
    fs::path host = normalised(hostPath);
    char bestLetter = 'Z';
    std::size_t bestLength = 0;
    bool found = false;
    for (const auto& [letter, root] : roots_) {
        auto length = prefixLength(root, host);
        if (length && (!found || *length > bestLength)) {
            bestLetter = letter;
            bestLength = *length;
            found = true;
        }
    }
    WindowsPath result;
    result.drive = bestLetter;
    std::size_t index = 0;
    for (const auto& part : host) {
        if (index++ < bestLength || part.empty() || part == "/")
            continue;
        result.names.push_back(part.string());
    }
    return result.text();
}

std::optional<fs::path> DriveMap::toHost(const WindowsPath& path) const {
    auto base = root(path.drive);
    if (!base)
        return std::nullopt;
    fs::path host = *base;
    bool resolving = true;
    for (const auto& name : path.names) {
        if (resolving) {
            auto found = findNameIgnoringCase(host, name);
            if (found) {
                host /= *found;
                continue;
            }
            resolving = false;  // below a missing name nothing exists
        }
        host /= name;
    }
    return host;
}

}  // namespace quenlark
