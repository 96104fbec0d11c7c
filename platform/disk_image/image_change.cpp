#include "image_change.h"

#include <ctime>
#include <future>
#include <system_error>

#include "change_journal.h"
#include "commit_progress.h"
#include "image_guard.h"
#include "leftover_tools.h"
#include "storage_daemon.h"
#include "volume_condition.h"

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kOverlayTimeout = 30s;
constexpr auto kCommitTimeout = 600s;

fs::path overlayIn(const fs::path& folder) {
    return folder / "overlay.qcow2";
}
fs::path journalIn(const fs::path& folder) {
    return folder / "commit.journal";
}
fs::path exportFolderIn(const fs::path& folder) {
    return folder / "export";
}
fs::path conditionRecordIn(const fs::path& folder) {
    return folder / "condition";
}

std::string firstLines(const std::string& text, std::size_t lines) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < lines && end != std::string::npos; ++i)
        end = text.find('\n', end == 0 ? 0 : end + 1);
    std::string cut = text.substr(0, end);
    for (auto& c : cut)
        if (c == '\n')
            c = ' ';
    return cut;
}

std::string toolFailure(const std::string& program, const ToolResult& result) {
    if (!result.started || result.timedOut || result.outputCut || result.signal != 0)
        return toolFailureSentence(program, result);
    const std::string said = firstLines(result.err.empty() ? result.out : result.err, 2);
    return program + " failed" + (said.empty() ? "." : ": " + said);
}

}  // namespace

bool changeLeftovers(const fs::path& folder) {
    std::error_code ec;
    // A tool of a killed change may still be ending when the overlay it
    // was making is not there yet.
    return fs::exists(journalIn(folder), ec) || fs::exists(overlayIn(folder), ec) ||
           toolsWorkIn(folder);
}

ImageChange::ImageChange(const ToolEnvironment& environment, ChangeTarget target)
    : environment_(environment),
      target_(std::move(target)),
      overlay_(overlayIn(target_.folder)),
      journal_(journalIn(target_.folder)),
      exportFolder_(exportFolderIn(target_.folder)) {}

ImageChain ImageChange::imageChain() const {
    ImageChain chain{{target_.image, target_.format}};
    chain.insert(chain.end(), target_.backing.begin(), target_.backing.end());
    return chain;
}

fs::path ImageChange::conditionRecord() const {
    return conditionRecordIn(target_.folder);
}

void ImageChange::step(std::string_view name) {
    if (observer_)
        observer_(name);
}

bool ImageChange::fail(std::string sentence) {
    failure_ = std::move(sentence);
    return false;
}

bool ImageChange::apply(const std::function<bool(MtoolsVolume&, std::string&)>& edit) {
    failure_.clear();
    if (auto readOnly = whyImageIsReadOnly(target_.image))
        return fail(*readOnly);
    ImageChangeLock lock(target_.image);
    if (!lock.held())
        return fail(lock.failure());
    if (!recoverHoldingTheLock())
        return false;
    if (auto inUse = whyImageIsInUse(target_.image, {}))
        return fail(*inUse);
    step("checked");

    std::error_code ec;
    fs::create_directories(target_.folder, ec);
    // The overlay names the image as the node it is, never by a bare name.
    ToolRun inFolder{kOverlayTimeout};
    inFolder.folder = target_.folder;
    const auto created =
        runTool(environment_, "qemu-img",
                {"create", "-q", "-f", "qcow2", "-b", qemuNodeName(imageChain(), NodeAccess{}),
                 "-F", target_.format, overlay_.filename().string()},
                inFolder);
    if (!created.exitedCleanly()) {
        discardOverlay();
        return fail("The change could not be prepared: " + toolFailure("qemu-img", created));
    }
    step("overlay made");

    auto started = StorageDaemon::start(
        environment_, exportFolder_,
        ExportRequest{overlay_, "qcow2", true, target_.offset, target_.size, imageChain()});
    if (auto* why = std::get_if<std::string>(&started)) {
        discardOverlay();
        return fail(*why);
    }
    auto& daemon = std::get<std::unique_ptr<StorageDaemon>>(started);
    step("exported");

    // The volume as it was: recorded by the last check or change while
    // nothing has written to the image since, else checked now.
    const fs::path volumeFile = daemon->exportFile();
    auto before = recordedCondition(conditionRecord(), target_.image, target_.offset);
    if (!before) {
        before = checkVolume(environment_, volumeFile, target_.fatType);
        if (!before->fsck.complete) {
            daemon->stop();
            discardOverlay();
            return fail("fsck.fat could not check the file system of the disk image (" +
                        before->fsck.failure + "), so nothing was changed.");
        }
        recordCondition(conditionRecord(), target_.image, target_.offset, *before);
    }

    MtoolsVolume volume(environment_, volumeFile, 0);
    std::string editFailure;
    if (!edit(volume, editFailure)) {
        daemon->stop();
        discardOverlay();
        return fail(editFailure.empty() ? volume.failure() : editFailure);
    }
    step("written");

    // What the commit will write, and what lies there now, so that the next
    // open can tell a commit cut short from an image written since: read
    // while fsck.fat checks, since both only read.
    CommitRecord base;
    base.image = target_.image;
    base.format = target_.format;
    base.overlay = overlay_;
    auto describing = std::async(std::launch::async, [&] {
        return describeCommit(environment_, base, target_.disk, volumeFile, target_.offset,
                              target_.size);
    });
    const VolumeCondition after = checkVolume(environment_, volumeFile, target_.fatType);
    auto described = describing.get();
    const std::string added = conditionAdded(*before, after);
    if (!after.fsck.complete || !added.empty()) {
        daemon->stop();
        discardOverlay();
        if (!after.fsck.complete)
            return fail(
                "fsck.fat could not check the file system of the disk image after the "
                "change (" +
                after.fsck.failure + "), so nothing was written to it.");
        return fail(
            "fsck.fat found errors in the file system of the disk image after the change "
            "that were not there before (" +
            added +
            "), so nothing was written to it. If ScanDisk in Windows finds errors too, "
            "repair them first.");
    }
    step("checked by fsck");

    if (auto* why = std::get_if<std::string>(&described)) {
        daemon->stop();
        discardOverlay();
        return fail("The change could not be recorded (" + *why +
                    "), so nothing was written to the disk image.");
    }

    if (!daemon->stop()) {
        discardOverlay();
        return fail(
            "qemu-storage-daemon did not end cleanly, so the change was not written to "
            "the disk image.");
    }
    step("export stopped");

    // The state the image file is in now is the one the commit starts from.
    auto& record = std::get<CommitRecord>(described);
    record.imageState = imageFileState(target_.image);
    if (!flushToDisk(overlay_) || !writeCommitRecord(journal_, record)) {
        discardOverlay();
        return fail("The change could not be recorded in " + target_.folder.string() +
                    ", so nothing was written to the disk image.");
    }
    step("recorded");
    if (!commit())
        return false;
    // What was checked in the export is what the image holds now.
    recordCondition(conditionRecord(), target_.image, target_.offset, after);
    return true;
}

bool ImageChange::commit() {
    // Into the image, which qemu may reopen for writing; its backing files
    // stay read-only.
    ImageChain overlayChain{{overlay_, "qcow2"}};
    for (const auto& layer : imageChain())
        overlayChain.push_back(layer);
    ToolRun inFolder{kCommitTimeout};
    inFolder.folder = target_.folder;
    ToolResult committed;
    // Committing again after a failure rewrites the same clusters.
    for (int attempt = 0; attempt < 2 && !committed.exitedCleanly(); ++attempt)
        committed =
            runTool(environment_, "qemu-img",
                    {"commit", "-q", "-d", qemuNodeName(overlayChain, NodeAccess{2})}, inFolder);
    if (!committed.exitedCleanly())
        return fail("The change could not be written into the disk image (" +
                    toolFailure("qemu-img", committed) +
                    "); it will be finished the next time the image is opened.");
    step("committed");
    if (!flushToDisk(target_.image))
        return fail(
            "The disk image could not be flushed to the disk; it will be written again "
            "the next time it is opened.");
    if (!removeCommitRecord(journal_))
        return fail("The record of a finished change could not be removed from " +
                    target_.folder.string() + ".");
    step("finished");
    discardOverlay();
    return true;
}

void ImageChange::discardOverlay() {
    std::error_code ec;
    fs::remove(overlay_, ec);
}

bool ImageChange::recover() {
    failure_.clear();
    if (!changeLeftovers(target_.folder))
        return true;
    if (auto record = readCommitRecord(journal_)) {
        if (auto readOnly = whyImageIsReadOnly(target_.image))
            return fail("A change to the disk image was cut short and cannot be finished: " +
                        *readOnly);
    }
    ImageChangeLock lock(target_.image);
    if (!lock.held()) {
        // Another Quenlark is changing the image and owns what lies in the
        // folder; a read-only image can have no commit to finish.
        if (!readCommitRecord(journal_))
            return true;
        return fail(lock.failure());
    }
    return recoverHoldingTheLock();
}

bool ImageChange::recoverHoldingTheLock() {
    // A commit of the killed run still going would hold the image's lock, and
    // its daemon could yet mount the export.
    endToolsWorkingIn(target_.folder);
    cleanUpStaleExport(environment_, exportFolder_);
    const auto record = readCommitRecord(journal_);
    if (!record) {
        discardOverlay();
        removeCommitRecord(journal_);  // half a record: the commit never started
        return true;
    }
    if (record->image != target_.image || record->overlay != overlay_)
        return fail("The folder " + target_.folder.string() +
                    " holds a change to another disk image, " + record->image.string() +
                    ", that was cut short; open that image first.");
    if (auto inUse = whyImageIsInUse(target_.image, {}))
        return fail("A change to the disk image was cut short and cannot be finished now. " +
                    *inUse);
    switch (judgeCommit(*record, target_.disk)) {
        case CommitProgress::NotStarted:
        case CommitProgress::CutShort:
            return commit();
        case CommitProgress::Finished:
            if (!removeCommitRecord(journal_))
                return fail("The record of a finished change could not be removed from " +
                            target_.folder.string() + ".");
            discardOverlay();
            return true;
        case CommitProgress::WrittenSince:
            setAside();
            return true;
    }
    return true;
}

void ImageChange::setAside() {
    // Replayed now, the change would go over what was written since.
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", std::localtime(&now));
    const fs::path aside = target_.folder.parent_path() / ("set-aside-" + std::string(stamp));
    std::error_code ec;
    fs::create_directories(aside, ec);
    for (const fs::path& file : {overlay_, journal_, fs::path(journal_.string() + ".bytes")})
        fs::rename(file, aside / file.filename(), ec);
    flushToDisk(target_.folder);
    notice_ =
        "A change to the disk image was cut short and not finished, because the image "
        "has been written to since (by an emulator?); the change is kept in " +
        aside.string() + ", and the image is as that left it.";
}

}  // namespace quenlark
