#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "program_run.h"

namespace quenlark::testing {

// A program started on a drive with all three logos installed ("old ..."),
// with the start-up's own boxes and texts forgotten.
class StartedStore : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& slot : kSlots)
            TempDrive::put(installed(slot.slot), oldLogoBytes(slot.slot));
        restart();
    }

    void restart() {
        run = std::make_unique<ProgramRun>(drive);
        ASSERT_TRUE(run->start());
        forget();
    }

    void forget() {
        user().messages.clear();
        user().statuses.clear();
        user().thumbnailLoads = {};
    }

    ScriptedUser& user() { return run->user; }
    FaultyFileSystem& files() { return run->files; }
    LogoStore& store() { return run->store; }

    // Host files of a slot.
    std::filesystem::path installed(Slot slot) const {
        return slot == Slot::StartUp
                   ? drive.root() / "LOGO.SYS"
                   : drive.windows() / (slot == Slot::Wait ? "LOGOW.SYS" : "LOGOS.SYS");
    }
    std::filesystem::path backup(Slot slot) const {
        return drive.tools() / "BACKUP" / slotInfo(slot).backupName;
    }
    std::filesystem::path original(Slot slot) const {
        return drive.tools() / "ORIGINAL" / slotInfo(slot).originalName;
    }
    std::filesystem::path temporary(Slot slot) const {
        std::string name(slotInfo(slot).installedName);  // "logo.sys" -> "logo.TMP"
        name.replace(name.size() - 3, 3, "TMP");
        return installed(slot).parent_path() / name;
    }
    static std::string oldLogoBytes(Slot slot) {
        return logoBytes("old " + std::string(slotInfo(slot).caption));
    }
    static std::string oldLogo(Slot slot) { return summary(oldLogoBytes(slot)); }
    static std::string logo(std::string_view tag) { return summary(logoBytes(tag)); }

    // What a file holds, in short: a stand-in logo by its tag and length. The
    // name is looked up without regard to case, as the program looks it up.
    static std::string read(const std::filesystem::path& p) {
        auto name = findNameIgnoringCase(p.parent_path(), p.filename().string());
        return summary(TempDrive::read(name ? p.parent_path() / *name : p));
    }
    static std::string summary(const std::string& content) {
        if (content.rfind("BM", 0) != 0 || content.size() < 1000)
            return content;
        return content.substr(0, content.find('.', 2)) + " [" + std::to_string(content.size()) +
               " bytes]";
    }

    // Windows paths as the store keeps them.
    std::string installedPath(Slot slot) { return store().paths().installedOf(slot); }
    std::string backupPath(Slot slot) { return store().paths().backupOf(slot); }

    TempDrive drive;
    std::unique_ptr<ProgramRun> run;
};

}  // namespace quenlark::testing
