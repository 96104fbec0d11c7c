#include "memory_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace quenlark::testing {

std::string MemoryRegistry::folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void MemoryRegistry::setValue(const std::string& key, const std::string& name, std::uint32_t type,
                              std::string data) {
    keys_[folded(key)][folded(name)] = {type, std::move(data)};
}

void MemoryRegistry::setString(const std::string& key, const std::string& name,
                               const std::string& text) {
    setValue(key, name, kRegistryString, text + '\0');
}

void MemoryRegistry::setDword(const std::string& key, const std::string& name,
                              std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    setValue(key, name, kRegistryDword, bytes);
}

void MemoryRegistry::addKey(const std::string& key) {
    keys_[folded(key)];
}

long MemoryRegistry::openKey(RegistryKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, RegistryKey& opened) {
    opens.push_back({root, subKey, options, access});
    if (root != kLocalMachine || !keys_.count(folded(subKey)))
        return kRegistryNotFound;
    opened = nextHandle_++;
    handles_[opened] = folded(subKey);
    openHandles.insert(opened);
    return kRegistrySuccess;
}

long MemoryRegistry::queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                                char* data, std::uint32_t& length) {
    queries.push_back(valueName);
    auto handle = handles_.find(key);
    if (handle == handles_.end())
        return kRegistryInvalidHandle;
    const auto& values = keys_[handle->second];
    auto value = values.find(folded(valueName));
    if (value == values.end())
        return kRegistryNotFound;
    const std::string& bytes = value->second.data;
    if (bytes.size() > length) {
        length = static_cast<std::uint32_t>(bytes.size());
        return kRegistryMoreData;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    type = value->second.type;
    length = static_cast<std::uint32_t>(bytes.size());
    return kRegistrySuccess;
}

long MemoryRegistry::closeKey(RegistryKey key) {
    closes.push_back(key);
    if (!handles_.erase(key))
        return kRegistryInvalidHandle;
    openHandles.erase(key);
    return kRegistrySuccess;
}

}  // namespace quenlark::testing
