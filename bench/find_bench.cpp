// `quenlark-logo find` on a home with 20 machines across the emulators it
// reads (86Box, PCem, VirtualBox, libvirt, DOSBox-X, Bochs and a search
// folder; raw, VHD, VDI and qcow2 disks, most with Windows 98, some without)
// and 50,000 unrelated files in the folders it walks. Median of 9 runs, each
// paired with a plain `find` over the same folders, and the ratio.
//   build/bench/find_bench [FOLDER]   (default: a new folder in /tmp)
// With FOLDER the home is kept, and the two commands are printed to be timed
// again by hand.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "image_maker.h"

namespace {

using namespace quenlark;
using namespace quenlark::testing;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 9;
constexpr int kUnrelatedFiles = 50000;

void put(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs `argv` with HOME set to `home`, its output to `output`; wall milliseconds.
double timedRun(const std::vector<std::string>& argv, const fs::path& home,
                const fs::path& output) {
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("VBOX_USER_HOME");
        std::FILE* out = std::fopen(output.c_str(), "w");
        ::dup2(::fileno(out), 1);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string machine86Box(const std::string& image) {
    return "[Hard disks]\nhdd_01_parameters = 63, 16, 1023, 0, ide\nhdd_01_fn = " + image + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    fs::path home;
    const bool keep = argc > 1;
    if (keep) {
        home = fs::absolute(argv[1]);
        fs::create_directories(home);
    } else {
        char pattern[] = "/tmp/quenlark-find-bench-XXXXXX";
        home = ::mkdtemp(pattern);
    }
    ImageMaker maker(home / "made");
    ImageRecipe windows;
    windows.files = {{"IO.SYS", "io"},
                     {"MSDOS.SYS", "[Paths]\r\nWinDir=C:\\WINDOWS\r\n"},
                     {"WINDOWS/WIN.COM", "MZ"}};
    windows.protectedFiles = {"IO.SYS", "MSDOS.SYS"};
    ImageRecipe dos;
    dos.files = {{"IO.SYS", "io"}, {"MSDOS.SYS", "dos"}, {"COMMAND.COM", "MZ"}};
    const MadeImage w98 = maker.makeRaw("w98.raw", windows);
    const MadeImage plain = maker.makeRaw("dos.raw", dos);
    auto copy = [&](const MadeImage& from, const fs::path& to) {
        fs::create_directories(to.parent_path());
        fs::copy_file(from.file, to, fs::copy_options::overwrite_existing);
    };
    auto converted = [&](ImageFormat format, const fs::path& to) {
        copy(maker.convert(w98, format, to.filename().string() + ".made"), to);
    };

    // 86Box: five machines, one a DOS machine, one a fixed VHD.
    const fs::path vms = home / ".local/share/86Box/Virtual Machines";
    for (int i = 1; i <= 5; ++i) {
        const std::string name = "Machine " + std::to_string(i);
        const std::string image = i == 5 ? "disk.vhd" : "disk.img";
        put(vms / name / "86box.cfg", machine86Box(image));
        if (i == 5)
            converted(ImageFormat::FixedVhd, vms / name / image);
        else
            copy(i == 4 ? plain : w98, vms / name / image);
    }
    // PCem: three.
    for (int i = 1; i <= 3; ++i) {
        const fs::path image = home / "pcem-disks" / ("p" + std::to_string(i) + ".img");
        put(home / ".pcem/configs" / ("PCem " + std::to_string(i) + ".cfg"),
            "hdc_fn = " + image.string() + "\n");
        copy(w98, image);
    }
    // VirtualBox: three, dynamic VDIs.
    std::string registry = "<VirtualBox><Global><MachineRegistry>";
    for (int i = 1; i <= 3; ++i) {
        const fs::path folder = home / "VirtualBox VMs" / ("VB" + std::to_string(i));
        registry += "<MachineEntry src=\"" + (folder / "m.vbox").string() + "\"/>";
        put(folder / "m.vbox",
            "<VirtualBox><Machine name=\"VB " + std::to_string(i) +
                "\" OSType=\"Windows98\"><MediaRegistry><HardDisks><HardDisk uuid=\"{d}\" "
                "location=\"d.vdi\"/></HardDisks></MediaRegistry><StorageControllers>"
                "<StorageController><AttachedDevice type=\"HardDisk\"><Image uuid=\"{d}\"/>"
                "</AttachedDevice></StorageController></StorageControllers></Machine></"
                "VirtualBox>");
        converted(ImageFormat::DynamicVdi, folder / "d.vdi");
    }
    put(home / ".config/VirtualBox/VirtualBox.xml",
        registry + "</MachineRegistry></Global></VirtualBox>");
    // libvirt: two qcow2 (GNOME Boxes keeps them without an extension), one raw.
    for (int i = 1; i <= 3; ++i) {
        const fs::path image = home / ".local/share/gnome-boxes/images" / ("b" + std::to_string(i));
        put(home / ".config/libvirt/qemu" / ("b" + std::to_string(i) + ".xml"),
            "<domain><name>b" + std::to_string(i) +
                "</name><devices><disk type='file' "
                "device='disk'><source file='" +
                image.string() + "'/></disk></devices></domain>");
        if (i == 3)
            copy(w98, image);
        else
            converted(ImageFormat::Qcow2, image);
    }
    // DOSBox-X: three conf files, one a DOS machine.
    for (int i = 1; i <= 3; ++i) {
        const fs::path conf = home / ".config/dosbox-x" / ("x" + std::to_string(i) + ".conf");
        put(conf, "[dosbox]\nworking directory option = config\n[autoexec]\nimgmount c x" +
                      std::to_string(i) + ".img\nboot c:\n");
        copy(i == 3 ? plain : w98, conf.parent_path() / ("x" + std::to_string(i) + ".img"));
    }
    // Bochs: one. A search folder: two images.
    put(home / ".bochsrc", "ata0-master: type=disk, path=\"bochs/c.img\", mode=flat\n");
    copy(w98, home / "bochs/c.img");
    const fs::path retro = home / "retro";
    copy(w98, retro / "win98/disk.img");
    copy(w98, retro / "old/w98se.img");
    put(home / ".config/quenlark/quenlark.conf",
        "[searchFolders]\n1\\path=" + retro.string() + "\nsize=1\n");

    // Unrelated files where the finder walks: machine folders' screenshots
    // and NVRAM, and a search folder of games.
    for (int i = 0; i < kUnrelatedFiles; ++i) {
        const fs::path folder =
            i % 2 ? vms / ("Machine " + std::to_string(1 + i % 5)) / "screenshots" /
                        std::to_string(i / 1000)
                  : retro / "games" / std::to_string(i / 500) / std::to_string(i / 50 % 10);
        put(folder / ("file" + std::to_string(i) + ".dat"), "x");
    }
    fs::remove_all(home / "made");

    const fs::path output = home / "find.out";
    const std::vector<std::string> ours{QUENLARK_LOGO_PROGRAM, "find"};
    const std::vector<std::string> plainFind{"find",
                                             vms.string(),
                                             retro.string(),
                                             (home / ".config").string(),
                                             (home / ".pcem").string(),
                                             (home / "VirtualBox VMs").string(),
                                             (home / ".bochsrc").string()};
    std::vector<double> finder, baseline, ratios;
    for (int run = 0; run <= kRuns; ++run) {
        const double a = timedRun(ours, home, output);
        const double b = timedRun(plainFind, home, home / "plain.out");
        if (run == 0)
            continue;  // warm-up
        finder.push_back(a);
        baseline.push_back(b);
        ratios.push_back(a / b);
    }
    std::ifstream found(output);
    int lines = 0;
    for (std::string line; std::getline(found, line);)
        ++lines;
    std::printf("installations found: %d (of 20 machines, 18 with Windows 98)\n", lines);
    std::printf("%-22s %10s\n", "command", "median ms");
    std::printf("%-22s %10.1f\n", "quenlark-logo find", median(finder));
    std::printf("%-22s %10.1f\n", "find (same folders)", median(baseline));
    std::printf("ratio (paired median): %.1f\n", median(ratios));
    if (keep) {
        std::printf("HOME=%s %s find\n", home.c_str(), QUENLARK_LOGO_PROGRAM);
        std::string command;
        for (const auto& word : plainFind)
            command += "'" + word + "' ";
        std::printf("%s\n", command.c_str());
    } else {
        fs::remove_all(home);
    }
    return lines == 18 ? 0 : 1;
}
