#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "image_format.h"
#include "qemu_node.h"
#include "tool_runner.h"

namespace quenlark {

// An image may name other files that qemu would read or write with it: a
// backing file, an external data file, the extents of a VMDK. It is opened
// only when it is self-contained, or rests on backing files that lie beside
// it or below its folder and are self-contained in turn. Each file is looked
// at by itself before anything reads through it: its header by this program,
// then what `qemu-img info` reports of it alone.

// What `qemu-img info --output=json` reports of one file, as far as it names
// other files.
struct ImageReport {
    std::string format;
    std::uint64_t virtualSize = 0;
    std::optional<std::string> backingFile;    // as the image holds it
    std::optional<std::string> backingFormat;  // as the image holds it
    std::optional<std::string> dataFile;       // qcow2
    struct Extent {
        std::string file;
        std::string kind;  // "" for a sparse extent, "FLAT", ...
    };
    std::vector<Extent> extents;  // VMDK
};

// The report in `json`; nothing when it is not one.
std::optional<ImageReport> parseImageReport(std::string_view json);

// Why the file, given to qemu as `given` and shown as `shown`, reads other
// files than itself and its backing file; nothing when it does not.
std::optional<std::string> whyNotSelfContained(const ImageReport& report, const std::string& given,
                                               const std::string& shown);

// Why `name`, the backing file named by the image shown as `shown`, is not
// the plain name of a file (a protocol such as "nbd:", a "json:" node), or
// nothing.
std::optional<std::string> whyNotPlainBackingName(const std::string& name,
                                                  const std::string& shown);

// At most this many backing files beneath an image.
inline constexpr std::size_t kMostBackingFiles = 4;

// The image in `format` and the backing files beneath it, each inspected
// before it is opened; or the sentence that names the file and the reason it
// is refused. Runs qemu-img only on the formats that can name other files.
std::variant<ImageChain, std::string> inspectImage(const ToolEnvironment& environment,
                                                   const std::filesystem::path& image,
                                                   ImageFormat format);

}  // namespace quenlark
