#pragma once

#include "registry.h"

namespace quenlark {

// The host has no Windows registry: every key is missing. Programs that look
// a setting up there take their "not found" path, as they would on a Windows
// installation that lacks the key.
class HostRegistry : public Registry {
  public:
    long openKey(RegistryKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegistryKey& opened) override;
    long queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type, char* data,
                    std::uint32_t& length) override;
    long closeKey(RegistryKey key) override;
};

}  // namespace quenlark
