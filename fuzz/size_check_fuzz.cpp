// The size check decides whether a chosen file may become a logo. Two halves:
// a file system that answers any length (or none) for any name, to check the
// decision and what the user is told; and the host file system on a real
// file of the fuzzed length (sparse, so any length costs nothing), reached by
// any spelling of its path, to check that letter case, separators and "."
// and ".." never change the verdict.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_tree.h"
#include "host_file_system.h"
#include "logo_store.h"

namespace quenlark::fuzz {
namespace {

namespace fs = std::filesystem;

const std::string kRefusal =
    "This file can't be used as logo screen. Make sure by using an editor (such as Paint Shop "
    "Pro) that the bitmap size = 320x400 and the number of used colors = 256. The bitmap file "
    "size should consequently be 129.078 bytes.";

bool accepted(std::optional<std::uint64_t> length) {
    return length && (*length == 129078 || *length == 129137);
}

// Answers every length query with `length` and counts every call; nothing
// else may be asked of it.
class LengthOnly : public FileSystem {
  public:
    std::optional<std::uint64_t> length;
    std::vector<std::string> lengthQueries;
    int otherCalls = 0;

    std::optional<std::uint64_t> fileLength(const std::string& path) override {
        lengthQueries.push_back(path);
        return length;
    }
    bool copyFile(const std::string&, const std::string&) override { return other(); }
    bool fileExists(const std::string&) override { return other(); }
    bool deleteFile(const std::string&) override { return other(); }
    bool createFolder(const std::string&) override { return other(); }
    bool writeLine(const std::string&, const std::string&) override { return other(); }
    bool writeEmptyFile(const std::string&) override { return other(); }
    std::optional<std::string> readFirstLine(const std::string&) override {
        other();
        return std::nullopt;
    }
    std::optional<std::string> readFile(const std::string&, std::uint64_t) override {
        other();
        return std::nullopt;
    }
    std::string currentDirectory() override {
        other();
        return "C:\\";
    }
    bool setCurrentDirectory(const std::string&) override { return other(); }

  private:
    bool other() {
        ++otherCalls;
        return false;
    }
};

// Keeps what the user was shown, in order.
class Witness : public UserInteraction {
  public:
    std::vector<std::string> shown;  // "status: ..." and "box <style>: ..."

    Answer showMessage(const std::string& text, MessageStyle style) override {
        shown.push_back("box " + std::to_string(static_cast<int>(style)) + ": " + text);
        return Answer::Ok;
    }
    void setStatus(const std::string& text) override { shown.push_back("status: " + text); }
    bool showThumbnail(Slot, const std::string&) override { return unexpected(); }
    void setBackupButtonEnabled(Slot, bool) override { unexpected(); }
    void setBackupChoiceEnabled(Slot, bool) override { unexpected(); }
    bool isCurrentChoiceSelected(Slot) override { return unexpected(); }
    void selectCurrentChoice(Slot) override { unexpected(); }
    std::optional<std::string> showOpenDialog(const FileDialogRequest&) override {
        unexpected();
        return std::nullopt;
    }

  private:
    bool unexpected() {
        shown.push_back("unexpected");
        return false;
    }
};

class FixedWindowsDirectory : public WindowsDirectory {
  public:
    std::optional<std::string> query() override { return "C:\\WINDOWS"; }
};

// The verdict, and what the user saw, for `name` of `length`.
void checkVerdict(FileSystem& files, const std::string& name, bool expectAccepted) {
    FixedWindowsDirectory windows;
    Witness user;
    LogoStore store(files, windows, user, "");
    FUZZ_REQUIRE(store.checkLogoSize(name) == expectAccepted);
    if (expectAccepted) {
        FUZZ_REQUIRE(user.shown.empty());
        FUZZ_REQUIRE(store.messageText().empty());
    } else {
        const std::vector<std::string> expected{"status: " + name + " couldn't be used !",
                                                "box 16: " + kRefusal};
        FUZZ_REQUIRE(user.shown == expected);
        FUZZ_REQUIRE(store.messageText() == kRefusal);
    }
}

void checkAnyLength(FuzzedDataProvider& input) {
    LengthOnly files;
    if (input.ConsumeBool()) {
        // Near the two accepted lengths most of the time, anywhere otherwise.
        files.length = input.ConsumeBool() ? (input.ConsumeBool() ? 129078u : 129137u) +
                                                 input.ConsumeIntegralInRange<std::int64_t>(-2, 2)
                                           : input.ConsumeIntegral<std::uint64_t>();
    }
    const std::string name = input.ConsumeRemainingBytesAsString();
    checkVerdict(files, name, accepted(files.length));
    // The length of the very name given, asked once, and nothing else.
    FUZZ_REQUIRE(files.lengthQueries == std::vector<std::string>{name});
    FUZZ_REQUIRE(files.otherCalls == 0);
}

struct Drive {
    Drive() : root(tree.base() / "drive_c"), files(drives(), "C:\\TOOLS") {
        TempTree::put(root / "TOOLS" / "My Logo.BMP", "");
        TempTree::put(root / "TOOLS" / "sub" / ".keep", "");
        fs::create_directories(root / "TOOLS" / "Folder.BMP");
    }
    DriveMap drives() const {
        DriveMap map;
        map.map('C', root);
        return map;
    }
    fs::path file() const { return root / "TOOLS" / "My Logo.BMP"; }

    TempTree tree;
    fs::path root;
    HostFileSystem files;
};

// Some way of writing the path of the tools folder's file `name`: from the
// drive or from the current folder, either separator, any letter case, with
// "." and "sub\.." along the way.
std::string spelling(FuzzedDataProvider& input, const std::string& name) {
    std::string path;
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            path = "C:\\TOOLS\\";
            break;
        case 1:
            path = "\\tools\\";
            break;
        default:
            break;  // relative to C:\TOOLS
    }
    const int detours = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < detours; ++i)
        path += input.ConsumeBool() ? ".\\" : "sub\\..\\";
    path += name;
    for (char& c : path) {
        if (c == '\\' && input.ConsumeBool())
            c = '/';
        else if (std::isalpha(static_cast<unsigned char>(c)) && input.ConsumeBool())
            c = static_cast<char>(std::islower(static_cast<unsigned char>(c))
                                      ? std::toupper(static_cast<unsigned char>(c))
                                      : std::tolower(static_cast<unsigned char>(c)));
    }
    return path;
}

void checkHostFile(Drive& drive, FuzzedDataProvider& input) {
    const std::uint64_t length =
        input.ConsumeBool()
            ? (input.ConsumeBool() ? 129078u : 129137u) +
                  input.ConsumeIntegralInRange<std::int64_t>(-2, 2)
            : input.ConsumeIntegralInRange<std::uint64_t>(0, std::uint64_t{1} << 32);
    if (::truncate(drive.file().c_str(), static_cast<off_t>(length)) != 0)
        std::abort();
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            checkVerdict(drive.files, spelling(input, "My Logo.BMP"), accepted(length));
            break;
        case 1:  // a folder has no length, whatever its name
            checkVerdict(drive.files, spelling(input, "Folder.BMP"), false);
            break;
        default:  // nor has a file that is not there
            checkVerdict(drive.files, spelling(input, "My Logo.BMP.bak"), false);
            break;
    }
}

}  // namespace
}  // namespace quenlark::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlark::fuzz;
    static Drive drive;
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        checkAnyLength(input);
    else
        checkHostFile(drive, input);
    return 0;
}
