#include "slot_report.h"

#include "logo_bitmap.h"
#include "size_check.h"

namespace quenlark {

namespace {

std::string inOriginalFolder(const StorePaths& paths, std::string_view name) {
    const std::string& start = paths.startupDirectory;
    const bool atRoot = !start.empty() && start.back() == '\\';
    return start + (atRoot ? "" : "\\") + std::string(kOriginalFolder) + "\\" + std::string(name);
}

}  // namespace

SlotReport reportSlot(FileSystem& files, const StorePaths& paths, Slot slot) {
    const SlotInfo& info = slotInfo(slot);
    SlotReport report;
    const std::string& installed = paths.installedOf(slot);
    if (files.fileExists(installed)) {
        report.installed = SlotReport::Installed::NotALogo;
        if (tooLargeForALogo(files, installed).empty()) {
            if (const auto bytes = files.readFile(installed, kLargestSlotFile)) {
                if (converter::decodeLogo(*bytes))
                    report.installed = SlotReport::Installed::Logo;
            } else {
                report.installed = SlotReport::Installed::Unreadable;
                report.unreadableBecause = files.lastFailure();
                if (report.unreadableBecause.empty())
                    report.unreadableBecause = installed + " cannot be read.";
            }
        }
    }
    report.backup = files.fileExists(paths.backupOf(slot));
    if (files.fileExists(inOriginalFolder(paths, info.originalName)))
        report.original = SlotReport::Original::Copy;
    else if (files.fileExists(inOriginalFolder(paths, info.noLogoMarker)))
        report.original = SlotReport::Original::WasNone;
    return report;
}

}  // namespace quenlark
