#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "faulty_file_system.h"
#include "host_file_system.h"
#include "logo_store.h"
#include "scripted_user.h"
#include "temp_drive.h"

namespace quenlark::testing {

// Every regular file of a drive: its path below the drive root, its content.
using DriveFiles = std::map<std::string, std::string>;

// A logo store on a drive in memory, for harnesses that run it thousands of
// times: numbered faults on its file system, a user that answers through a
// callback and loads thumbnails around the faults (they are not the store's
// file operations).
struct StoreBench {
    StoreBench()
        : host(drive.installation().driveMap(), "C:\\TOOLS"),
          files(host),
          windows(drive.installation().driveMap(), drive.windows()),
          user(host) {}

    // A new run of the program, started from C:\TOOLS: a fresh store.
    void start() {
        host.setCurrentDirectory("C:\\TOOLS");
        store = std::make_unique<LogoStore>(files, windows, user, "Drive C: is the test drive.");
        store->startUp();
    }

    // Host files of a slot, spelled as the drive is laid out.
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
    std::filesystem::path marker(Slot slot) const {
        return drive.tools() / "ORIGINAL" / slotInfo(slot).noLogoMarker;
    }
    // "logo.sys" gives "logo.TMP", as the store spells it.
    std::filesystem::path temporary(Slot slot) const {
        std::string name(slotInfo(slot).installedName);
        return installed(slot).parent_path() / (name.substr(0, name.size() - 3) + "TMP");
    }
    // Where a logo waits to become the backup: "logo.qnk" gives "logo.new".
    std::filesystem::path pending(Slot slot) const {
        std::string name(slotInfo(slot).backupName);
        return backup(slot).parent_path() / (name.substr(0, name.size() - 3) + "new");
    }
    std::filesystem::path settings() const { return drive.windows() / "quenlark.ini"; }
    std::filesystem::path pictures() const { return drive.root() / "PICS"; }

    // The path of a host file below the drive root, as DriveFiles keys it.
    std::string key(const std::filesystem::path& p) const {
        return p.lexically_relative(drive.root()).string();
    }

    DriveFiles snapshot() const {
        DriveFiles files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(drive.root())) {
            if (entry.is_regular_file())
                files[key(entry.path())] = TempDrive::read(entry.path());
        }
        return files;
    }

    TempDrive drive{fastTemporaryFolder()};
    HostFileSystem host;
    FaultyFileSystem files;
    HostWindowsDirectory windows;
    ScriptedUser user;
    std::unique_ptr<LogoStore> store;
};

// A file's content in short, for failure messages: a stand-in logo by its tag
// and length.
inline std::string summary(const std::string* content) {
    if (!content)
        return "<missing>";
    if (content->rfind("BM", 0) != 0 || content->size() < 64)
        return "\"" + *content + "\"";
    return "\"" + content->substr(0, content->find('.', 2)) + "\" [" +
           std::to_string(content->size()) + " bytes]";
}

inline const std::string* find(const DriveFiles& files, const std::string& key) {
    auto it = files.find(key);
    return it == files.end() ? nullptr : &it->second;
}

inline bool same(const std::string* a, const std::string* b) {
    return a == b || (a && b && *a == *b);
}

}  // namespace quenlark::testing
