// `quenlark-logo list` on a folder installation whose WINDOWS holds 30,000
// files, beside `ls -l` and `ls -f` of that folder, each run as a whole
// process with its output thrown away. Runs in pairs (the program, then a
// yardstick) so that a machine whose speed drifts moves both; prints the
// medians of wall and CPU time and the median of the pairs' ratios.
//   build/bench/list_bench [FOLDER]   (default: a new folder in /tmp)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 30000;
constexpr int kPairs = 21;

struct Times {
    double wall = 0;  // milliseconds
    double cpu = 0;
};

// Runs `arguments` with no input and its output thrown away.
Times timed(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Times t;
    t.wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    t.cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "list_bench: %s failed\n", arguments[0].c_str());
    return t;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

// The program against one yardstick, in pairs.
void compare(const std::vector<std::string>& program, const std::vector<std::string>& yardstick,
             const std::string& name) {
    std::vector<double> programWall, programCpu, yardWall, yardCpu, wallRatio, cpuRatio;
    timed(program);
    timed(yardstick);
    for (int i = 0; i < kPairs; ++i) {
        const Times a = timed(program);
        const Times b = timed(yardstick);
        programWall.push_back(a.wall);
        programCpu.push_back(a.cpu);
        yardWall.push_back(b.wall);
        yardCpu.push_back(b.cpu);
        wallRatio.push_back(a.wall / b.wall);
        cpuRatio.push_back(b.cpu > 0 ? a.cpu / b.cpu : 0);
    }
    std::printf("%-22s wall %7.1f ms  cpu %7.1f ms\n", "quenlark-logo list", median(programWall),
                median(programCpu));
    std::printf("%-22s wall %7.1f ms  cpu %7.1f ms\n", name.c_str(), median(yardWall),
                median(yardCpu));
    std::printf("%-22s wall %7.2f     cpu %7.2f   (median of %d pairs)\n\n", "ratio",
                median(wallRatio), median(cpuRatio), kPairs);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path();
    if (folder.empty()) {
        std::string pattern = (fs::temp_directory_path() / "list-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("list_bench: mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    const fs::path windows = folder / "drive_c" / "WINDOWS";
    fs::create_directories(windows / "SYSTEM");
    std::string logo = "BM";
    logo.resize(129078, '\0');
    writeFile(folder / "drive_c" / "LOGO.SYS", logo);
    writeFile(windows / "LOGOW.SYS", logo);
    writeFile(windows / "LOGOS.SYS", logo);
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "FILE%05d.DLL", i);
        writeFile(windows / name, "");
    }
    // The program's own folders inside the bench folder, not the user's.
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    // A Windows folder in use was not written a moment ago: give the new one
    // the time to become one that was not.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    std::printf("%d files in %s\n\n", kFiles, windows.c_str());
    const std::vector<std::string> list{QUENLARK_LOGO_PROGRAM, "--windows-dir", windows.string(),
                                        "list"};
    compare(list, {"/bin/ls", "-l", windows.string()}, "ls -l WINDOWS");
    compare(list, {"/bin/ls", "-f", windows.string()}, "ls -f WINDOWS");
    if (argc <= 1)
        fs::remove_all(folder);
    return 0;
}
