// Windows paths and their host files: the parser, the case-insensitive
// lookup and both directions of the drive map, on a small drive that the
// target makes once (names in several letter cases, a second folder whose
// name differs only in case, a link that leaves the drive, a non-ASCII name).
//
// The first byte picks what to check; the rest is the input for it.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive_map.h"
#include "fuzz_tree.h"
#include "windows_path.h"

namespace quenlark::fuzz {
namespace {

namespace fs = std::filesystem;

struct Drive {
    Drive() : root(tree.base() / "drive_c") {
        TempTree::put(root / "LOGO.SYS", "x");
        TempTree::put(root / "WINDOWS" / "logow.sys", "x");
        TempTree::put(root / "WINDOWS" / "LOGOS.SYS", "x");
        TempTree::put(root / "WINDOWS" / "Logos.sys", "x");
        TempTree::put(root / "WINDOWS" / "logos.SYS", "x");
        TempTree::put(root / "TOOLS" / "BACKUP" / "logo.qnk", "x");
        TempTree::put(root / "Pics" / "a.bmp", "x");
        TempTree::put(root / "PICS" / "b.bmp", "x");
        TempTree::put(root / "\xc3\x84RGER" / "c.bmp", "x");
        TempTree::put(tree.base() / "outside" / "secret", "x");
        fs::create_directory_symlink("../outside", root / "out");
        drives.map('C', root);
        for (const fs::path& folder :
             {root, root / "WINDOWS", root / "TOOLS", root / "TOOLS" / "BACKUP", root / "Pics",
              root / "PICS", tree.base() / "outside"}) {
            std::vector<std::string>& names = listings[folder];
            for (const auto& entry : fs::directory_iterator(folder))
                names.push_back(entry.path().filename().string());
            folders.push_back(folder);
        }
    }

    TempTree tree;
    fs::path root;
    DriveMap drives;
    std::vector<fs::path> folders;
    std::map<fs::path, std::vector<std::string>> listings;
};

// `path` as the operating system reads it: up to its first NUL.
fs::path asTheSystemSeesIt(const fs::path& path) {
    const std::string& text = path.native();
    return fs::path(text.substr(0, text.find('\0'))).lexically_normal();
}

// Whether `path` (lexically normal) is `folder` or below it.
bool inside(const fs::path& folder, const fs::path& path) {
    auto f = folder.begin();
    auto p = path.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (f->empty())
            continue;
        if (p == path.end() || *f != *p)
            return false;
    }
    return true;
}

// The path's names, without the root and without an empty last name (a
// trailing separator).
std::vector<std::string> namesOf(const fs::path& path) {
    std::vector<std::string> names;
    for (const auto& part : path.relative_path())
        if (!part.empty())
            names.push_back(part.string());
    return names;
}

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

void checkParsed(const WindowsPath& parsed) {
    FUZZ_REQUIRE(parsed.drive >= 'A' && parsed.drive <= 'Z');
    for (const std::string& name : parsed.names) {
        FUZZ_REQUIRE(!name.empty() && name != "." && name != "..");
        FUZZ_REQUIRE(std::none_of(name.begin(), name.end(), isSeparator));
    }
    // The text form is a fixed point: parsed again it gives the same path.
    const std::string text = parsed.text();
    const auto again = parseWindowsPath(text, "Q:\\ELSEWHERE");
    FUZZ_REQUIRE(again && again->drive == parsed.drive && again->names == parsed.names);
    // Its parent folder is the path without its last name; the root is its own.
    const auto parent = parseWindowsPath(windowsParentFolder(text));
    FUZZ_REQUIRE(parent && parent->drive == parsed.drive);
    std::vector<std::string> expected = parsed.names;
    if (!expected.empty())
        expected.pop_back();
    FUZZ_REQUIRE(parent->names == expected);
}

void checkHostPath(const Drive& drive, const WindowsPath& parsed) {
    const auto host = drive.drives.toHost(parsed);
    if (parsed.drive != 'C' && parsed.drive != 'Z') {
        FUZZ_REQUIRE(!host);
        return;
    }
    FUZZ_REQUIRE(host);
    const fs::path root = parsed.drive == 'C' ? drive.root : fs::path("/");
    // One host name per Windows name, each the same but for letter case.
    const std::vector<std::string> rootNames = namesOf(root);
    const std::vector<std::string> hostNames = namesOf(*host);
    FUZZ_REQUIRE(hostNames.size() == rootNames.size() + parsed.names.size());
    FUZZ_REQUIRE(std::equal(rootNames.begin(), rootNames.end(), hostNames.begin()));
    for (std::size_t i = 0; i < parsed.names.size(); ++i)
        FUZZ_REQUIRE(sameNameIgnoringCase(hostNames[rootNames.size() + i], parsed.names[i]));
    // No Windows path leads out of its drive, also as the system reads it.
    FUZZ_REQUIRE(inside(root, host->lexically_normal()));
    FUZZ_REQUIRE(inside(root, asTheSystemSeesIt(*host)));
    // A file spelt exactly as it exists is that file.
    fs::path exact = root;
    for (const std::string& name : parsed.names)
        exact /= name;
    if (parsed.drive == 'C' && present(exact))
        FUZZ_REQUIRE(*host == exact);
}

// Windows paths against any current directory.
void checkWindowsPath(const Drive& drive, FuzzedDataProvider& input) {
    static const char* const kCurrent[] = {"C:\\", "C:\\WINDOWS", "c:\\tools\\backup", "Z:\\tmp",
                                           ""};
    std::string current = input.ConsumeBool()
                              ? kCurrent[input.ConsumeIntegralInRange<std::size_t>(0, 4)]
                              : input.ConsumeRandomLengthString(64);
    const std::string path = input.ConsumeRemainingBytesAsString();
    const auto parsed = parseWindowsPath(path, current);
    if (!parsed)
        return;
    if (path.find('\0') > 1 && path.size() >= 2 && path[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(path[0])))
        FUZZ_REQUIRE(parsed->drive == std::toupper(static_cast<unsigned char>(path[0])));
    checkParsed(*parsed);
    checkHostPath(drive, *parsed);
}

// One name looked up in one folder, against the folder's listing: the exact
// spelling, else the first case-insensitive match in byte order, else none.
void checkLookup(const Drive& drive, FuzzedDataProvider& input) {
    const fs::path& folder =
        drive.folders[input.ConsumeIntegralInRange<std::size_t>(0, drive.folders.size() - 1)];
    // Names as a parsed Windows path holds them.
    const auto parsed = parseWindowsPath(input.ConsumeRemainingBytesAsString(), "C:\\");
    if (!parsed)
        return;
    const std::vector<std::string>& listing = drive.listings.at(folder);
    for (const std::string& name : parsed->names) {
        std::optional<std::string> expected;
        if (std::find(listing.begin(), listing.end(), name) != listing.end()) {
            expected = name;
        } else {
            for (const std::string& entry : listing)
                if (sameNameIgnoringCase(entry, name) && (!expected || entry < *expected))
                    expected = entry;
        }
        FUZZ_REQUIRE(findNameIgnoringCase(folder, name) == expected);
    }
}

// Host paths to Windows and back.
void checkHostRoundTrip(const Drive& drive, FuzzedDataProvider& input) {
    static const char* const kBases[] = {
        "", "drive_c", "drive_c/WINDOWS", "drive_c/out", "outside", "drive_c_other"};
    const fs::path base =
        drive.tree.base() / kBases[input.ConsumeIntegralInRange<std::size_t>(0, 5)];
    const fs::path host = base / input.ConsumeRemainingBytesAsString();
    fs::path normal = host.lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path())
        normal = normal.parent_path();

    const std::string text = drive.drives.toWindows(host);
    const auto parsed = parseWindowsPath(text);
    FUZZ_REQUIRE(parsed);
    const bool onDrive = inside(drive.root, normal);
    FUZZ_REQUIRE(parsed->drive == (onDrive ? 'C' : 'Z'));

    // A host name holding a backslash has no Windows form: it reads as two.
    // Nor has one holding a NUL (no host file has such a name): Windows reads
    // the path up to it.
    const std::vector<std::string> names = namesOf(normal);
    if (std::any_of(names.begin(), names.end(), [](const std::string& n) {
            return n.find_first_of(std::string_view("\\\0", 2)) != std::string::npos;
        }))
        return;
    FUZZ_REQUIRE(parsed->text() == text);
    const auto back = drive.drives.toHost(*parsed);
    FUZZ_REQUIRE(back);
    const std::vector<std::string> backNames = namesOf(*back);
    FUZZ_REQUIRE(backNames.size() == names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        FUZZ_REQUIRE(sameNameIgnoringCase(backNames[i], names[i]));
    if (present(normal))
        FUZZ_REQUIRE(*back == normal);
}

}  // namespace
}  // namespace quenlark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlark::fuzz;
    static Drive drive;
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            checkWindowsPath(drive, input);
            break;
        case 1:
            checkLookup(drive, input);
            break;
        default:
            checkHostRoundTrip(drive, input);
            break;
    }
    return 0;
}
