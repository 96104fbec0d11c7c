#include "image_maker.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quenlark::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t kSector = 512;
constexpr std::uint64_t kMiB = 1024 * 1024;

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string partitionType(int fatBits) {
    return fatBits == 12 ? "1" : fatBits == 16 ? "6" : "c";
}

}  // namespace

std::uint64_t numberAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    const auto digits =
        at == std::string::npos ? at : text.find_first_not_of(' ', at + label.size());
    if (digits == std::string::npos || !std::isdigit(static_cast<unsigned char>(text[digits])))
        throw std::runtime_error("no number after \"" + label + "\" in: " + text);
    return std::stoull(text.substr(digits));
}

std::string fileContent(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

ImageMaker::ImageMaker(fs::path folder)
    : folder_(std::move(folder)), environment_(folder_, folder_ / "mtoolsrc") {
    fs::create_directories(folder_);
    // Its checks off: a volume that Windows marked is looked into all the same.
    writeFile(folder_ / "mtoolsrc", "MTOOLS_NO_VFAT=0\nMTOOLS_SKIP_CHECK=1\n");
}

std::string ImageMaker::run(const std::string& program, const std::vector<std::string>& arguments,
                            const fs::path& input) {
    const auto result = runTool(environment_, program, arguments, 120s, input);
    if (!result.exitedCleanly()) {
        std::string command = program;
        for (const auto& a : arguments)
            command += " " + a;
        throw std::runtime_error(command + ": " + result.err + result.out);
    }
    return result.out;
}

MadeImage ImageMaker::makeRaw(const std::string& name, const ImageRecipe& recipe) {
    MadeImage made;
    made.file = folder_ / name;
    const std::uint64_t megabytes =
        recipe.megabytes ? recipe.megabytes : (recipe.fatBits == 32 ? 40 : 8);
    fs::remove(made.file);
    writeFile(made.file, {});
    fs::resize_file(made.file, megabytes * kMiB);

    const std::string type = partitionType(recipe.fatBits);
    if (recipe.layout == PartitionLayout::Bare) {
        made.partition = 0;
        made.size = megabytes * kMiB;
    } else {
        const fs::path script = folder_ / "sfdisk.script";
        if (recipe.layout == PartitionLayout::Primary)
            writeFile(script, "label: dos\nstart=63, type=" + type + "\n");
        else
            writeFile(script,
                      "label: dos\nstart=63, size=4096, type=1\nstart=4159, type=5\n"
                      "type=" +
                          type + "\n");
        run("sfdisk", {"-q", made.file.string()}, script);
        made.partition = recipe.layout == PartitionLayout::Primary ? 1 : 5;
        // "disk.img5 : start=        4222, size=       12162, type=e"
        const std::string dump = run("sfdisk", {"-d", made.file.string()});
        const std::string name =
            made.file.filename().string() + std::to_string(made.partition) + " :";
        const std::string line = dump.substr(std::min(dump.find(name), dump.size()));
        made.offset = numberAfter(line, "start=") * kSector;
        made.size = numberAfter(line, "size=") * kSector;
        if (recipe.layout == PartitionLayout::Logical)
            run("mkfs.fat",
                {"-F", "12", "-n", "DATA", "--offset", "63", made.file.string(), "2048"});
    }
    std::vector<std::string> mkfs{
        "-F", std::to_string(recipe.fatBits), "-n", recipe.label, "-i", recipe.serial};
    // One sector a cluster: enough clusters for FAT16 and FAT32 on a small disk.
    if (recipe.fatBits != 12 && megabytes <= 64)
        mkfs.insert(mkfs.end(), {"-s", "1"});
    if (made.partition != 0)
        mkfs.insert(mkfs.end(), {"--offset", std::to_string(made.offset / kSector)});
    mkfs.push_back(made.file.string());
    mkfs.push_back(std::to_string(made.size / 1024));
    run("mkfs.fat", mkfs);

    const std::string volume =
        made.offset ? made.file.string() + "@@" + std::to_string(made.offset) : made.file.string();
    std::set<std::string> folders;
    for (const auto& [path, content] : recipe.files) {
        for (auto slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            const std::string folder = path.substr(0, slash);
            if (folders.insert(folder).second)
                run("mmd", {"-i", volume, "::/" + folder});
        }
        const fs::path staged = folder_ / "staged";
        writeFile(staged, content);
        run("mcopy", {"-i", volume, "-o", staged.string(), "::/" + path});
        if (recipe.protectedFiles.count(path))
            run("mattrib", {"-i", volume, "+h", "+s", "+r", "::/" + path});
    }
    return made;
}

MadeImage ImageMaker::convert(const MadeImage& raw, ImageFormat format, const std::string& name) {
    MadeImage made = raw;
    made.format = format;
    made.file = folder_ / name;
    std::vector<std::string> arguments{"convert", "-f", "raw", "-O", qemuFormatName(format)};
    switch (format) {
        case ImageFormat::FixedVhd:
            arguments.insert(arguments.end(), {"-o", "subformat=fixed,force_size=on"});
            break;
        case ImageFormat::DynamicVhd:
            arguments.insert(arguments.end(), {"-o", "subformat=dynamic,force_size=on"});
            break;
        case ImageFormat::FixedVdi:
            arguments.insert(arguments.end(), {"-o", "static=on"});
            break;
        default:
            break;
    }
    arguments.push_back(raw.file.string());
    arguments.push_back(made.file.string());
    fs::remove(made.file);
    run("qemu-img", arguments);
    return made;
}

fs::path ImageMaker::rawCopy(const MadeImage& image) {
    const fs::path copy = folder_ / ("look-" + std::to_string(++scratchCount_) + ".raw");
    run("qemu-img", {"convert", "-U", "-f", qemuFormatName(image.format), "-O", "raw",
                     image.file.string(), copy.string()});
    return copy;
}

std::optional<std::string> ImageMaker::readFile(const MadeImage& image, const std::string& path) {
    const fs::path copy = rawCopy(image);
    const std::string volume =
        image.offset ? copy.string() + "@@" + std::to_string(image.offset) : copy.string();
    const auto result = runTool(environment_, "mcopy", {"-i", volume, "::/" + path, "-"}, 60s);
    fs::remove(copy);
    if (!result.exitedCleanly() || !result.err.empty())
        return std::nullopt;
    return result.out;
}

fs::path ImageMaker::volumeCopy(const MadeImage& image) {
    const fs::path copy = rawCopy(image);
    const fs::path volume = folder_ / "volume.fat";
    {
        std::ifstream in(copy, std::ios::binary);
        std::ofstream out(volume, std::ios::binary | std::ios::trunc);
        in.seekg(static_cast<std::streamoff>(image.offset));
        std::vector<char> buffer(kMiB);
        for (std::uint64_t left = image.size; left > 0;) {
            const auto chunk = static_cast<std::streamsize>(std::min<std::uint64_t>(left, kMiB));
            in.read(buffer.data(), chunk);
            out.write(buffer.data(), in.gcount());
            if (in.gcount() != chunk)
                break;
            left -= static_cast<std::uint64_t>(chunk);
        }
    }
    fs::remove(copy);
    return volume;
}

std::string ImageMaker::fsckFindings(const MadeImage& image) {
    const fs::path volume = volumeCopy(image);
    const auto result = runTool(environment_, "fsck.fat", {"-n", volume.string()}, 60s);
    fs::remove(volume);
    if (result.exitedCleanly())
        return {};
    return "fsck.fat exit " + std::to_string(result.exitCode) + ": " + result.out + result.err;
}

std::string ImageMaker::windowsMarks(const MadeImage& image) {
    const fs::path volume = volumeCopy(image);
    const auto report = runTool(environment_, "fsck.fat", {"-n", "-v", volume.string()}, 60s);
    const std::string bytes = fileContent(volume);
    fs::remove(volume);
    // "First FAT starts at byte 16384", "2 FATs, 32 bit entries",
    // "322560 bytes per FAT"
    const std::string& text = report.out;
    const std::uint64_t first = numberAfter(text, "First FAT starts at byte");
    const std::uint64_t entryBits = numberAfter(text, "FATs,");
    const auto countEnd = text.rfind("FATs,");
    const auto countStart = text.find_last_not_of("0123456789", countEnd - 2) + 1;
    const std::uint64_t fats = std::stoull(text.substr(countStart));
    const auto sizeEnd = text.find(" bytes per FAT");
    const auto sizeStart = text.find_last_not_of("0123456789", sizeEnd - 1) + 1;
    const std::uint64_t fatBytes = std::stoull(text.substr(sizeStart));
    std::string marks(1, bytes.at(entryBits == 32 ? 0x41 : 0x25));
    for (std::uint64_t copy = 0; copy < fats && entryBits >= 16; ++copy)
        marks += bytes.substr(first + copy * fatBytes + entryBits / 8, entryBits / 8);
    return marks;
}

void ImageMaker::giveImperfections(const MadeImage& raw,
                                   const std::set<Imperfection>& imperfections) {
    const std::string volume = raw.file.string() + "@@" + std::to_string(raw.offset);
    const std::string info = run("minfo", {"-i", volume, "::"});
    const bool fat32 = info.find("disk type=\"FAT32") != std::string::npos;
    const std::uint64_t sector = numberAfter(info, "sector size:");
    const std::uint64_t reserved = numberAfter(info, "reserved (boot) sectors:");
    const std::uint64_t fats = numberAfter(info, "fats:");
    const std::uint64_t fatSectors =
        fat32 ? numberAfter(info, "Big fatlen=") : numberAfter(info, "sectors per fat:");
    const std::uint64_t totalSectors = fat32 || numberAfter(info, "small size:") == 0
                                           ? numberAfter(info, "big size:")
                                           : numberAfter(info, "small size:");
    const std::uint64_t rootSectors =
        numberAfter(info, "max available root directory slots:") * 32 / sector;
    const std::uint64_t dataClusters = (totalSectors - reserved - fats * fatSectors - rootSectors) /
                                       numberAfter(info, "cluster size:");

    std::fstream disk(raw.file, std::ios::binary | std::ios::in | std::ios::out);
    auto at = [&](std::uint64_t volumeOffset) {
        return static_cast<std::streamoff>(raw.offset + volumeOffset);
    };
    auto writeBytes = [&](std::uint64_t offset, std::uint64_t value, int count) {
        disk.seekp(at(offset));
        for (int i = 0; i < count; ++i)
            disk.put(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    // Clears `bits` in the last byte of FAT entry 1, in every FAT.
    auto clearInEntry1 = [&](unsigned char bits) {
        for (std::uint64_t copy = 0; copy < fats; ++copy) {
            const std::uint64_t last = (reserved + copy * fatSectors) * sector + (fat32 ? 7 : 3);
            disk.seekg(at(last));
            const int byte = disk.get();
            writeBytes(last, static_cast<unsigned char>(byte & ~bits), 1);
        }
    };
    const std::uint64_t infoSector = fat32 ? numberAfter(info, "infoSector location=") : 0;
    for (Imperfection imperfection : imperfections) {
        switch (imperfection) {
            case Imperfection::NotShutDownCleanly:
                clearInEntry1(fat32 ? 0x08 : 0x80);
                break;
            case Imperfection::DiskErrorSeen:
                clearInEntry1(fat32 ? 0x04 : 0x40);
                break;
            case Imperfection::DirtyBootSector:
                writeBytes(fat32 ? 0x41 : 0x25, 1, 1);
                break;
            case Imperfection::LostClusters: {
                // Two chained clusters near the end, where nothing was written.
                const std::uint64_t cluster = dataClusters - 4;
                const int bytes = fat32 ? 4 : 2;
                for (std::uint64_t copy = 0; copy < fats; ++copy) {
                    const std::uint64_t fat = (reserved + copy * fatSectors) * sector;
                    writeBytes(fat + cluster * bytes, cluster + 1, bytes);
                    writeBytes(fat + (cluster + 1) * bytes, fat32 ? 0x0fffffff : 0xffff, bytes);
                }
                break;
            }
            case Imperfection::StaleFreeCount:
                writeBytes(infoSector * sector + 0x1e8, dataClusters / 2, 4);
                break;
            case Imperfection::UnknownFreeCount:
                writeBytes(infoSector * sector + 0x1e8, 0xffffffff, 4);
                break;
            case Imperfection::StampedBootSector:
                disk.seekp(at(3));
                disk.write("7Dk2bIHC", 8);
                break;
        }
    }
    if (!disk.flush())
        throw std::runtime_error("cannot write " + raw.file.string());
}

}  // namespace quenlark::testing
