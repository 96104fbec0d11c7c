#include "outside_changes.h"

#include <sys/stat.h>
#include <set>

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// Long enough for a copy to finish, short enough to look immediate.
constexpr int kSettleMilliseconds = 100;

long long nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

}  // namespace

OutsideChanges::OutsideChanges(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &OutsideChanges::changed);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
}

void OutsideChanges::follow(std::vector<fs::path> files, std::optional<fs::path> image) {
    stop();
    files_ = std::move(files);
    image_ = std::move(image);
    lookedAt();
}

void OutsideChanges::stop() {
    settle_.stop();
    const QStringList watched = watcher_.files() + watcher_.directories();
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    files_.clear();
    image_.reset();
    looked_.clear();
}

bool OutsideChanges::changedSinceLooked() const {
    return states() != looked_;
}

void OutsideChanges::lookedAt() {
    looked_ = states();
    watchWhatIsThere();
}

// Each file with its folder, and the image.
std::vector<fs::path> OutsideChanges::followed() const {
    std::vector<fs::path> paths;
    for (const fs::path& file : files_) {
        paths.push_back(file);
        paths.push_back(file.parent_path());
    }
    if (image_)
        paths.push_back(*image_);
    return paths;
}

std::vector<OutsideChanges::FileState> OutsideChanges::states() const {
    std::vector<FileState> states;
    for (const fs::path& path : followed()) {
        struct stat info {};
        FileState& state = states.emplace_back();
        if (::stat(path.c_str(), &info) != 0)
            continue;
        state = {true,
                 info.st_dev,
                 info.st_ino,
                 info.st_size,
                 nanoseconds(info.st_mtim),
                 nanoseconds(info.st_ctim)};
    }
    return states;
}

// A file replaced by another (as a safe copy does: a new file renamed over
// the old) is no longer watched, and one made since is not yet: the watch
// is brought up to what is there.
void OutsideChanges::watchWhatIsThere() {
    const QStringList watchedList = watcher_.files() + watcher_.directories();
    const std::set<QString> watched(watchedList.begin(), watchedList.end());
    QStringList missing;
    for (const fs::path& path : followed()) {
        if (image_ && path == *image_)
            continue;
        const QString name = QString::fromStdString(path.string());
        std::error_code ec;
        if (!watched.count(name) && !missing.contains(name) && fs::exists(path, ec))
            missing << name;
    }
    if (!missing.isEmpty())
        watcher_.addPaths(missing);
}

}  // namespace quenlark
