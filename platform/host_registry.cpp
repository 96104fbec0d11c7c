#include "host_registry.h"

namespace quenlark {

long HostRegistry::openKey(RegistryKey, const std::string&, std::uint32_t, std::uint32_t,
                           RegistryKey& opened) {
    opened = 0;
    return kRegistryNotFound;
}

// No key was ever opened, so every handle but the predefined roots is unknown.
long HostRegistry::queryValue(RegistryKey, const std::string&, std::uint32_t&, char*,
                              std::uint32_t&) {
    return kRegistryInvalidHandle;
}

long HostRegistry::closeKey(RegistryKey) {
    return kRegistryInvalidHandle;
}

}  // namespace quenlark
