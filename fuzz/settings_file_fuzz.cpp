// The settings file is the one file the program reads that anybody may have
// written: any bytes in quenlark.ini. Reads it through the host file system
// and checks the remembered folder against a reading of its own, then writes
// folders back and reads them again.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_tree.h"
#include "host_file_system.h"
#include "settings_file.h"

namespace quenlark::fuzz {
namespace {

constexpr const char* kIni = "C:\\WINDOWS\\QUENLARK.INI";  // found as quenlark.ini

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The folder a reader must find in `content`: its first line (up to CR or LF)
// without its first twelve characters, a character being a byte that starts
// one (a leading continuation byte starts one too) and the continuation bytes
// after it.
std::optional<std::string> expectedFolder(const std::string& content) {
    if (content.empty())
        return std::nullopt;
    const std::string line = content.substr(0, content.find_first_of("\r\n"));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i > 0 && continuationByte(line[i]))
            continue;
        if (characters == kSettingsKey.size())
            return line.substr(i);
        ++characters;
    }
    if (characters < kSettingsKey.size())
        return std::nullopt;
    return std::string();
}

struct Setup {
    Setup() : files(drives(), "C:\\TOOLS") {
        TempTree::put(tree.base() / "drive_c" / "TOOLS" / ".keep", "");
        TempTree::put(ini(), "");
    }
    DriveMap drives() const {
        DriveMap map;
        map.map('C', tree.base() / "drive_c");
        return map;
    }
    std::filesystem::path ini() const {
        return tree.base() / "drive_c" / "WINDOWS" / "quenlark.ini";
    }

    TempTree tree;
    HostFileSystem files;
};

void checkRoundTrip(HostFileSystem& files, const std::string& folder) {
    FUZZ_REQUIRE(writeSettingsFile(files, kIni, folder));
    FUZZ_REQUIRE(readRememberedFolder(files, kIni) == folder);
}

}  // namespace
}  // namespace quenlark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlark;
    using namespace quenlark::fuzz;
    static Setup setup;

    FuzzedDataProvider input(data, size);
    const std::string folder = input.ConsumeRandomLengthString(300);
    const std::string content = input.ConsumeRemainingBytesAsString();

    TempTree::put(setup.ini(), content);
    const auto read = readRememberedFolder(setup.files, kIni);
    FUZZ_REQUIRE(read == expectedFolder(content));

    // What was read is written back unchanged: a start-up that remembers the
    // folder again does not change it.
    if (read && (read->empty() || !continuationByte((*read)[0])))
        checkRoundTrip(setup.files, *read);

    // Any folder without a line break comes back as it was written, unless it
    // starts with a stray continuation byte: read as part of the key's last
    // character, that byte is dropped with the key. A folder the program
    // writes starts with its drive letter.
    if (folder.find_first_of("\r\n") == std::string::npos &&
        (folder.empty() || !continuationByte(folder[0])))
        checkRoundTrip(setup.files, folder);
    return 0;
}
