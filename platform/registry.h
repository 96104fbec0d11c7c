#pragma once

#include <cstdint>
#include <string>

namespace quenlark {

// The Windows registry, read the way Windows programs read it: open a key,
// query a value into a caller's buffer, close the key. Status codes are the
// Windows ones.
using RegistryKey = std::uint32_t;

inline constexpr RegistryKey kLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

inline constexpr long kRegistrySuccess = 0;        // ERROR_SUCCESS
inline constexpr long kRegistryNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr long kRegistryInvalidHandle = 6;  // ERROR_INVALID_HANDLE: no such open key
inline constexpr long kRegistryMoreData = 234;     // ERROR_MORE_DATA: buffer too small

inline constexpr std::uint32_t kRegistryString = 1;  // REG_SZ
inline constexpr std::uint32_t kRegistryDword = 4;   // REG_DWORD

class Registry {
  public:
    virtual ~Registry() = default;

    virtual long openKey(RegistryKey root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t access, RegistryKey& opened) = 0;

    // Copies the value's data into `data` (room for `length` bytes) and sets
    // `type` and `length` to the data's type and size. Fails with
    // kRegistryMoreData, copying nothing, when the data does not fit.
    virtual long queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                            char* data, std::uint32_t& length) = 0;

    virtual long closeKey(RegistryKey key) = 0;
};

}  // namespace quenlark
