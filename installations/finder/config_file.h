#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlark {

// The emulators' own files are read as data and nothing else: never sourced,
// never run, never followed into anything but the paths they name. A machine
// list is a few kilobytes; anything this large is not one.
inline constexpr std::size_t kLargestConfigFile = 4 * 1024 * 1024;

// The whole text of the configuration file `file`, or nothing with `why`
// set to the sentence why it is not read: it is not a regular file (a FIFO
// never blocks the search), it cannot be read, or it is larger than `limit`.
std::optional<std::string> readConfigFile(const std::filesystem::path& file, std::string& why,
                                          std::size_t limit = kLargestConfigFile);

// An INI text as the emulators write theirs: "[Section]" lines, "key = value"
// lines, comments from '#' or ';' at the start of a line. Keys before the
// first section are in section "". Section and key names are compared
// without regard to letter case; the first of several keys wins.
class IniText {
  public:
    explicit IniText(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The sections in the order of the text, with their keys in order and
    // every line but comments as it stands (DOSBox-X's [autoexec] holds
    // commands, not keys).
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
        std::vector<std::string> lines;
    };
    const std::vector<Section>& sections() const { return sections_; }
    const Section* section(std::string_view name) const;

  private:
    std::vector<Section> sections_;
};

// A value as Qt's QSettings writes it into an INI file (the 86Box manager's
// vmm.ini): in quotes when it holds commas or spaces at its ends, with
// backslash escapes inside them (\" \x00e9), and "@@" at its start for "@".
std::string unquoteQtValue(std::string_view value);

}  // namespace quenlark
