// The installation check: the files and settings Windows 9x reads at start-up
// and shutdown, judged as Windows judges them, each fault told as what
// Windows will do and what fixes it.
#include "installation_check.h"

#include <algorithm>
#include <cctype>

#include "logo_bitmap.h"
#include "msdos_sys.h"
#include "size_check.h"
#include "volume_notes.h"

namespace quenlark {

namespace {

using converter::LogoFault;

class Check {
  public:
    Check(FileSystem& files, const StorePaths& paths)
        : files_(files),
          paths_(paths),
          driveRoot_(paths.driveLetter() + ":\\"),
          msdosSys_(driveRoot_ + "MSDOS.SYS") {}

    std::vector<Finding> run() {
        const std::string letter = paths_.driveLetter();
        if (!letter.empty())
            for (std::string& note : volumeNotesOf(files_, letter.front()))
                add(FindingCause::VolumeCondition, Severity::Note, std::nullopt, driveRoot_,
                    std::move(note));
        checkMsdosSys();
        for (const auto& slot : kSlots) {
            checkLogo(slot);
            checkStrayFiles(slot.slot);
        }
        return std::move(findings_);
    }

  private:
    void add(FindingCause cause, Severity severity, std::optional<Slot> slot, std::string file,
             std::string text) {
        findings_.push_back({cause, severity, slot, std::move(file), std::move(text)});
    }
    void problem(FindingCause cause, std::optional<Slot> slot, const std::string& file,
                 std::string text) {
        add(cause, Severity::Problem, slot, file, std::move(text));
    }

    void checkLogo(const SlotInfo& slot);
    void checkMsdosSys();
    void checkStrayFiles(Slot slot);

    FileSystem& files_;
    const StorePaths& paths_;
    const std::string driveRoot_;
    const std::string msdosSys_;
    std::vector<Finding> findings_;
};

// What Windows shows when a slot has no logo file.
std::string_view builtInScreen(Slot slot) {
    switch (slot) {
        case Slot::StartUp:
            return "its built-in animated logo, kept in IO.SYS";
        case Slot::Wait:
            return "a text screen asking you to wait while the computer shuts down";
        case Slot::ShutDown:
            return "a text screen saying that it is now safe to turn off the computer";
    }
    return {};
}

FindingCause causeOf(LogoFault fault) {
    switch (fault) {
        case LogoFault::NotABitmap:
            return FindingCause::LogoNotABitmap;
        case LogoFault::WrongColours:
            return FindingCause::LogoWrongColours;
        case LogoFault::Compressed:
            return FindingCause::LogoCompressed;
        case LogoFault::WrongSize:
            return FindingCause::LogoWrongSize;
        case LogoFault::Truncated:
            return FindingCause::LogoTruncated;
    }
    return FindingCause::LogoNotABitmap;
}

void Check::checkLogo(const SlotInfo& slot) {
    const std::string& path = paths_.installedOf(slot.slot);
    const std::string caption(slot.caption);
    if (!files_.fileExists(path)) {
        problem(FindingCause::LogoMissing, slot.slot, path,
                "There is no " + path + ", so Windows shows " +
                    std::string(builtInScreen(slot.slot)) + ". Install a logo in " + caption +
                    " to show your own.");
        return;
    }
    if (const std::string tooLarge = tooLargeForALogo(files_, path); !tooLarge.empty()) {
        problem(FindingCause::LogoNotABitmap, slot.slot, path,
                tooLarge +
                    " Windows will not show it. Make the logo again with Make Logo "
                    "From Picture or quenlark-convert and install it.");
        return;
    }
    const auto bytes = files_.readFile(path, kLargestSlotFile);
    if (!bytes) {
        const std::string why = files_.lastFailure();
        add(FindingCause::LogoUnreadable, Severity::Note, slot.slot, path,
            path +
                " could not be read, so the check could not tell whether Windows will show "
                "it. Make sure it can be read and check again." +
                (why.empty() ? "" : " " + why));
        return;
    }
    if (const auto why = converter::findLogoProblem(*bytes)) {
        const std::string fix = why->fault == LogoFault::Truncated
                                    ? "Install it again from an undamaged copy."
                                    : "Make the logo again with Make Logo From Picture or "
                                      "quenlark-convert and install it.";
        problem(
            causeOf(why->fault), slot.slot, path,
            "Windows will not show " + path + ": " + converter::asClause(why->reason) + " " + fix);
        return;
    }
    // Only the start-up screen rotates its palette.
    const auto first = converter::readBitmapHeader(*bytes)->firstCycled;
    if (slot.slot == Slot::StartUp && (first == 0 || first >= converter::kPaletteSize))
        add(FindingCause::LogoDoesNotAnimate, Severity::Note, slot.slot, path,
            "Windows shows " + path +
                " without animation: its first rotated palette entry (biClrImportant) is " +
                std::to_string(first) +
                ", not one of 1 to 255. Make it with an animated bar (Make Logo From Picture, "
                "or quenlark-convert --band) if you want one.");
}

std::string upperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool isZero(const std::optional<std::string>& value) {
    return value && *value == "0";
}

bool sameFolder(const WindowsPath& a, const WindowsPath& b) {
    if (a.drive != b.drive || a.names.size() != b.names.size())
        return false;
    for (std::size_t i = 0; i < a.names.size(); ++i)
        if (!sameNameIgnoringCase(a.names[i], b.names[i]))
            return false;
    return true;
}

void Check::checkMsdosSys() {
    // A folder that stands for a drive may have no MSDOS.SYS; Windows then
    // boots with its defaults, which hide no logo.
    if (!files_.fileExists(msdosSys_))
        return;
    const auto content = files_.readFile(msdosSys_, kLargestMsdosSys);
    if (!content) {
        add(FindingCause::MsdosSysUnreadable, Severity::Note, std::nullopt, msdosSys_,
            "The file could not be read, so its settings that can hide the logos (Logo, "
            "BootGUI, WinDir, HostWinBootDrv) were not checked. Make sure it can be read and "
            "check again.");
        return;
    }
    const MsdosSys settings(*content);
    const std::string editable =
        " (in Windows, attrib -r -s -h " + msdosSys_ + " makes the file editable).";

    if (isZero(settings.value("Options", "BootGUI")))
        problem(FindingCause::NoGraphicalStart, std::nullopt, msdosSys_,
                "BootGUI=0 in [Options]: Windows starts at the command prompt and shows none of "
                "the three logos. Change it to BootGUI=1" +
                    editable);
    if (isZero(settings.value("Options", "Logo")))
        problem(FindingCause::LogoSwitchedOff, Slot::StartUp, msdosSys_,
                msdosSys_ +
                    " has Logo=0 in [Options], so Windows shows no start-up logo at all, neither "
                    "yours nor its own. Change it to Logo=1" +
                    editable);

    const auto managed = parseWindowsPath(paths_.windowsDirectory);
    if (const auto named = settings.windowsFolder();
        named && managed && !sameFolder(*named, *managed))
        problem(FindingCause::OtherWindowsFolder, std::nullopt, msdosSys_,
                "WinDir in [Paths] names " + named->text() +
                    " as the Windows folder, so Windows looks for its shutdown logos there, not "
                    "in " +
                    paths_.windowsDirectory + ". Start Quenlark on " + named->text() +
                    " to manage them.");

    const auto host = settings.value("Paths", "HostWinBootDrv");
    if (host && !host->empty() && std::isalpha(static_cast<unsigned char>(host->front()))) {
        const std::string drive = upperCase(host->substr(0, 1)) + ":";
        if (drive != upperCase(paths_.driveLetter()) + ":")
            problem(FindingCause::CompressedDriveHost, Slot::StartUp, msdosSys_,
                    msdosSys_ + " says that Windows starts from drive " + drive +
                        " (HostWinBootDrv in [Paths]): " + paths_.driveLetter() +
                        ": is a DriveSpace-compressed drive, and Windows reads its start-up logo "
                        "from " +
                        drive + "\\LOGO.SYS, not from " + paths_.installedOf(Slot::StartUp) +
                        ". Copy the logo to the root of " + drive + ".");
    }
}

// The names people give a slot's logo, and the places they put it, where
// Windows never looks.
struct StrayFile {
    Slot slot;
    bool atDriveRoot;  // else in the Windows folder
    std::string_view name;
};
constexpr StrayFile kStrayFiles[] = {
    {Slot::StartUp, true, "LOGO.BMP"},
    {Slot::StartUp, false, "LOGO.SYS"},
    {Slot::Wait, true, "LOGOW.SYS"},
    {Slot::ShutDown, true, "LOGOS.SYS"},
};

void Check::checkStrayFiles(Slot slot) {
    const std::string caption(slotInfo(slot).caption);
    for (const StrayFile& stray : kStrayFiles) {
        if (stray.slot != slot)
            continue;
        const std::string folder = stray.atDriveRoot ? driveRoot_ : paths_.windowsDirectory + "\\";
        const std::string path = folder + std::string(stray.name);
        if (files_.fileExists(path))
            problem(FindingCause::StrayLogoFile, slot, path,
                    "Windows never reads " + path + "; it takes its " + caption +
                        " logo only from " + paths_.installedOf(slot) + ". Install " + path +
                        " in " + caption + " if it is the logo you meant, and remove it.");
    }
}

std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<Finding> checkInstallation(FileSystem& files, const StorePaths& paths) {
    return Check(files, paths).run();
}

std::string findingSubject(const Finding& finding) {
    return finding.slot ? std::string(slotInfo(*finding.slot).caption) : finding.file;
}

std::string findingLine(const Finding& finding) {
    return findingSubject(finding) + ": " + finding.text;
}

std::string_view severityName(Severity severity) {
    return severity == Severity::Problem ? "Problem" : "Note";
}

std::string findingCount(const std::vector<Finding>& findings) {
    std::size_t problems = 0;
    for (const Finding& f : findings)
        problems += f.severity == Severity::Problem ? 1 : 0;
    const std::size_t notes = findings.size() - problems;
    if (problems == 0 && notes == 0)
        return "nothing";
    if (notes == 0)
        return counted(problems, "problem");
    if (problems == 0)
        return counted(notes, "note");
    return counted(problems, "problem") + " and " + counted(notes, "note");
}

std::string checkSummary(const std::vector<Finding>& findings) {
    if (findings.empty())
        return "The installation check found nothing wrong: " + std::string(kAllLogosShown);
    std::vector<std::string> subjects;
    for (const Finding& f : findings) {
        std::string subject = findingSubject(f);
        if (std::find(subjects.begin(), subjects.end(), subject) == subjects.end())
            subjects.push_back(std::move(subject));
    }
    std::string summary = "The installation check found " + findingCount(findings) + ": ";
    for (std::size_t i = 0; i < subjects.size(); ++i)
        summary += (i > 0 ? ", " : "") + subjects[i];
    return summary + ".";
}

}  // namespace quenlark
