// The installation check on installations with one fault each, made on a
// temporary drive from real logo files with a few bytes changed.
#include "installation_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "logo_bitmap.h"
#include "program_run.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileCall;
using testing::FileOp;
using testing::ProgramRun;
using testing::TempDrive;

std::string logoFile(int firstCycled = 0) {
    converter::LogoPicture logo;
    logo.firstCycled = firstCycled;
    return converter::encodeLogo(logo);
}

// A logo with 32-bit header fields changed: {offset, value}.
std::string logoWith(std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
    std::string bytes = logoFile();
    for (const auto& [at, value] : fields)
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return bytes;
}

const std::string kMsdosSys =
    "[Paths]\r\nWinDir=C:\\WINDOWS\r\nWinBootDir=C:\\WINDOWS\r\nHostWinBootDrv=C\r\n\r\n"
    "[Options]\r\nBootGUI=1\r\nLogo=1\r\n;xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n";

// Windows' own MSDOS.SYS with one line changed.
std::string msdosSysWith(const std::string& line, const std::string& changed) {
    std::string text = kMsdosSys;
    return text.replace(text.find(line), line.size(), changed);
}

class InstallationCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        run_ = std::make_unique<ProgramRun>(drive);
        ASSERT_TRUE(run_->start());
    }

    // A sound installation: three logos Windows shows, the start-up one
    // animated, and MSDOS.SYS with Windows' own settings.
    void installSound() {
        for (const auto& entry : fs::directory_iterator(drive.root()))
            if (entry.is_regular_file())
                fs::remove(entry.path());
        fs::remove(drive.windows() / "logo.sys");
        run_->files.clearFaults();
        TempDrive::put(drive.root() / "LOGO.SYS", logoFile(236));
        TempDrive::put(drive.windows() / "LOGOW.SYS", logoFile());
        TempDrive::put(drive.windows() / "LOGOS.SYS", logoFile());
        TempDrive::put(drive.root() / "MSDOS.SYS", kMsdosSys);
    }

    // The findings, having made sure that the check only read.
    std::vector<Finding> check() {
        run_->files.resetCalls();
        auto findings = checkInstallation(run_->files, run_->store.paths());
        for (const FileCall& call : run_->files.calls())
            EXPECT_TRUE(call.op == FileCall::Exists || call.op == FileCall::ReadFile ||
                        call.op == FileCall::Length)
                << call.text();
        return findings;
    }

    TempDrive drive;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(InstallationCheck, EachFaultGivesItsFindingAndASoundInstallationNone) {
    const fs::path startUp = drive.root() / "LOGO.SYS";
    const fs::path wait = drive.windows() / "LOGOW.SYS";
    const fs::path shutDown = drive.windows() / "LOGOS.SYS";
    const fs::path msdosSys = drive.root() / "MSDOS.SYS";
    auto put = [](const fs::path& path, const std::string& bytes) {
        return [=] { TempDrive::put(path, bytes); };
    };
    auto failRead = [this](std::string name) {
        return [this, name] { run_->files.failOn(FileOp::Read, name); };
    };
    using C = FindingCause;
    struct Case {
        const char* fault;
        std::function<void()> make;
        std::optional<FindingCause> cause;  // nothing: a sound installation
        std::optional<Slot> slot = std::nullopt;
        Severity severity = Severity::Problem;
    };
    const Case cases[] = {
        {"sound", [] {}, std::nullopt},
        {"24 bits per pixel", put(wait, logoWith({{28, 24}})), C::LogoWrongColours, Slot::Wait},
        {"640 x 480", put(startUp, logoWith({{18, 640}, {22, 480}})), C::LogoWrongSize,
         Slot::StartUp},
        {"16-colour palette", put(shutDown, logoWith({{46, 16}})), C::LogoWrongColours,
         Slot::ShutDown},
        {"right length, no bitmap", put(shutDown, std::string(129078, 'x')), C::LogoNotABitmap,
         Slot::ShutDown},
        {"run-length encoded", put(wait, logoWith({{30, 1}})), C::LogoCompressed, Slot::Wait},
        {"cut short", put(startUp, logoFile(236).substr(0, 100000)), C::LogoTruncated,
         Slot::StartUp},
        {"missing", [=] { fs::remove(shutDown); }, C::LogoMissing, Slot::ShutDown},
        {"unreadable", failRead("logow.sys"), C::LogoUnreadable, Slot::Wait, Severity::Note},
        {"still start-up logo", put(startUp, logoFile(0)), C::LogoDoesNotAnimate, Slot::StartUp,
         Severity::Note},
        {"a still wait logo is as it should be", put(wait, logoFile(0)), std::nullopt},
        {"Logo=0, LF lines, any case",
         put(msdosSys, "[paths]\nwindir=c:\\windows\n[OPTIONS]\nlogo = 0\n"), C::LogoSwitchedOff,
         Slot::StartUp},
        {"BootGUI=0", put(msdosSys, msdosSysWith("BootGUI=1", "BootGUI=0")), C::NoGraphicalStart},
        {"other WinDir", put(msdosSys, msdosSysWith("WinDir=C:\\WINDOWS", "WinDir=D:\\WINDOWS")),
         C::OtherWindowsFolder},
        {"WinDir in other letters",
         put(msdosSys, msdosSysWith("WinDir=C:\\WINDOWS", "WinDir=c:\\Windows\\")), std::nullopt},
        {"DriveSpace host drive",
         put(msdosSys, msdosSysWith("HostWinBootDrv=C", "HostWinBootDrv=h")),
         C::CompressedDriveHost, Slot::StartUp},
        // The DOS kernel: binary, whatever text it may hold.
        {"DOS-era MSDOS.SYS",
         put(msdosSys, std::string("\x8c\xc8\0\r\n[Options]\r\nLogo=0\r\n", 24)), std::nullopt},
        {"no MSDOS.SYS", [=] { fs::remove(msdosSys); }, std::nullopt},
        {"MSDOS.SYS unreadable", failRead("msdos.sys"), C::MsdosSysUnreadable, std::nullopt,
         Severity::Note},
        {"LOGO.BMP at the root", put(drive.root() / "logo.bmp", logoFile(236)), C::StrayLogoFile,
         Slot::StartUp},
        {"LOGO.SYS in WINDOWS", put(drive.windows() / "logo.sys", logoFile(236)), C::StrayLogoFile,
         Slot::StartUp},
        {"LOGOS.SYS at the root", put(drive.root() / "LOGOS.SYS", logoFile()), C::StrayLogoFile,
         Slot::ShutDown},
    };
    for (const Case& c : cases) {
        installSound();
        c.make();
        const auto findings = check();
        if (!c.cause) {
            EXPECT_TRUE(findings.empty()) << c.fault << ": " << findingLine(findings.at(0));
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.fault;
        const Finding& f = findings[0];
        EXPECT_EQ(f.cause, *c.cause) << c.fault << ": " << f.text;
        EXPECT_EQ(f.slot, c.slot) << c.fault;
        EXPECT_EQ(f.severity, c.severity) << c.fault;
        // The line leads with the slot or else the file, and names the file.
        const std::string line = findingLine(f);
        EXPECT_EQ(line.rfind(c.slot ? slotInfo(*c.slot).caption : f.file, 0), 0u) << line;
        EXPECT_NE(line.find(f.file), std::string::npos) << line;
    }
}

TEST_F(InstallationCheck, SummaryCountsProblemsAndNotesAndNamesTheirSubjects) {
    installSound();
    EXPECT_EQ(checkSummary(check()),
              "The installation check found nothing wrong: Windows will show all three logos.");
    TempDrive::put(drive.root() / "LOGO.SYS", logoFile(0));
    EXPECT_EQ(checkSummary(check()), "The installation check found 1 note: Start Up.");
    TempDrive::put(drive.root() / "MSDOS.SYS", "[Options]\r\nBootGUI=0\r\nLogo=0\r\n");
    fs::remove(drive.windows() / "LOGOW.SYS");
    EXPECT_EQ(checkSummary(check()),
              "The installation check found 3 problems and 1 note: C:\\MSDOS.SYS, Start Up, "
              "Wait.");
}

}  // namespace
}  // namespace quenlark
