// A logo swap as a user runs it, `quenlark-logo --image IMAGE put wait NEW`
// (the whole process), into a disk image as Windows 98 fills one: 8 GB FAT32,
// 9,940 files in 405 folders, 347 MB of data, 2,016 files in WINDOWS\SYSTEM,
// made here, sparse where it can be. In each format, paired run by run with a
// bare export of the same image (a copy of it) and one mcopy into the export:
// the least that any change through qemu-storage-daemon costs. Medians of 9
// pairs and their ratio, the first swap (when the image was last written by
// something else, so that its condition is checked anew), and the tool runs of
// one swap, counted through wrappers on the PATH.
//   build/bench/image_swap_bench [FOLDER [QUENLARK_LOGO]]
// FOLDER (default: a new folder in /tmp, removed at the end) keeps the images
// when given; QUENLARK_LOGO times another build of the program instead.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <vector>

#include "image_maker.h"
#include "mtools_volume.h"
#include "storage_daemon.h"

namespace {

using namespace quenlark;
using namespace quenlark::testing;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kPairs = 9;
constexpr std::uint64_t kMiB = 1024 * 1024;

// What the disk holds: files, folders, bytes, and the one large folder.
constexpr int kFiles = 9940;
constexpr int kFolders = 405;
constexpr std::uint64_t kDataBytes = 347 * kMiB;
constexpr int kSystemFiles = 2016;

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

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The tree of a Windows 98 installation that has been used for a while, on
// the host, for one recursive mcopy: a few large files, many small ones.
void makeInstallationTree(const fs::path& root) {
    std::mt19937 random(98);
    std::vector<fs::path> folders{"WINDOWS", "WINDOWS/SYSTEM", "PROGRA~1"};
    while (folders.size() < static_cast<std::size_t>(kFolders)) {
        const fs::path parent = folders[std::uniform_int_distribution<std::size_t>(
            0, std::min<std::size_t>(folders.size() - 1, 40))(random)];
        char name[16];
        std::snprintf(name, sizeof name, "D%04zu", folders.size());
        folders.push_back(parent / name);
    }
    for (const auto& folder : folders)
        fs::create_directories(root / folder);

    std::vector<int> counts(folders.size(), 0);
    counts[1] = kSystemFiles;
    std::uniform_int_distribution<std::size_t> anyButSystem(0, folders.size() - 2);
    for (int i = kSystemFiles; i < kFiles - 5; ++i) {  // 5: the logos, WIN.COM, MSDOS.SYS
        const std::size_t f = anyButSystem(random);
        ++counts[f >= 1 ? f + 1 : f];
    }

    // Sizes from a long-tailed spread, scaled to the data's total.
    std::vector<double> weights;
    std::exponential_distribution<double> tail(1.0);
    for (int i = 0; i < kFiles - 5; ++i)
        weights.push_back(std::pow(tail(random) + 0.05, 3.0));
    double sum = 0;
    for (double w : weights)
        sum += w;
    std::string block(kMiB, '\0');
    for (auto& c : block)
        c = static_cast<char>(random());
    static const char* extensions[] = {"DLL", "EXE", "INF", "TXT", "HLP", "VXD", "DRV", "BMP"};
    std::size_t next = 0;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        for (int i = 0; i < counts[f]; ++i, ++next) {
            auto size = static_cast<std::uint64_t>(weights[next] / sum * double(kDataBytes));
            char name[16];
            std::snprintf(name, sizeof name, "F%05d.%s", i, extensions[next % 8]);
            std::ofstream out(root / folders[f] / name, std::ios::binary);
            for (std::uint64_t left = std::max<std::uint64_t>(size, 1); left > 0;) {
                const auto chunk = std::min<std::uint64_t>(left, kMiB);
                const auto from =
                    std::uniform_int_distribution<std::uint64_t>(0, kMiB - chunk)(random);
                out.write(block.data() + from, static_cast<std::streamsize>(chunk));
                left -= chunk;
            }
        }
    }
    writeFile(root / "LOGO.SYS", logo("start"));
    writeFile(root / "WINDOWS/LOGOW.SYS", logo("wait"));
    writeFile(root / "WINDOWS/LOGOS.SYS", logo("shut"));
    writeFile(root / "WINDOWS/WIN.COM", "MZ");
    // Windows 98's own, padded as it pads it.
    std::string msdosSys =
        "[Paths]\r\nWinDir=C:\\WINDOWS\r\nWinBootDir=C:\\WINDOWS\r\nHostWinBootDrv=C\r\n\r\n"
        "[Options]\r\nBootMulti=1\r\nBootGUI=1\r\nDoubleBuffer=1\r\nAutoScan=1\r\n"
        "WinVer=4.10.2222\r\n";
    for (int i = 0; i < 18; ++i)
        msdosSys += ";" + std::string(68, 'x') + "\r\n";
    writeFile(root / "MSDOS.SYS", msdosSys);
}

MadeImage makeRealisticImage(ImageMaker& maker, const fs::path& folder) {
    const fs::path tree = folder / "tree";
    makeInstallationTree(tree);
    ImageRecipe recipe;
    recipe.fatBits = 32;
    recipe.megabytes = 8192;
    MadeImage image = maker.makeRaw("disk.img", recipe);
    std::vector<std::string> arguments{"-s", "-i",
                                       image.file.string() + "@@" + std::to_string(image.offset)};
    for (const auto& entry : fs::directory_iterator(tree))
        arguments.push_back(entry.path().string());
    arguments.push_back("::/");
    maker.run("mcopy", arguments);
    fs::remove_all(tree);
    return image;
}

// The disk tools, each a script on the PATH that counts its runs in `log`.
void makeCountingTools(const fs::path& folder, const fs::path& log) {
    fs::create_directories(folder);
    for (const char* tool : {"mdir", "mcopy", "mattrib", "mdel", "mmove", "mmd", "qemu-img",
                             "qemu-storage-daemon", "fusermount3", "setpriv", "fsck.fat"}) {
        const char* real = std::string(tool) == "fsck.fat" ? "/usr/sbin/" : "/usr/bin/";
        writeFile(folder / tool, "#!/bin/sh\necho " + std::string(tool) + " >> '" + log.string() +
                                     "'\nexec " + real + tool + " \"$@\"\n");
        fs::permissions(folder / tool, fs::perms::owner_all);
    }
}

// The least a change through an export costs: the daemon, its mount, one
// mcopy into it, and its end.
bool bareExportAndMcopy(const ToolEnvironment& environment, const fs::path& folder,
                        const MadeImage& copy, const fs::path& file) {
    auto started = StorageDaemon::start(
        environment, folder,
        ExportRequest{copy.file, qemuFormatName(copy.format), true, copy.offset, copy.size});
    if (auto* why = std::get_if<std::string>(&started)) {
        std::cerr << *why << "\n";
        return false;
    }
    auto& daemon = std::get<std::unique_ptr<StorageDaemon>>(started);
    MtoolsVolume volume(environment, daemon->exportFile(), 0);
    const bool put = volume.put(file, {"WINDOWS", "BARE.SYS"});
    return daemon->stop() && put;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path folder;
    const bool keep = argc > 1;
    const std::string program = argc > 2 ? argv[2] : QUENLARK_LOGO;
    if (keep) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/quenlark-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
    }
    // quenlark-logo keeps its data under the bench's folder, not the user's.
    const fs::path home = folder / "home";
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    writeFile(folder / "mtoolsrc", "MTOOLS_SKIP_CHECK=0\n");
    const ToolEnvironment environment(home, folder / "mtoolsrc");

    ImageMaker maker(folder / "images");
    const auto madeStart = Clock::now();
    const MadeImage raw = makeRealisticImage(maker, folder);
    std::printf("made the image in %.0f s\n", millisecondsSince(madeStart) / 1000);

    const fs::path counted = folder / "counted";
    makeCountingTools(folder / "counting-tools", counted);
    const std::string path = ::getenv("PATH") ? ::getenv("PATH") : "/usr/bin:/bin";

    std::printf("%-12s %10s %14s %7s %12s %10s\n", "format", "swap ms", "export+mcopy", "ratio",
                "first swap", "tool runs");
    const std::vector<std::pair<ImageFormat, const char*>> formats{
        {ImageFormat::Raw, "raw"},
        {ImageFormat::FixedVhd, "vhd fixed"},
        {ImageFormat::DynamicVhd, "vhd dynamic"},
        {ImageFormat::FixedVdi, "vdi fixed"},
        {ImageFormat::DynamicVdi, "vdi dynamic"},
        {ImageFormat::Qcow2, "qcow2"},
        {ImageFormat::Vmdk, "vmdk"}};
    int number = 0;
    for (const auto& [format, name] : formats) {
        const std::string stem = "disk" + std::to_string(++number);
        MadeImage image = raw;
        if (format != ImageFormat::Raw)
            image = maker.convert(raw, format, stem);
        // The bare export's own image, sparse as the image is.
        const MadeImage copy = maker.convert(raw, format, stem + ".copy");

        auto swap = [&](const std::string& tag) {
            writeFile(folder / "new.bmp", logo(tag));
            const auto result = runTool(
                environment, program,
                {"--image", image.file.string(), "put", "wait", (folder / "new.bmp").string()},
                120s);
            if (!result.exitedCleanly())
                std::cerr << name << ": " << result.err << result.out << "\n";
            return result.exitedCleanly();
        };
        // The first swap also captures the originals and checks the volume.
        const auto firstStart = Clock::now();
        if (!swap("first"))
            return 1;
        const double first = millisecondsSince(firstStart);

        std::vector<double> swaps, bare, ratios;
        for (int run = 0; run < kPairs; ++run) {
            const auto start = Clock::now();
            if (!swap("run " + std::to_string(run)))
                return 1;
            swaps.push_back(millisecondsSince(start));
            const auto bareStart = Clock::now();
            if (!bareExportAndMcopy(environment, folder / "bare", copy, folder / "new.bmp"))
                return 1;
            bare.push_back(millisecondsSince(bareStart));
            ratios.push_back(swaps.back() / bare.back());
        }

        fs::remove(counted);
        ::setenv("PATH", ((folder / "counting-tools").string() + ":" + path).c_str(), 1);
        const bool countedSwap = swap("counted");
        ::setenv("PATH", path.c_str(), 1);
        if (!countedSwap)
            return 1;
        std::ifstream runs(counted);
        int tools = 0;
        for (std::string line; std::getline(runs, line);)
            ++tools;

        std::printf("%-12s %10.1f %14.1f %7.2f %12.1f %10d\n", name, median(swaps), median(bare),
                    median(ratios), first, tools);
        std::fflush(stdout);
        fs::remove(copy.file);
        if (!keep && format != ImageFormat::Raw)
            fs::remove(image.file);
    }
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("peak memory of the largest process run: %ld KiB\n", usage.ru_maxrss);
    if (!keep)
        fs::remove_all(folder);
    return 0;
}
