#include "sys_info.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace quenlark {

namespace {

// A DWORD as the registry stores it, least significant byte first.
std::string signedDecimalOf(const char* littleEndian) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(littleEndian[i]);
    return std::to_string(static_cast<std::int32_t>(bits));
}

// Closes the key on every way out of readRegistryValue, the thrown one included.
class OpenKey {
  public:
    OpenKey(Registry& registry, RegistryKey key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.closeKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    RegistryKey get() const { return key_; }

  private:
    Registry& registry_;
    RegistryKey key_;
};

}  // namespace

bool readRegistryValue(Registry& registry, RegistryKey root, const std::string& keyName,
                       const std::string& valueName, std::string& value) {
    RegistryKey opened = 0;
    if (registry.openKey(root, keyName, 0, kKeyAccess, opened) != kRegistrySuccess) {
        value.clear();
        return false;
    }
    OpenKey key(registry, opened);

    std::vector<char> buffer(kKeyValueBuffer, '\0');
    std::uint32_t length = kKeyValueBuffer;
    std::uint32_t type = 0;
    if (registry.queryValue(key.get(), valueName, type, buffer.data(), length) !=
        kRegistrySuccess) {
        value.clear();
        return false;
    }
    if (length == 0)
        throw KeyValueError("registry value \"" + valueName + "\" has no data");

    std::string text(buffer.data(), std::min(length, kKeyValueBuffer));
    if (text.back() == '\0')
        text.pop_back();

    if (type == kRegistryString)
        value = text;
    else if (type == kRegistryDword)
        value = signedDecimalOf(buffer.data());
    return true;
}

namespace {

// The tool's path from the first registry place that gives one. A full path is
// taken as it is; a folder only when MSINFO32.EXE is there.
std::optional<std::string> sysInfoPath(Registry& registry, FileSystem& files) {
    std::string path;
    if (readRegistryValue(registry, kLocalMachine, kSysInfoPathKey, kSysInfoPathValue, path))
        return path;
    std::string folder;
    if (!readRegistryValue(registry, kLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, folder))
        return std::nullopt;
    path = folder + kSysInfoProgram;
    if (!files.fileExists(path))
        return std::nullopt;
    return path;
}

}  // namespace

void startSystemInformationTool(Registry& registry, FileSystem& files, ProgramStarter& programs,
                                const ShowMessage& showMessage) {
    try {
        auto path = sysInfoPath(registry, files);
        if (path && programs.start(*path))
            return;
    } catch (const KeyValueError&) {
    }
    showMessage(kSysInfoUnavailable, MessageStyle::Ok);
}

}  // namespace quenlark
