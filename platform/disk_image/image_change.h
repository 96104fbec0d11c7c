#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "mtools_volume.h"
#include "qemu_node.h"
#include "tool_runner.h"

namespace quenlark {

// Where the bytes of a change go: one partition (or the bare volume) of one
// image, and the folder of this program where the change is prepared.
struct ChangeTarget {
    std::filesystem::path image;
    std::string format;  // as qemu names it
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::filesystem::path folder;
    // The inspected backing files of the image, which a change never writes.
    ImageChain backing = {};
    std::string fatType;  // "FAT12", "FAT16" or "FAT32"
    // The image's whole disk as plain bytes, to read: the image itself, or
    // a read-only view of it.
    std::filesystem::path disk;
};

// Changes an image as a transaction, so that it is never left half changed:
// the change is made in a qcow2 overlay over the image, exported as a plain
// FAT volume through qemu-storage-daemon; there it is verified (by the change
// itself, reading back what it wrote, and by fsck.fat, which must find nothing
// that it did not find before the change), and only then committed into the
// image. A commit cut short is done again by the next recovery, unless the
// image has been written to since (an emulator was started on it): then the
// overlay is set aside and the image left as it is. An overlay that never
// reached the commit is thrown away.
class ImageChange {
  public:
    ImageChange(const ToolEnvironment& environment, ChangeTarget target);

    // Makes the change: `edit` works on the partition through mtools and
    // returns false, with the volume's failure or its own in `failure`, when
    // it could not do or verify its part. True once the change is in the image.
    bool apply(const std::function<bool(MtoolsVolume&, std::string& failure)>& edit);

    // Finishes or throws away what a killed change left in the folder. False,
    // with the reason, when a commit that was cut short cannot be finished now.
    bool recover();

    const std::string& failure() const { return failure_; }
    // What the last recovery did that the user must hear of: a change that
    // it set aside, and where it lies. Empty when there is nothing to tell.
    const std::string& notice() const { return notice_; }

    // Where the condition of the volume is recorded after each check and each
    // change (see recordCondition).
    std::filesystem::path conditionRecord() const;

    // Called with the name of each step as it is reached; tests stop the
    // process there.
    void setStepObserver(std::function<void(std::string_view step)> observer) {
        observer_ = std::move(observer);
    }

  private:
    bool recoverHoldingTheLock();
    // The image and the backing files beneath it.
    ImageChain imageChain() const;
    bool commit();
    void setAside();
    void discardOverlay();
    void step(std::string_view name);
    bool fail(std::string sentence);

    const ToolEnvironment& environment_;
    ChangeTarget target_;
    std::filesystem::path overlay_;
    std::filesystem::path journal_;
    std::filesystem::path exportFolder_;
    std::string failure_;
    std::string notice_;
    std::function<void(std::string_view)> observer_;
};

// Whether a killed change left anything in `folder` to finish or throw away.
bool changeLeftovers(const std::filesystem::path& folder);

}  // namespace quenlark
