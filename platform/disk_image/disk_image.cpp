#include "disk_image.h"

#include <signal.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "atomic_file.h"
#include "change_journal.h"
#include "fuse_access.h"
#include "image_guard.h"
#include "image_inspection.h"
#include "msdos_sys.h"
#include "volume_condition.h"
#include "windows_marks.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// A VHD's footer follows its sectors.
constexpr std::uint64_t kVhdFooter = 512;
// mtools reads this file after the system's and the user's, so these are the
// settings in force whatever those say. The listing format is the one
// MtoolsVolume reads. mtools' checks of the FAT stay on, but for a FAT16
// volume that Windows has marked (see DiskImage::useVolume): the check of the
// FAT's fourth byte would refuse it for the two bits Windows keeps there, and
// only MTOOLS_SKIP_CHECK turns it off.
std::string mtoolsConfig(bool skipChecks) {
    return std::string("# Written by Quenlark for its own use of mtools.\n") +
           "MTOOLS_SKIP_CHECK=" + (skipChecks ? "1" : "0") +
           "\n"
           "MTOOLS_FAT_COMPATIBILITY=0\n"
           "MTOOLS_LOWER_CASE=0\n"
           "MTOOLS_NO_VFAT=0\n"
           "MTOOLS_DOTTED_DIR=0\n"
           "MTOOLS_NAME_NUMERIC_TAIL=1\n"
           "MTOOLS_TWENTY_FOUR_HOUR_CLOCK=1\n"
           "MTOOLS_LOCK_TIMEOUT=10\n"
           "MTOOLS_DATE_STRING=\"yyyy-mm-dd\"\n"
           "default_codepage=850\n";
}

// Writes `file` with `content` unless it holds that already, as it does from
// the second open of an image on.
bool keepFile(const fs::path& file, const std::string& content) {
    std::ifstream in(file, std::ios::binary);
    std::string present(content.size() + 1, '\0');
    in.read(present.data(), static_cast<std::streamsize>(present.size()));
    if (in.gcount() == static_cast<std::streamsize>(content.size()) &&
        present.compare(0, content.size(), content) == 0)
        return true;
    return writeFileAtomically(file, content);
}

// "PID-N": the folders of one opened image apart from those of another open
// in this process at the same time (the same image opened again before the
// old one is let go, when the user opens the current installation anew).
std::string instanceName() {
    static std::atomic<unsigned> opened{0};
    return std::to_string(::getpid()) + "-" + std::to_string(++opened);
}

std::string upperCaseAscii(std::string name) {
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name;
}

bool sameState(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Views of the disk that processes which have ended left in the work folder.
void removeStaleViews(const ToolEnvironment& environment, const fs::path& workFolder) {
    std::error_code ec;
    for (fs::directory_iterator it(workFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename();
        if (name.rfind("view-", 0) != 0 && name.rfind("scratch-", 0) != 0)
            continue;
        const auto start = name.find('-') + 1;
        const std::string pid = name.substr(start, name.find('-', start) - start);
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (::kill(static_cast<pid_t>(std::stol(pid)), 0) == 0 || errno == EPERM)
            continue;
        cleanUpStaleExport(environment, it->path());
        std::error_code removeError;
        fs::remove_all(it->path(), removeError);
    }
}

std::string partitionNumbers(const std::vector<DiskPartition>& partitions) {
    std::string numbers;
    for (const auto& p : partitions)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(p.number);
    return numbers;
}

}  // namespace

DiskImage::DiskImage(const DiskImageRequest& request)
    : letter_(static_cast<char>(std::toupper(static_cast<unsigned char>(request.driveLetter)))) {
    std::error_code ec;
    image_ = fs::absolute(request.image, ec).lexically_normal();
    workFolder_ = fs::absolute(request.workFolder, ec).lexically_normal();
    const std::string instance = instanceName();
    viewFolder_ = workFolder_ / ("view-" + instance);
    scratchFolder_ = workFolder_ / ("scratch-" + instance);
}

DiskImage::~DiskImage() {
    reader_.reset();
    view_.reset();
    std::error_code ec;
    fs::remove_all(viewFolder_, ec);
    fs::remove_all(scratchFolder_, ec);
}

std::variant<std::unique_ptr<DiskImage>, std::string> DiskImage::open(
    const DiskImageRequest& request) {
    std::unique_ptr<DiskImage> disk(new DiskImage(request));
    std::error_code ec;
    fs::create_directories(disk->workFolder_, ec);
    const fs::path config = disk->workFolder_ / "mtoolsrc";
    const fs::path markedConfig = disk->workFolder_ / "mtoolsrc-marked";
    if (!keepFile(config, mtoolsConfig(false)) || !keepFile(markedConfig, mtoolsConfig(true)))
        return "The work folder " + disk->workFolder_.string() + " cannot be written.";
    disk->environment_ = std::make_unique<ToolEnvironment>(disk->workFolder_, config);
    disk->markedEnvironment_ = std::make_unique<ToolEnvironment>(disk->workFolder_, markedConfig);

    auto format = detectImageFormat(disk->image_);
    if (auto* why = std::get_if<std::string>(&format))
        return *why;
    disk->format_ = std::get<ImageFormat>(format);
    // Nothing reads through the image before the files it names are known.
    auto chain = inspectImage(*disk->environment_, disk->image_, disk->format_);
    if (auto* why = std::get_if<std::string>(&chain))
        return *why;
    disk->backing_.assign(std::get<ImageChain>(chain).begin() + 1,
                          std::get<ImageChain>(chain).end());
    const auto noFuse = whyFuseIsUnusable();
    if (noFuse && !holdsSectorsInPlace(disk->format_))
        return noFuseSentence(*noFuse);
    removeStaleViews(*disk->environment_, disk->workFolder_);

    if (auto why = disk->openDiskView())
        return *why;
    // A change cut short is finished before anything is read, or set aside
    // when the image was written since.
    const std::string stateBefore = imageFileState(disk->image_);
    ImageChange leftovers(
        *disk->environment_,
        ChangeTarget{disk->image_, qemuFormatName(disk->format_), 0, 0,
                     disk->workFolder_ / "change", disk->backing_, "", disk->diskFile_});
    if (!leftovers.recover())
        return leftovers.failure();
    disk->recoveryNotice_ = leftovers.notice();
    if (disk->view_ && imageFileState(disk->image_) != stateBefore) {
        // The view may hold metadata from before the commit.
        disk->view_.reset();
        if (auto why = disk->openDiskView())
            return *why;
    }
    if (auto why = disk->choosePartition(request.partition))
        return *why;
    disk->whyReadOnly_ = whyImageIsReadOnly(disk->image_);
    if (!disk->whyReadOnly_ && noFuse)
        disk->whyReadOnly_ = noFuseSentence(*noFuse);
    disk->identity_ = "fat-volume:" + disk->volume_.serial + ":" + disk->volume_.label;
    disk->change_ = std::make_unique<ImageChange>(
        *disk->mtoolsEnvironment_,
        ChangeTarget{disk->image_, qemuFormatName(disk->format_), disk->partition_.offset,
                     disk->partition_.size, disk->workFolder_ / "change", disk->backing_,
                     disk->volume_.fatType, disk->diskFile_});
    return disk;
}

std::optional<std::string> DiskImage::openDiskView() {
    std::error_code ec;
    if (holdsSectorsInPlace(format_)) {
        const auto size = fs::file_size(image_, ec);
        if (ec)
            return "The disk image " + image_.string() + " cannot be read.";
        // A link of our own, under a fixed name, is all that mtools sees.
        diskFile_ = viewFolder_ / "disk";
        fs::create_directories(viewFolder_, ec);
        fs::create_symlink(image_, diskFile_, ec);
        if (ec)
            return "The disk image " + image_.string() + " cannot be read: the link " +
                   diskFile_.string() + " to it cannot be made (" + ec.message() + ").";
        diskSize_ =
            format_ == ImageFormat::FixedVhd && size >= kVhdFooter ? size - kVhdFooter : size;
        return std::nullopt;
    }
    ::stat(image_.c_str(), &viewedState_);
    auto started = StorageDaemon::start(*environment_, viewFolder_,
                                        ExportRequest{image_, qemuFormatName(format_), false,
                                                      std::nullopt, std::nullopt, backing_});
    if (auto* why = std::get_if<std::string>(&started))
        return "The disk image " + image_.string() + " cannot be read: " + *why;
    view_ = std::move(std::get<std::unique_ptr<StorageDaemon>>(started));
    diskFile_ = view_->exportFile();
    diskSize_ = fs::file_size(diskFile_, ec);
    if (ec)
        return "The disk image " + image_.string() + " cannot be read.";
    return std::nullopt;
}

std::optional<std::string> DiskImage::choosePartition(const std::optional<int>& wanted) {
    const std::string named = "The disk image " + image_.string();
    const auto partitions = scanPartitions(diskFile_, diskSize_);
    if (!partitions)
        return named + " cannot be read.";
    for (const auto& p : *partitions)
        if (p.offset + p.size > diskSize_)
            return named + " is shorter than its partition table says (partition " +
                   std::to_string(p.number) + " ends at byte " + std::to_string(p.offset + p.size) +
                   ", the disk holds " + std::to_string(diskSize_) +
                   " bytes): it may have been cut short while it was copied.";

    auto useVolume = [&](const DiskPartition& p, const FatVolume& volume) {
        partition_ = p;
        volume_ = volume;
        // mtools would refuse a FAT16 volume that Windows marked as not shut
        // down cleanly, or as having met a disk error, for those very marks.
        // Such a volume is read without mtools' checks of the FAT's start
        // only when its start is as they require but for the marks; mtools
        // still refuses any FAT entry that leads outside the volume as it
        // reads, and fsck.fat judges every change.
        const auto marks = readWindowsMarks(diskFile_, p.offset, volume.fatType);
        const bool marked = volume.fatType == "FAT16" && marks && marks->fatStartSound &&
                            (!marks->shutDownCleanly || marks->diskErrorSeen);
        mtoolsEnvironment_ = marked ? markedEnvironment_.get() : environment_.get();
        reader_ = std::make_unique<MtoolsVolume>(*mtoolsEnvironment_, diskFile_, p.offset);
        listings_.clear();
        auto windows = findWindowsFolder();
        if (!windows)
            return false;
        std::string text = std::string(1, letter_) + ":";
        for (const auto& name : *windows)
            text += "\\" + name;
        windowsDirectory_ = text;
        return true;
    };

    if (wanted) {
        for (const auto& p : *partitions) {
            if (p.number != *wanted)
                continue;
            if (p.extended)
                return "Partition " + std::to_string(p.number) + " of " + image_.string() +
                       " is the extended partition, which holds the logical drives (numbered 5 "
                       "and up); choose one of those.";
            const auto volume = probeFatVolume(diskFile_, p);
            if (!volume)
                return "Partition " + std::to_string(p.number) + " of " + image_.string() +
                       " holds no FAT file system; Windows 95 and 98 live on FAT.";
            useVolume(p, *volume);
            return std::nullopt;
        }
        if (partitions->empty() || partitions->front().number == 0)
            return named + " has no partition table, so it has no partition " +
                   std::to_string(*wanted) + "; open it without a partition number.";
        return named + " has no partition " + std::to_string(*wanted) + " (it has " +
               partitionNumbers(*partitions) + ").";
    }

    std::optional<std::pair<DiskPartition, FatVolume>> firstFat;
    for (const auto& p : *partitions) {
        const auto volume = probeFatVolume(diskFile_, p);
        if (!volume)
            continue;
        if (useVolume(p, *volume))
            return std::nullopt;
        if (!firstFat)
            firstFat.emplace(p, *volume);
    }
    if (!firstFat)
        return named + (partitions->empty() ? " holds neither a partition table nor a FAT volume."
                                            : " has no FAT partition; Windows 95 and 98 live on "
                                              "FAT.");
    // No partition holds Windows: the first FAT one, which the logo store
    // then reports as having no Windows folder.
    windowsDirectory_.reset();
    useVolume(firstFat->first, firstFat->second);
    return std::nullopt;
}

std::optional<std::vector<std::string>> DiskImage::findWindowsFolder() {
    auto root = list({});
    if (!root)
        return std::nullopt;
    std::vector<std::string> wanted{"WINDOWS"};
    if (const FatEntry* msdos = findFatEntry(*root, "MSDOS.SYS");
        msdos && !msdos->folder && msdos->size <= kLargestMsdosSys) {
        // WinDir names the folder on the boot drive, whatever letter it had.
        if (auto content = reader_->read({msdos->name}, msdos->size))
            if (auto named = MsdosSys(*content).windowsFolder())
                wanted = named->names;
    }
    // The folder as the disk spells it, level by level.
    std::vector<std::string> found;
    auto entries = std::move(root);
    for (const auto& name : wanted) {
        const FatEntry* entry = entries ? findFatEntry(*entries, name) : nullptr;
        if (!entry || !entry->folder)
            return std::nullopt;
        found.push_back(entry->name);
        entries = list(found);
    }
    return found;
}

std::string DiskImage::notice() const {
    const std::string drive = std::string("Drive ") + letter_ + ": is ";
    const std::string after = recoveryNotice_.empty() ? "" : " " + recoveryNotice_;
    if (partition_.number == 0)
        return drive + "the FAT volume " + image_.string() + "." + after;
    return drive + "partition " + std::to_string(partition_.number) + " of " + image_.string() +
           "." + after;
}

MtoolsVolume* DiskImage::reader() {
    failure_.clear();
    struct stat now {};
    const bool stated = ::stat(image_.c_str(), &now) == 0;
    if (!stated || !sameState(now, listedState_)) {
        listings_.clear();
        listedState_ = now;
    }
    if (!view_)
        return reader_.get();
    if (stated && sameState(now, viewedState_))
        return reader_.get();
    // Written since the export started: it may hold metadata from before.
    view_.reset();
    if (auto why = openDiskView()) {
        failure_ = *why;
        return nullptr;
    }
    return reader_.get();
}

std::optional<std::vector<FatEntry>> DiskImage::list(const FatPath& folder) {
    MtoolsVolume* volume = reader();
    if (!volume)
        return std::nullopt;
    std::string key;
    for (const auto& name : folder)
        key += "/" + upperCaseAscii(name);
    if (const auto known = listings_.find(key); known != listings_.end())
        return known->second;
    auto entries = volume->list(folder);
    if (entries)
        listings_.emplace(key, *entries);
    return entries;
}

const std::string& DiskImage::listingFailure() const {
    return failure_.empty() && reader_ ? reader_->failure() : failure_;
}

bool DiskImage::listingFoundNoFolder() const {
    return failure_.empty() && reader_ && reader_->failedAsMissing();
}

bool DiskImage::change(const std::function<bool(MtoolsVolume&, std::string&)>& edit) {
    failure_.clear();
    if (whyReadOnly_) {
        failure_ = *whyReadOnly_;
        return false;
    }
    // The view of the image is read from when the change is recorded.
    if (!reader())
        return false;
    // Whatever the outcome, what was listed may be the past now.
    const bool changed = change_->apply(edit);
    listings_.clear();
    if (changed)
        return true;
    failure_ = change_->failure();
    return false;
}

std::vector<std::string> DiskImage::volumeNotes() {
    auto condition = recordedCondition(change_->conditionRecord(), image_, partition_.offset);
    if (!condition) {
        condition = checkVolumeNow();
        recordCondition(change_->conditionRecord(), image_, partition_.offset, *condition);
    }
    return conditionNotes(*condition);
}

VolumeCondition DiskImage::checkVolumeNow() {
    // fsck.fat takes a volume that starts at the file's first byte: the image
    // itself when it is a bare volume, else an export of the partition.
    if (holdsSectorsInPlace(format_) && partition_.offset == 0)
        return checkVolume(*environment_, diskFile_, volume_.fatType);
    auto started =
        StorageDaemon::start(*environment_, viewFolder_ / "check",
                             ExportRequest{image_, qemuFormatName(format_), false,
                                           partition_.offset, partition_.size, backing_});
    if (auto* why = std::get_if<std::string>(&started)) {
        VolumeCondition unchecked = uncheckedVolume(*why);
        unchecked.marks = readWindowsMarks(diskFile_, partition_.offset, volume_.fatType);
        return unchecked;
    }
    auto& daemon = std::get<std::unique_ptr<StorageDaemon>>(started);
    VolumeCondition condition = checkVolume(*environment_, daemon->exportFile(), volume_.fatType);
    daemon->stop();
    return condition;
}

void DiskImage::setStepObserver(std::function<void(std::string_view)> observer) {
    change_->setStepObserver(std::move(observer));
}

}  // namespace quenlark
