#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "registry.h"

namespace quenlark::testing {

// A registry held in memory for tests: keys under HKEY_LOCAL_MACHINE with
// their values, names compared without regard to letter case as Windows does.
// It remembers every open and close so that tests can see no key is left open.
class MemoryRegistry : public Registry {
  public:
    struct OpenCall {
        RegistryKey root;
        std::string subKey;
        std::uint32_t options;
        std::uint32_t access;
    };

    // The value's bytes exactly as given: a string gets no NUL added here.
    void setValue(const std::string& key, const std::string& name, std::uint32_t type,
                  std::string data);
    // A string as Windows stores it, with its closing NUL.
    void setString(const std::string& key, const std::string& name, const std::string& text);
    void setDword(const std::string& key, const std::string& name, std::uint32_t value);
    // The key exists, without values.
    void addKey(const std::string& key);

    long openKey(RegistryKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegistryKey& opened) override;
    long queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type, char* data,
                    std::uint32_t& length) override;
    long closeKey(RegistryKey key) override;

    std::vector<OpenCall> opens;        // every call, successful or not
    std::vector<std::string> queries;   // value names, in order
    std::vector<RegistryKey> closes;    // handles closed, in order
    std::set<RegistryKey> openHandles;  // opened and not yet closed

  private:
    struct Value {
        std::uint32_t type;
        std::string data;
    };
    static std::string folded(std::string text);

    std::map<std::string, std::map<std::string, Value>> keys_;  // by folded names
    std::map<RegistryKey, std::string> handles_;                // open handle -> folded key
    RegistryKey nextHandle_ = 0x100;
};

}  // namespace quenlark::testing
