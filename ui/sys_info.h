#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "file_system.h"
#include "program_starter.h"
#include "registry.h"
#include "user_interaction.h"

namespace quenlark {

// Where Windows records the system-information tool, tried in this order: the
// tool's full path, then the folder that holds MSINFO32.EXE.
inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";
inline constexpr const char* kSysInfoProgram = "\\MSINFO32.EXE";

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Read-control, query, set value, create sub-key, enumerate, notify, create
// link: what KEY_ALL_ACCESS asks for, less the right to delete.
inline constexpr std::uint32_t kKeyAccess = 0x2003F;
// The buffer a value is read into; a longer value is not read at all.
inline constexpr std::uint32_t kKeyValueBuffer = 1024;

// A value that the registry reports found but with no data at all.
class KeyValueError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `valueName` of the key `keyName` under `root`. True when it was found:
// `value` then holds a string value as it is, a DWORD as signed decimal text,
// and is left as passed in for any other type. False, with `value` emptied,
// when the key cannot be opened or the value cannot be read (a value over
// 1,024 bytes included). Throws KeyValueError for a value of length 0. The key
// is closed again whatever happens once it was opened.
bool readRegistryValue(Registry& registry, RegistryKey root, const std::string& keyName,
                       const std::string& valueName, std::string& value);

// Shows a message box and waits for it to be closed.
using ShowMessage = std::function<void(const std::string& text, MessageStyle style)>;

// Starts the system-information tool from the path the registry gives for it.
// When neither place gives a usable path, or the tool cannot be started,
// shows "System Information Is Unavailable At This Time" (OK, no icon).
void startSystemInformationTool(Registry& registry, FileSystem& files, ProgramStarter& programs,
                                const ShowMessage& showMessage);

}  // namespace quenlark
