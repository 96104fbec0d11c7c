// Converting a 4000 x 3000 photo: the median time of several runs and the
// peak memory, each run in a fresh process so that its peak is its own.
// Decoding the same file alone is the baseline in the same run.
//   speed_bench [RUNS]        (default 7)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "converter.h"
#include "photo.h"
#include "picture_reader.h"
#include "quantize.h"

using namespace quenlark::converter;

extern char** environ;

namespace {

// One job in this process; prints its time in milliseconds.
int child(const std::string& job, const QString& in, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    if (job == "decode") {
        if (!readPicture(in))
            return 1;
    } else if (job == "convert") {
        if (!convertFile(in, out.toStdString(), {}, ExistingFile::Replace))
            return 1;
    } else {
        return 2;
    }
    std::printf("%lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000));
    return 0;
}

struct Sample {
    double ms = 0;
    long peakKb = 0;
};

// Runs this program again as `job` and measures it from outside.
Sample runChild(const char* self, const std::string& job, const QString& in, const QString& out) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string inPath = in.toStdString(), outPath = out.toStdString();
    std::vector<char*> args = {const_cast<char*>(self),
                               const_cast<char*>("--child"),
                               const_cast<char*>(job.c_str()),
                               const_cast<char*>(inPath.c_str()),
                               const_cast<char*>(outPath.c_str()),
                               nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string text;
    char buffer[64];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", job.c_str());
        return {};
    }
    return {std::stod(text) / 1000.0, usage.ru_maxrss};
}

template <class T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--child") {
        QCoreApplication app(argc, argv);
        return child(argv[2], QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    QTemporaryDir folder;
    const QImage photo = quenlark::bench::syntheticPhoto(4000, 3000);
    const QString jpeg = folder.filePath(QStringLiteral("photo.jpg"));
    const QString png = folder.filePath(QStringLiteral("photo.png"));
    photo.save(jpeg, "JPEG", 90);
    photo.save(png, "PNG");
    const QString out = folder.filePath(QStringLiteral("logo.sys"));

    std::printf("4000 x 3000 synthetic photo, %d runs each, one process per run\n", runs);
    std::printf("%-6s %-8s %10s %10s %10s %12s %8s\n", "file", "job", "median ms", "min ms",
                "max ms", "peak RSS MB", "ratio");
    for (const QString& file : {jpeg, png}) {
        double baseline = 0;
        for (const std::string job : {"decode", "convert"}) {
            std::vector<double> times;
            std::vector<long> peaks;
            for (int i = 0; i < runs; ++i) {
                const Sample s = runChild(argv[0], job, file, out);
                times.push_back(s.ms);
                peaks.push_back(s.peakKb);
            }
            const double m = median(times);
            if (job == "decode")
                baseline = m;
            std::printf("%-6s %-8s %10.1f %10.1f %10.1f %12.1f %8.2f\n",
                        file.endsWith(QStringLiteral(".jpg")) ? "JPEG" : "PNG", job.c_str(), m,
                        *std::min_element(times.begin(), times.end()),
                        *std::max_element(times.begin(), times.end()), median(peaks) / 1024.0,
                        m / baseline);
        }
    }

    // Where the time goes, in this process.
    std::vector<double> read, fit, reduce;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const auto picture = readPicture(jpeg);
        read.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const QImage fitted = fitToLogo(*picture, FitMode::Fit, {});
        fit.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        (void)quantize(fitted, 256, {});
        reduce.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("\nJPEG stages, median ms: read %.1f, fit and resample %.1f, reduce %.1f\n",
                median(read), median(fit), median(reduce));
    return 0;
}
