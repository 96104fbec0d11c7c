#pragma once

#include <sys/stat.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "image_change.h"
#include "image_format.h"
#include "mtools_volume.h"
#include "partition_scan.h"
#include "storage_daemon.h"
#include "tool_runner.h"
#include "volume_condition.h"

namespace quenlark {

// What to open: `quenlark --image FILE [--partition N]`.
struct DiskImageRequest {
    std::filesystem::path image;
    // Numbered as Linux does (1-4 primary, 5 and up logical); nothing: the
    // first FAT partition that holds the Windows folder.
    std::optional<int> partition;
    // A folder of this program's own for this image (overlays, the commit
    // journal, mount points). Give the same one each time the same image is
    // opened, so that a change cut short is found and finished.
    std::filesystem::path workFolder;
    char driveLetter = 'C';
};

// A partition of a disk image opened as a Windows drive. Reads go through
// mtools, straight from the file for raw images and fixed VHDs, else through
// a read-only export kept while the image is open; every change is an
// ImageChange.
class DiskImage {
  public:
    // The opened image, or the sentence why it is not opened (then nothing
    // was written to it).
    static std::variant<std::unique_ptr<DiskImage>, std::string> open(
        const DiskImageRequest& request);
    ~DiskImage();
    DiskImage(const DiskImage&) = delete;
    DiskImage& operator=(const DiskImage&) = delete;

    char driveLetter() const { return letter_; }
    // "C:\WIN95": from MSDOS.SYS, else WINDOWS; nothing when the partition
    // holds no such folder.
    const std::optional<std::string>& windowsDirectory() const { return windowsDirectory_; }
    // Why changes are impossible (a read-only file, no FUSE), or nothing when
    // possible: known before anything is copied.
    const std::optional<std::string>& whyReadOnly() const { return whyReadOnly_; }
    bool changesPossible() const { return !whyReadOnly_; }
    // Stays the same when the file is moved or copied: "fat-volume:" + the
    // volume serial number + ":" + its label ("fat-volume:1234-ABCD:W98").
    const std::string& identity() const { return identity_; }
    // The image file's name.
    std::string displayName() const { return image_.filename().string(); }
    // "Drive C: is partition 1 of /home/u/win98.vhd.", and what the open did
    // with a change cut short that it could not finish.
    std::string notice() const;

    const std::filesystem::path& image() const { return image_; }
    ImageFormat format() const { return format_; }
    // The backing files the image rests on, inspected, read-only.
    const ImageChain& backingFiles() const { return backing_; }
    const DiskPartition& partition() const { return partition_; }
    const FatVolume& volume() const { return volume_; }

    // The partition as it is now, for reading; nothing, with the reason in
    // failure(), when the read-only export could not be started again.
    MtoolsVolume* reader();
    // The entries of a folder of the partition, as reader()->list gives them;
    // kept while the image file stays as it was, so that looking up one name
    // after another reads each folder once. On failure: listingFailure(), and
    // listingFoundNoFolder() when the folder is not there.
    std::optional<std::vector<FatEntry>> list(const FatPath& folder);
    const std::string& listingFailure() const;
    bool listingFoundNoFolder() const;
    // Makes a verified change (see ImageChange::apply).
    bool change(const std::function<bool(MtoolsVolume&, std::string&)>& edit);
    // What the installation check says of the volume's condition: Windows not
    // shut down cleanly, lost clusters, ... (see conditionNotes).
    std::vector<std::string> volumeNotes();
    // Why the last reader() or change() failed.
    const std::string& failure() const { return failure_; }
    // A folder of this process for files on their way into or out of the image.
    const std::filesystem::path& scratchFolder() const { return scratchFolder_; }

    // Tests stop a change at each of its steps.
    void setStepObserver(std::function<void(std::string_view)> observer);

  private:
    explicit DiskImage(const DiskImageRequest& request);
    std::optional<std::string> openDiskView();
    std::optional<std::string> choosePartition(const std::optional<int>& wanted);
    std::optional<std::vector<std::string>> findWindowsFolder();
    VolumeCondition checkVolumeNow();

    std::filesystem::path image_;
    std::filesystem::path workFolder_;
    std::filesystem::path viewFolder_;
    std::filesystem::path scratchFolder_;
    char letter_;
    ImageFormat format_ = ImageFormat::Raw;
    ImageChain backing_;  // the inspected backing files beneath the image
    std::unique_ptr<ToolEnvironment> environment_;
    std::unique_ptr<ToolEnvironment> markedEnvironment_;  // mtools without its checks
    const ToolEnvironment* mtoolsEnvironment_ = nullptr;  // one of them, for this volume
    std::unique_ptr<StorageDaemon> view_;                 // for formats mtools cannot read in place
    struct stat viewedState_ {};      // the image file when the export was started
    std::filesystem::path diskFile_;  // the whole disk as plain sectors
    std::uint64_t diskSize_ = 0;
    DiskPartition partition_;
    FatVolume volume_;
    std::unique_ptr<MtoolsVolume> reader_;
    std::map<std::string, std::vector<FatEntry>> listings_;  // by folder, upper case
    struct stat listedState_ {};                             // the image file when listed
    std::unique_ptr<ImageChange> change_;
    std::optional<std::string> windowsDirectory_;
    std::optional<std::string> whyReadOnly_;
    std::string identity_;
    std::string failure_;
    std::string recoveryNotice_;
};

}  // namespace quenlark
