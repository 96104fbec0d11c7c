// What an image says about itself comes from a stranger: the first and last
// sectors of the file, read by the format detection, and the report that
// qemu-img gives of its structure, read to find the other files it names.
// An even last byte fuzzes the sectors, an odd one the report. Besides not
// crashing: a header that would make QEMU read a descriptor of other files
// is never taken for an image, every report naming a data file or a foreign
// extent is refused, a name that qemu reads as a protocol is never a backing
// file, and the node qemu is given names exactly the file meant.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_tree.h"
#include "image_format.h"
#include "image_inspection.h"
#include "qemu_node.h"

namespace quenlark::fuzz {
namespace {

const std::string kShown = "/images/w98.img";

std::uint64_t littleEndian64(const unsigned char* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

void fuzzHeader(FuzzedDataProvider& input) {
    ImageEnds ends;
    ends.size = input.ConsumeIntegral<std::uint64_t>();
    const auto head = input.ConsumeBytes<unsigned char>(ends.head.size());
    std::copy(head.begin(), head.end(), ends.head.begin());
    const auto tail = input.ConsumeRemainingBytes<unsigned char>();
    std::copy_n(tail.begin(), std::min(tail.size(), ends.tail.size()), ends.tail.begin());
    const auto classified = classifyImage(ends, kShown);
    if (const auto* why = std::get_if<std::string>(&classified)) {
        FUZZ_REQUIRE(why->find(kShown) != std::string::npos);
        return;
    }
    const bool sparseVmdk = std::memcmp(ends.head.data(), "KDMV", 4) == 0;
    if (sparseVmdk)
        FUZZ_REQUIRE(littleEndian64(ends.head.data() + 12) != 0 ||
                     littleEndian64(ends.head.data() + 28) == 0);
    FUZZ_REQUIRE(!sparseVmdk || std::get<ImageFormat>(classified) == ImageFormat::Vmdk);
}

void fuzzReport(FuzzedDataProvider& input) {
    const std::string given = input.ConsumeRandomLengthString(64);
    const std::string json = input.ConsumeRemainingBytesAsString();
    const auto report = parseImageReport(json);
    if (!report)
        return;
    const auto refusal = whyNotSelfContained(*report, given, kShown);
    bool foreign =
        report->dataFile.has_value() || (report->format == "vmdk" && report->extents.empty());
    for (const auto& extent : report->extents)
        foreign = foreign || extent.file != given;
    FUZZ_REQUIRE(refusal.has_value() == foreign);
    if (refusal)
        FUZZ_REQUIRE(refusal->find(kShown) != std::string::npos);

    if (!report->backingFile)
        return;
    const std::string& name = *report->backingFile;
    const bool plain = !whyNotPlainBackingName(name, kShown);
    for (const char* protocol : {"json:", "nbd:", "file:", "http:"})
        if (name.rfind(protocol, 0) == 0)
            FUZZ_REQUIRE(!plain);
    if (!plain)
        return;
    // A plain name reaches qemu as exactly that file, resting on nothing.
    const auto node = nlohmann::json::parse(
        qemuNode({{name, "qcow2"}, {given + ".base", "raw"}}, NodeAccess{1, false, ""}), nullptr,
        false);
    FUZZ_REQUIRE(node.is_object() && node.at("file").at("driver") == "file");
    FUZZ_REQUIRE(node.at("file").at("filename") == name && node.at("driver") == "qcow2");
    // The raw file beneath it can have no backing file, so none is named.
    const auto& beneath = node.at("backing");
    FUZZ_REQUIRE(beneath.at("read-only") == true && !beneath.contains("backing"));
}

}  // namespace
}  // namespace quenlark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeIntegral<std::uint8_t>() % 2 == 0)
        quenlark::fuzz::fuzzHeader(input);
    else
        quenlark::fuzz::fuzzReport(input);
    return 0;
}
