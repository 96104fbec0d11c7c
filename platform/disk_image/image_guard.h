#pragma once

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quenlark {

// Why the image file may not be written at all (read-only, no permission), or
// nothing. As root every file could be written; a file without any write
// permission bit is taken as meant to stay as it is.
std::optional<std::string> whyImageIsReadOnly(const std::filesystem::path& image);

// Marks the read-only views of an image that Quenlark processes keep open
// while they show it: they share the image with a writer and are not "in use".
inline constexpr char kReadOnlyViewMarker[] = "quenlark-read-only-view";

// Why another program holds the image now, or nothing: QEMU's open file
// description locks, an flock on the whole file (DOSBox-X's), the lock file
// Bochs puts beside it, or any other process (but those in `ignored`) with the
// file open (but Quenlark's read-only views). Processes of other users are seen only as root.
std::optional<std::string> whyImageIsInUse(const std::filesystem::path& image,
                                           const std::set<pid_t>& ignored);
// The same for each of `images`, with one look through the processes.
std::vector<std::optional<std::string>> whyImagesAreInUse(
    const std::vector<std::filesystem::path>& images, const std::set<pid_t>& ignored);

// The lock that keeps two Quenlark processes from changing one image at once:
// an open file description lock on a byte of the image that QEMU does not use,
// so that it holds across processes without a file of its own and ends with
// the process. Taken when constructed; check held().
class ImageChangeLock {
  public:
    explicit ImageChangeLock(const std::filesystem::path& image);
    ~ImageChangeLock();
    ImageChangeLock(const ImageChangeLock&) = delete;
    ImageChangeLock& operator=(const ImageChangeLock&) = delete;

    bool held() const { return held_; }
    // Why it is not held.
    const std::string& failure() const { return failure_; }

  private:
    int fd_ = -1;
    bool held_ = false;
    std::string failure_;
};

}  // namespace quenlark
