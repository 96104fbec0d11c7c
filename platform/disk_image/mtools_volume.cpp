#include "mtools_volume.h"

#include <cctype>
#include <sstream>

#include "windows_path.h"

namespace quenlark {

namespace {

using namespace std::chrono_literals;

// mtools reads a large file from a slow export in far less; past this it hangs.
constexpr auto kMtoolsTimeout = 60s;

std::string trimmedRight(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool looksLikeDate(const std::string& token) {
    return token.size() == 10 && token[4] == '-' && token[7] == '-' &&
           std::isdigit(static_cast<unsigned char>(token[0]));
}

// The byte index `count` characters after `from` in UTF-8 text; npos when
// the text is shorter.
std::size_t afterCharacters(const std::string& text, std::size_t from, std::size_t count) {
    std::size_t at = from;
    for (std::size_t i = 0; i < count; ++i) {
        if (at >= text.size())
            return std::string::npos;
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

// One line of `mdir -a` under the configuration this layer gives mtools:
// "NAME     EXT       SIZE yyyy-mm-dd  hh:mm  Long name", "<DIR>" for a size.
// The short name's columns are characters: an accented one takes two bytes.
std::optional<FatEntry> parseListingLine(const std::string& line) {
    const std::size_t nameEnd = afterCharacters(line, 0, 8);
    const std::size_t extensionEnd = afterCharacters(line, nameEnd, 4);
    if (line.empty() || line[0] == ' ' || extensionEnd == std::string::npos || line[nameEnd] != ' ')
        return std::nullopt;
    std::istringstream fields(line.substr(extensionEnd));
    std::string size, date, time;
    if (!(fields >> size >> date >> time) || !looksLikeDate(date))
        return std::nullopt;
    FatEntry entry;
    const std::string base = trimmedRight(line.substr(0, nameEnd));
    const std::string extension =
        trimmedRight(line.substr(nameEnd + 1, extensionEnd - nameEnd - 1));
    entry.shortName = extension.empty() ? base : base + "." + extension;
    std::string rest;
    std::getline(fields, rest);
    entry.name = rest.size() > 2 ? rest.substr(2) : entry.shortName;
    if (size == "<DIR>") {
        entry.folder = true;
    } else {
        if (size.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        entry.size = std::stoull(size);
    }
    return entry;
}

// The name a host file has while mcopy copies it into the volume.
constexpr char kIncomingName[] = "incoming";

}  // namespace

std::string mtoolsPath(const FatPath& path) {
    std::string text = "::";
    for (const auto& name : path)
        text += "/" + name;
    return path.empty() ? "::/" : text;
}

const FatEntry* findFatEntry(const std::vector<FatEntry>& entries, const std::string& name) {
    for (const auto& entry : entries)
        if (sameNameIgnoringCase(entry.name, name) || sameNameIgnoringCase(entry.shortName, name))
            return &entry;
    return nullptr;
}

bool isLiteralFatName(const std::string& name) {
    return name.find_first_of("*?[]") == std::string::npos;
}

MtoolsVolume::MtoolsVolume(const ToolEnvironment& environment, std::filesystem::path file,
                           std::uint64_t offset)
    : environment_(environment), file_(std::move(file)), offset_(offset) {}

std::string MtoolsVolume::imageArgument() const {
    const std::string name = file_.filename().string();
    return offset_ == 0 ? name : name + "@@" + std::to_string(offset_);
}

std::optional<ToolResult> MtoolsVolume::run(const std::string& program,
                                            std::vector<std::string> arguments,
                                            std::size_t outputLimit) {
    arguments.insert(arguments.begin(), {"-i", imageArgument()});
    ToolRun bounds{kMtoolsTimeout, outputLimit, file_.parent_path()};
    ToolResult result = runTool(environment_, program, arguments, bounds);
    missing_ = false;
    if (result.outputCut)
        return result;  // the caller says what it read too much of
    if (!result.exitedCleanly() || !result.err.empty()) {
        const bool said = result.started && !result.timedOut && result.signal == 0;
        missing_ = said && result.err.substr(0, result.err.find('\n')).find("not found") !=
                               std::string::npos;
        failure_ = toolFailureSentence(program, result, " on the disk image");
        return std::nullopt;
    }
    failure_.clear();
    return result;
}

std::optional<std::vector<FatEntry>> MtoolsVolume::list(const FatPath& folder) {
    // The trailing slash makes mdir refuse a file instead of listing it alone.
    std::string path = mtoolsPath(folder);
    if (path.back() != '/')
        path += '/';
    const auto result = run("mdir", {"-a", path}, kLargestListing);
    if (!result)
        return std::nullopt;
    if (result->outputCut) {
        failure_ = "The folder " + mtoolsPath(folder).substr(2) +
                   " on the disk image lists as more than " +
                   std::to_string(kLargestListing / (1024 * 1024)) +
                   " MiB of entries, which no FAT folder holds: the image is damaged.";
        return std::nullopt;
    }
    std::vector<FatEntry> entries;
    std::istringstream lines(result->out);
    for (std::string line; std::getline(lines, line);) {
        auto entry = parseListingLine(line);
        if (entry && entry->name != "." && entry->name != "..")
            entries.push_back(std::move(*entry));
    }
    return entries;
}

std::optional<std::string> MtoolsVolume::read(const FatPath& file, std::uint64_t expectedSize) {
    const auto result = run("mcopy", {"-n", mtoolsPath(file), "-"}, expectedSize + 1);
    if (!result)
        return std::nullopt;
    if (result->outputCut) {
        failure_ = "The file " + mtoolsPath(file).substr(2) + " on the disk image reads as more " +
                   "than the " + std::to_string(expectedSize) +
                   " bytes its folder gives it: the image is damaged.";
        return std::nullopt;
    }
    if (result->out.size() != expectedSize) {
        failure_ = "The file " + mtoolsPath(file).substr(2) + " on the disk image reads as " +
                   std::to_string(result->out.size()) + " bytes instead of " +
                   std::to_string(expectedSize) + ": the image is damaged or cut short.";
        return std::nullopt;
    }
    return result->out;
}

bool MtoolsVolume::put(const std::filesystem::path& source, const FatPath& file) {
    namespace fs = std::filesystem;
    const fs::path incoming = file_.parent_path() / kIncomingName;
    std::error_code ec;
    fs::remove(incoming, ec);
    fs::create_symlink(fs::absolute(source, ec), incoming, ec);
    if (ec) {
        failure_ = "The file to copy into the disk image could not be linked into " +
                   file_.parent_path().string() + " (" + ec.message() + ").";
        return false;
    }
    const bool copied = run("mcopy", {"-D", "o", kIncomingName, mtoolsPath(file)}).has_value();
    fs::remove(incoming, ec);
    return copied;
}

bool MtoolsVolume::remove(const FatPath& file) {
    return run("mdel", {mtoolsPath(file)}).has_value();
}

bool MtoolsVolume::makeFolder(const FatPath& folder) {
    return run("mmd", {mtoolsPath(folder)}).has_value();
}

bool MtoolsVolume::rename(const FatPath& from, const FatPath& to) {
    return run("mmove", {mtoolsPath(from), mtoolsPath(to)}).has_value();
}

bool MtoolsVolume::replace(const FatPath& from, const FatPath& to) {
    return run("mmove", {"-D", "o", mtoolsPath(from), mtoolsPath(to)}).has_value();
}

std::optional<FatAttributes> MtoolsVolume::attributes(const FatPath& file) {
    const auto result = run("mattrib", {mtoolsPath(file)});
    if (!result)
        return std::nullopt;
    // "  A  SHR     ::/WINDOWS/LOGOW.SYS": the letters stand before the path.
    const std::string flags = result->out.substr(0, result->out.find("::"));
    FatAttributes attributes;
    attributes.archive = flags.find('A') != std::string::npos;
    attributes.system = flags.find('S') != std::string::npos;
    attributes.hidden = flags.find('H') != std::string::npos;
    attributes.readOnly = flags.find('R') != std::string::npos;
    return attributes;
}

bool MtoolsVolume::setAttributes(const FatPath& file, const FatAttributes& attributes) {
    auto flag = [](bool on, const char* letter) { return std::string(on ? "+" : "-") + letter; };
    return run("mattrib",
               {flag(attributes.archive, "a"), flag(attributes.system, "s"),
                flag(attributes.hidden, "h"), flag(attributes.readOnly, "r"), mtoolsPath(file)})
        .has_value();
}

}  // namespace quenlark
