#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "slots.h"
#include "store_paths.h"

namespace quenlark {

// Why Windows will not show a logo, or not as the user meant.
enum class FindingCause {
    LogoMissing,         // Windows shows its built-in screen
    LogoUnreadable,      // the check could not read the file
    LogoNotABitmap,      // no bitmap, or a damaged header (a right-length file included)
    LogoWrongColours,    // not 8 bits per pixel with a 256-colour palette
    LogoCompressed,      // run-length encoded or otherwise compressed
    LogoWrongSize,       // not 320 x 400
    LogoTruncated,       // shorter than its header says
    LogoDoesNotAnimate,  // a start-up logo with no palette entries to rotate
    MsdosSysUnreadable,
    LogoSwitchedOff,      // Logo=0: no start-up logo at all
    NoGraphicalStart,     // BootGUI=0: Windows starts at the command prompt
    OtherWindowsFolder,   // WinDir names another folder than the one managed
    CompressedDriveHost,  // HostWinBootDrv: the start-up logo belongs on another drive
    StrayLogoFile,        // a logo under a name or in a folder Windows never reads
    VolumeCondition,      // how Windows left the drive: not shut down cleanly, lost clusters
};

// A problem keeps a logo from being shown; a note tells of something that
// works, but perhaps not as the user meant.
enum class Severity { Problem, Note };

struct Finding {
    FindingCause cause;
    Severity severity;
    std::optional<Slot> slot;  // the slot it concerns, when one
    std::string file;          // the file it concerns, a Windows path as the store forms it
    // One or two sentences: what Windows will do, and what fixes it.
    std::string text;
};

// Checks the installation that `paths` describe the way Windows 9x reads it
// at start-up and shutdown: each slot's logo file by its bitmap header, the
// settings of MSDOS.SYS at the drive root, and logo files where Windows never
// looks; and, as notes, what the file system knows of how Windows left the
// drive (see VolumeNotes). Reads only: it never changes a file. One finding
// per problem, none for a sound installation.
std::vector<Finding> checkInstallation(FileSystem& files, const StorePaths& paths);

// What a finding is about: its slot's caption ("Start Up"), else its file.
std::string findingSubject(const Finding& finding);
// The finding on one line, its subject first: "Start Up: There is no ...".
std::string findingLine(const Finding& finding);
// "Problem" or "Note".
std::string_view severityName(Severity severity);

// "2 problems and 1 note"; "nothing" for no findings.
std::string findingCount(const std::vector<Finding>& findings);
// One line for the status line: the count and the subjects, or that all is well.
std::string checkSummary(const std::vector<Finding>& findings);

// What a sound installation means to the user.
inline constexpr std::string_view kAllLogosShown = "Windows will show all three logos.";

}  // namespace quenlark
