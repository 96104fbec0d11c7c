#include "disk_confirmation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "config_file.h"
#include "disk_image.h"
#include "drive_map.h"
#include "image_guard.h"
#include "msdos_sys.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// Most of a look is waiting for mtools or for a storage daemon to start, so
// more looks than cores run at once.
constexpr unsigned kLooksAtOnce = 8;

enum class Outcome { NotWindows, Found, Refused, RefusedIfDeclared };

struct Look {
    Outcome outcome = Outcome::NotWindows;
    FoundInstallation found;
};

// Several looks run at once: getpwuid's buffer is shared.
std::string ownerOf(uid_t uid) {
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &user) == 0 && user)
        return user->pw_name;
    return "user " + std::to_string(uid);
}

// Why the file cannot be opened as an image by this user, before anything
// reads it: it is no regular file, or this user may not read it.
std::optional<std::string> whyUnreadable(const fs::path& image, const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        return "The disk image " + image.string() +
               " is not an ordinary file, so it is not opened.";
    if (::access(image.c_str(), R_OK) != 0)
        return "The disk image " + image.string() +
               " may not be read by this user (it belongs to " + ownerOf(info.st_uid) + ").";
    return std::nullopt;
}

Look refused(const MachineDisk& disk, const std::string& why, Outcome outcome) {
    Look look;
    look.outcome = outcome;
    look.found.machine = disk.machine;
    look.found.emulator = disk.emulator;
    look.found.source = {disk.kind, disk.path, std::nullopt, 'C'};
    look.found.foundIn = disk.foundIn;
    look.found.refused = why;
    return look;
}

Look found(const MachineDisk& disk, InstallationSource source, std::string windowsFolder) {
    Look look;
    look.outcome = Outcome::Found;
    look.found.machine = disk.machine;
    look.found.emulator = disk.emulator;
    look.found.source = std::move(source);
    look.found.windowsFolder = std::move(windowsFolder);
    look.found.foundIn = disk.foundIn;
    return look;
}

bool holdsSystemFiles(const std::vector<FatEntry>& root) {
    for (const char* name : {"IO.SYS", "MSDOS.SYS"}) {
        const FatEntry* entry = findFatEntry(root, name);
        if (!entry || entry->folder)
            return false;
    }
    return true;
}

Look lookAtImage(const MachineDisk& disk, const struct stat& info, const fs::path& workFolder) {
    if (const auto why = whyUnreadable(disk.path, info))
        return refused(disk, *why, Outcome::Refused);
    // A disk that needs another file to be read (a snapshot's differencing
    // disk) is refused by its header alone, whatever its machine runs.
    auto format = detectImageFormat(disk.path);
    if (const auto* why = std::get_if<std::string>(&format))
        return refused(disk, *why, Outcome::Refused);

    const fs::path work =
        workFolder / startupFolderName(disk.path.filename().string(), disk.path.string());
    Look look;
    {
        auto opened = DiskImage::open({disk.path, std::nullopt, work, 'C'});
        if (const auto* why = std::get_if<std::string>(&opened)) {
            look = refused(disk, *why, Outcome::RefusedIfDeclared);
        } else {
            auto& image = std::get<std::unique_ptr<DiskImage>>(opened);
            MtoolsVolume* volume = image->reader();
            const auto root = volume ? volume->list({}) : std::nullopt;
            if (image->windowsDirectory() && root && holdsSystemFiles(*root))
                look = found(disk,
                             {InstallationSource::Kind::DiskImage, disk.path,
                              image->partition().number, 'C'},
                             *image->windowsDirectory());
        }
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return look;
}

// A host folder that an emulator mounts as a drive.
Look lookAtFolder(const MachineDisk& disk) {
    const fs::path& root = disk.path;
    std::error_code ec;
    for (const char* name : {"IO.SYS", "MSDOS.SYS"}) {
        const auto file = findNameIgnoringCase(root, name);
        if (!file || !fs::is_regular_file(root / *file, ec))
            return {};
    }
    std::vector<std::string> names{"WINDOWS"};
    std::string why;
    const auto msdos =
        readConfigFile(root / *findNameIgnoringCase(root, "MSDOS.SYS"), why, kLargestMsdosSys);
    if (msdos)
        if (const auto folder = MsdosSys(*msdos).windowsFolder())
            names = folder->names;
    fs::path windows = root;
    std::string shown = "C:";
    for (const std::string& name : names) {
        const auto onHost = findNameIgnoringCase(windows, name);
        if (!onHost || !fs::is_directory(windows / *onHost, ec))
            return {};
        windows /= *onHost;
        shown += "\\" + *onHost;
    }
    return found(disk, {InstallationSource::Kind::Folder, windows, std::nullopt, 'C'}, shown);
}

bool listed(const Look& look, DeclaredSystem system) {
    switch (look.outcome) {
        case Outcome::Found:
            return true;
        case Outcome::Refused:
            return system != DeclaredSystem::Other;
        case Outcome::RefusedIfDeclared:
            return system == DeclaredSystem::Windows9x;
        case Outcome::NotWindows:
            return false;
    }
    return false;
}

struct FileKey {
    dev_t device;
    ino_t inode;
    bool operator<(const FileKey& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

}  // namespace

FindReport confirmDisks(const std::vector<MachineDisk>& disks, const fs::path& workFolder,
                        const InstallationFinder::Progress& progress) {
    // Each file once, for the first that names it; a disk that is not there
    // is no news.
    struct Candidate {
        const MachineDisk* disk;
        struct stat info;
    };
    std::vector<Candidate> candidates;
    std::set<FileKey> seen;
    for (const MachineDisk& disk : disks) {
        struct stat info {};
        if (disk.path.empty() || ::stat(disk.path.c_str(), &info) != 0)
            continue;
        if (seen.insert({info.st_dev, info.st_ino}).second)
            candidates.push_back({&disk, info});
    }

    std::vector<Look> looks(candidates.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    std::mutex progressLock;
    int done = 0;
    auto work = [&] {
        for (std::size_t i; !stopped && (i = next++) < candidates.size();) {
            const Candidate& candidate = candidates[i];
            const bool folder = candidate.disk->kind == InstallationSource::Kind::Folder;
            // A folder named as an image is no disk to speak of.
            if (folder && S_ISDIR(candidate.info.st_mode))
                looks[i] = lookAtFolder(*candidate.disk);
            else if (!folder && !S_ISDIR(candidate.info.st_mode))
                looks[i] = lookAtImage(*candidate.disk, candidate.info, workFolder);
            const std::lock_guard<std::mutex> hold(progressLock);
            ++done;
            if (progress && !progress(done, static_cast<int>(candidates.size())))
                stopped = true;
        }
    };
    std::vector<std::thread> workers;
    const auto count = std::min<std::size_t>(kLooksAtOnce, candidates.size());
    for (std::size_t i = 1; i < count; ++i)
        workers.emplace_back(work);
    work();
    for (auto& worker : workers)
        worker.join();

    FindReport report;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (listed(looks[i], candidates[i].disk->system))
            report.found.push_back(std::move(looks[i].found));

    std::vector<fs::path> images;
    std::vector<FoundInstallation*> ready;
    for (FoundInstallation& installation : report.found)
        if (!installation.refused &&
            installation.source.kind == InstallationSource::Kind::DiskImage) {
            images.push_back(installation.source.path);
            ready.push_back(&installation);
        }
    const auto inUse = whyImagesAreInUse(images, {});
    for (std::size_t i = 0; i < ready.size(); ++i)
        ready[i]->inUse = inUse[i];
    return report;
}

}  // namespace quenlark
