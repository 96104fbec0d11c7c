// A logo swap into a 512 MB disk image in each format: the old logo copied
// out as the backup, the new one put in as one verified change. Median of
// 9 swaps, beside a bare `mcopy -i` of the same file into the raw disk, and
// the peak memory of this process and of the largest tool it ran.
//   build/bench/image_swap_bench [FOLDER]   (default: a new folder in /tmp)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <vector>

#include "image_file_system.h"
#include "image_maker.h"

namespace {

using namespace quenlark;
using namespace quenlark::testing;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 9;

std::string logo(const std::string& tag) {
    std::string bytes = "BM" + tag;
    bytes.resize(129078, '.');
    return bytes;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakKilobytes(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return usage.ru_maxrss;
}

void writeFile(const fs::path& file, const std::string& content) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/quenlark-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
    }
    ImageMaker maker(folder / "images");
    ImageRecipe recipe;
    recipe.megabytes = 512;
    recipe.files = {{"LOGO.SYS", logo("start")},
                    {"WINDOWS/LOGOW.SYS", logo("wait")},
                    {"WINDOWS/WIN.COM", "MZ"}};
    const MadeImage raw = maker.makeRaw("disk.img", recipe);
    const fs::path host = folder / "host";
    fs::create_directories(host);

    std::printf("%-12s %9s %12s %12s\n", "format", "open ms", "swap ms", "mcopy ms");
    const std::vector<ImageFormat> formats{ImageFormat::Raw,        ImageFormat::FixedVhd,
                                           ImageFormat::DynamicVhd, ImageFormat::FixedVdi,
                                           ImageFormat::DynamicVdi, ImageFormat::Qcow2,
                                           ImageFormat::Vmdk};
    const char* names[] = {"raw",         "vhd fixed", "vhd dynamic", "vdi fixed",
                           "vdi dynamic", "qcow2",     "vmdk"};
    for (std::size_t f = 0; f < formats.size(); ++f) {
        const MadeImage image = formats[f] == ImageFormat::Raw
                                    ? raw
                                    : maker.convert(raw, formats[f], "disk." + std::to_string(f));
        const auto openStart = Clock::now();
        auto opened =
            DiskImage::open({image.file, std::nullopt, folder / ("work" + std::to_string(f))});
        const double openMs = millisecondsSince(openStart);
        if (auto* why = std::get_if<std::string>(&opened)) {
            std::cerr << names[f] << ": " << *why << "\n";
            return 1;
        }
        auto& disk = *std::get<std::unique_ptr<DiskImage>>(opened);
        ImageFileSystem files(disk, DriveMap(), DriveMap().toWindows(host));

        std::vector<double> swaps, bare;
        for (int run = 0; run < kRuns; ++run) {
            writeFile(host / "new.bmp", logo("run " + std::to_string(run)));
            const auto start = Clock::now();
            const bool swapped = files.copyFile("C:\\WINDOWS\\LOGOW.SYS", "logow.qnk") &&
                                 files.copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS");
            swaps.push_back(millisecondsSince(start));
            if (!swapped) {
                std::cerr << names[f] << ": " << files.lastFailure() << "\n";
                return 1;
            }
            const auto mcopyStart = Clock::now();
            maker.run("mcopy", {"-i", raw.file.string() + "@@" + std::to_string(raw.offset), "-o",
                                (host / "new.bmp").string(), "::/WINDOWS/BARE.SYS"});
            bare.push_back(millisecondsSince(mcopyStart));
        }
        std::printf("%-12s %9.1f %12.1f %12.1f\n", names[f], openMs, median(swaps), median(bare));
    }
    std::printf("peak memory: this process %ld KiB, largest tool %ld KiB\n",
                peakKilobytes(RUSAGE_SELF), peakKilobytes(RUSAGE_CHILDREN));
    fs::remove_all(folder);
    return 0;
}
