#include "slot_report.h"

#include "logo_bitmap.h"

namespace quenlark {

namespace {

// Far more than any logo: a larger file is no logo and is not read whole.
constexpr std::uint64_t kLargestLogo = 4 * 1024 * 1024;

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
        const auto bytes = files.readFile(installed, kLargestLogo);
        report.installed = bytes && converter::decodeLogo(*bytes) ? SlotReport::Installed::Logo
                                                                  : SlotReport::Installed::NotALogo;
    }
    report.backup = files.fileExists(paths.backupOf(slot));
    if (files.fileExists(inOriginalFolder(paths, info.originalName)))
        report.original = SlotReport::Original::Copy;
    else if (files.fileExists(inOriginalFolder(paths, info.noLogoMarker)))
        report.original = SlotReport::Original::WasNone;
    return report;
}

}  // namespace quenlark
