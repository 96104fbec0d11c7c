#pragma once

#include <array>
#include <string_view>

namespace quenlark {

// The three logo slots, always taken in this order: tab pages, start-up
// checks and every operation on all three.
enum class Slot { StartUp = 0, Wait = 1, ShutDown = 2 };

struct SlotInfo {
    Slot slot;
    std::string_view caption;        // tab page caption
    std::string_view installedName;  // the logo Windows shows
    bool atDriveRoot;                // at the root of the Windows drive, else in the Windows folder
    std::string_view backupName;     // in the backup folder
    std::string_view originalName;   // first-run copy, in the original folder
    std::string_view noLogoMarker;   // in the original folder: there was no logo at first run
    std::string_view spokenName;     // how warnings name the installed logo
};

inline constexpr std::array<SlotInfo, 3> kSlots{{
    {Slot::StartUp, "Start Up", "logo.sys", true, "logo.qnk", "logo.ori", "logo.none", "Logo.sys"},
    {Slot::Wait, "Wait", "logow.sys", false, "logow.qnk", "logow.ori", "logow.none", "Logow.sys"},
    {Slot::ShutDown, "Shut Down", "logos.sys", false, "logos.qnk", "logos.ori", "logos.none",
     "Logos.sys"},
}};

constexpr const SlotInfo& slotInfo(Slot slot) {
    return kSlots[static_cast<std::size_t>(slot)];
}

// Folders in the start-up directory: created with these names, and the backup
// folder addressed in lower case in the backup paths.
inline constexpr std::string_view kBackupFolder = "BACKUP";
inline constexpr std::string_view kOriginalFolder = "ORIGINAL";

}  // namespace quenlark
