#include "image_inspection.h"

#include <sys/stat.h>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kInfoTimeout = 10s;
// A report of one file is a few hundred bytes; a VMDK's extents add a line each.
constexpr std::size_t kLargestReport = 256 * 1024;

std::optional<std::string> stringAt(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

// qemu's JSON parser takes only well-formed UTF-8.
bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            continue;
        const std::size_t following = c >= 0xC2 && c <= 0xDF   ? 1
                                      : c >= 0xE0 && c <= 0xEF ? 2
                                      : c >= 0xF0 && c <= 0xF4 ? 3
                                                               : 0;
        if (following == 0 || i + following >= text.size())
            return false;
        const auto next = static_cast<unsigned char>(text[i + 1]);
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0) ||
            (c == 0xF0 && next < 0x90) || (c == 0xF4 && next >= 0x90))
            return false;
        for (std::size_t j = 1; j <= following; ++j)
            if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80)
                return false;
        i += following;
    }
    return true;
}

// Whether `path` lies in `folder` or below it, both resolved.
bool liesWithin(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != ".." && relative.is_relative();
}

bool canNameOtherFiles(ImageFormat format) {
    return format == ImageFormat::Qcow2 || format == ImageFormat::Vmdk;
}

std::variant<ImageReport, std::string> reportOf(const ToolEnvironment& environment,
                                                const ImageLayer& layer, const std::string& shown) {
    // The file alone: its backing file is named, never opened (that would
    // make the very connection or read that is to be refused).
    const ToolResult info = runTool(
        environment, "qemu-img",
        {"info", "--output=json", "--force-share", qemuNodeName({layer}, NodeAccess{0, true, ""})},
        ToolRun{kInfoTimeout, kLargestReport});
    if (!info.exitedCleanly())
        return "The disk image " + shown +
               " cannot be read: " + toolFailureSentence("qemu-img", info);
    auto report = parseImageReport(info.out);
    if (!report)
        return "The disk image " + shown +
               " cannot be read: qemu-img reports its structure in a form Quenlark does not know.";
    return std::move(*report);
}

}  // namespace

std::optional<ImageReport> parseImageReport(std::string_view json) {
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    ImageReport report;
    const auto format = stringAt(parsed, "format");
    const auto size = parsed.find("virtual-size");
    if (!format || size == parsed.end() || !size->is_number_unsigned())
        return std::nullopt;
    report.format = *format;
    report.virtualSize = size->get<std::uint64_t>();
    report.backingFile = stringAt(parsed, "backing-filename");
    report.backingFormat = stringAt(parsed, "backing-filename-format");
    const auto specific = parsed.find("format-specific");
    if (specific == parsed.end() || !specific->is_object())
        return report;
    const auto data = specific->find("data");
    if (data == specific->end() || !data->is_object())
        return report;
    report.dataFile = stringAt(*data, "data-file");
    const auto extents = data->find("extents");
    if (extents != data->end()) {
        if (!extents->is_array())
            return std::nullopt;
        for (const auto& extent : *extents) {
            const auto file = extent.is_object() ? stringAt(extent, "filename") : std::nullopt;
            if (!file)
                return std::nullopt;
            report.extents.push_back({*file, stringAt(extent, "format").value_or("")});
        }
    }
    return report;
}

std::optional<std::string> whyNotSelfContained(const ImageReport& report, const std::string& given,
                                               const std::string& shown) {
    const std::string named = "The disk image " + shown;
    if (report.dataFile)
        return named + " keeps its data in another file, " + *report.dataFile +
               " (an external data file); only an image that holds its own data is opened.";
    if (report.format == "vmdk" && report.extents.empty())
        return named + " is a VMDK that names none of its extents.";
    for (const auto& extent : report.extents)
        if (extent.file != given)
            return named + " is a VMDK whose contents lie in another file, " + extent.file +
                   "; only a VMDK in one file (monolithic) can be opened.";
    return std::nullopt;
}

std::optional<std::string> whyNotPlainBackingName(const std::string& name,
                                                  const std::string& shown) {
    const std::string named = "The disk image " + shown + " rests on " + name;
    // qemu reads a name as a protocol ("nbd:", "http:", "json:") when a colon
    // comes before any slash.
    const auto colon = name.find(':');
    if (colon != std::string::npos && colon < name.find('/'))
        return named +
               ", which is not a file but a protocol or a description for qemu; only a backing "
               "file beside the image or in a folder below it is opened.";
    if (name.empty() || name.find('\0') != std::string::npos || !isUtf8(name))
        return named + ", which is no name of a file.";
    return std::nullopt;
}

std::variant<ImageChain, std::string> inspectImage(const ToolEnvironment& environment,
                                                   const fs::path& image, ImageFormat format) {
    if (!isUtf8(image.string()))
        return "The disk image " + image.string() +
               " cannot be opened: its path is not UTF-8 text, which qemu's tools cannot be "
               "given.";
    std::error_code ec;
    const fs::path home = fs::canonical(image.parent_path(), ec);
    if (ec)
        return "The disk image " + image.string() + " cannot be read (" + ec.message() + ").";

    ImageChain chain;
    std::set<std::pair<dev_t, ino_t>> seen;
    fs::path file = image;
    for (;;) {
        const std::string shown = file.string();
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0)
            return "The disk image " + shown + " cannot be read.";
        if (!seen.insert({info.st_dev, info.st_ino}).second)
            return "The disk image " + image.string() + " rests on " + shown +
                   " again: its chain of backing files loops.";
        chain.push_back({file, qemuFormatName(format)});
        if (!canNameOtherFiles(format))
            return chain;
        auto reported = reportOf(environment, chain.back(), shown);
        if (auto* why = std::get_if<std::string>(&reported))
            return *why;
        const auto& report = std::get<ImageReport>(reported);
        if (report.format != chain.back().format)
            return "The disk image " + shown + " does not read as " + chain.back().format +
                   ", the format its header says.";
        if (auto why = whyNotSelfContained(report, shown, shown))
            return *why;
        if (!report.backingFile)
            return chain;

        const std::string& name = *report.backingFile;
        if (auto why = whyNotPlainBackingName(name, shown))
            return *why;
        if (chain.size() > kMostBackingFiles)
            return "The disk image " + image.string() + " rests on more than " +
                   std::to_string(kMostBackingFiles) +
                   " backing files, one beneath the other; Quenlark opens at most that many.";
        const fs::path named =
            fs::path(name).is_absolute() ? fs::path(name) : file.parent_path() / name;
        const fs::path backing = fs::canonical(named, ec);
        if (ec)
            return "The disk image " + shown + " rests on the backing file " + named.string() +
                   ", which cannot be read (" + ec.message() + ").";
        if (!liesWithin(backing, home))
            return "The disk image " + shown + " rests on the backing file " + backing.string() +
                   ", which lies outside " + home.string() +
                   "; only a backing file beside the image or in a folder below it is opened.";
        auto detected = detectImageFormat(backing);
        if (auto* why = std::get_if<std::string>(&detected))
            return "The disk image " + shown + " rests on a backing file that is refused. " + *why;
        format = std::get<ImageFormat>(detected);
        if (report.backingFormat && *report.backingFormat != qemuFormatName(format))
            return "The disk image " + shown + " says its backing file " + backing.string() +
                   " is " + *report.backingFormat + ", but it is " + qemuFormatName(format) + ".";
        file = backing;
    }
}

}  // namespace quenlark
