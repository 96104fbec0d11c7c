#include "volume_condition.h"

#include <fstream>
#include <sstream>

#include "change_journal.h"

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kCheckTimeout = 120s;
constexpr std::string_view kRecordHeader = "quenlark volume condition 1";
// A record is a few findings long; anything far larger is not one.
constexpr std::uintmax_t kLargestRecord = 1 << 20;

std::string joined(const std::vector<FsckFinding>& findings) {
    std::string text;
    for (const FsckFinding& finding : findings)
        text += (text.empty() ? "" : "; ") + finding.text;
    return text;
}

bool has(const VolumeCondition& condition, FsckFinding::Kind kind) {
    for (const FsckFinding& finding : condition.fsck.findings)
        if (finding.kind == kind)
            return true;
    return false;
}

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::optional<std::string> unhex(const std::string& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto high = std::string("0123456789abcdef").find(text[i]);
        const auto low = std::string("0123456789abcdef").find(text[i + 1]);
        if (high == std::string::npos || low == std::string::npos)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

// A block of text by its length first, so that any bytes can be in it.
void writeBlock(std::ostream& out, const std::string& text) {
    out << text.size() << '\n' << text;
}

std::optional<std::string> readBlock(std::istream& in) {
    std::size_t size = 0;
    if (!(in >> size) || in.get() != '\n' || size > kLargestRecord)
        return std::nullopt;
    std::string text(size, '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return text;
}

}  // namespace

VolumeCondition checkVolume(const ToolEnvironment& environment, const fs::path& volumeFile,
                            const std::string& fatType) {
    VolumeCondition condition;
    condition.marks = readWindowsMarks(volumeFile, 0, fatType);
    const auto run = runTool(environment, "fsck.fat", {"-n", volumeFile.string()}, kCheckTimeout);
    if (!run.started)
        return uncheckedVolume(missingToolSentence("fsck.fat"));
    if (run.timedOut)
        return uncheckedVolume("fsck.fat did not finish in time");
    condition.fsckOut = run.out;
    condition.fsckErr = run.err;
    condition.fsck = parseFsckReport(run.out, run.err);
    return condition;
}

VolumeCondition uncheckedVolume(std::string why) {
    VolumeCondition condition;
    condition.fsck.failure = std::move(why);
    return condition;
}

std::vector<std::string> conditionNotes(const VolumeCondition& condition) {
    using Kind = FsckFinding::Kind;
    std::vector<std::string> notes;
    const auto& marks = condition.marks;
    if ((marks && (!marks->shutDownCleanly || marks->bootSectorDirty)) ||
        has(condition, Kind::Dirty))
        notes.push_back(
            "Windows was not shut down cleanly; ScanDisk will check the disk at the next start.");
    if (marks && marks->diskErrorSeen)
        notes.push_back(
            "Windows met a disk error on this drive; ScanDisk will check the disk at the next "
            "start.");
    if (!condition.fsck.complete) {
        notes.push_back("The file system was not checked for lost clusters and other errors: " +
                        condition.fsck.failure + ".");
        return notes;
    }
    for (const FsckFinding& finding : condition.fsck.findings) {
        switch (finding.kind) {
            case Kind::Dirty:
            case Kind::FreeCountUnknown:  // Windows counts when it needs to
                break;
            case Kind::LostClusters:
                notes.push_back(std::to_string(finding.clusters) + " clusters (" +
                                std::to_string(finding.bytes) +
                                " bytes) are in use by no file (lost clusters); ScanDisk frees "
                                "them when it next checks the disk.");
                break;
            case Kind::FreeCountWrong:
                notes.push_back(
                    "The free space recorded on the disk is out of date, so Windows shows the "
                    "wrong amount of free space until ScanDisk next checks the disk.");
                break;
            case Kind::BootSectorDiffers:
                notes.push_back(
                    "The boot sector differs from its backup copy, as it often does on a disk "
                    "Windows has used; nothing needs to be done.");
                break;
            case Kind::Other:
                notes.push_back("fsck.fat finds errors that ScanDisk should repair: " +
                                finding.text);
                break;
        }
    }
    return notes;
}

std::string conditionAdded(const VolumeCondition& before, const VolumeCondition& after) {
    std::string added = joined(findingsAdded(before.fsck.findings, after.fsck.findings));
    if (before.marks && (!after.marks || after.marks->bytes != before.marks->bytes))
        added += std::string(added.empty() ? "" : "; ") +
                 "the marks Windows keeps of how it left the disk were changed";
    return added;
}

void recordCondition(const fs::path& record, const fs::path& image, std::uint64_t offset,
                     const VolumeCondition& condition) {
    const std::string state = imageFileState(image);
    if (state.empty() || !condition.fsck.complete)
        return;
    std::ostringstream text;
    text << kRecordHeader << '\n' << state << '\n' << offset << '\n';
    if (condition.marks) {
        const WindowsMarks& m = *condition.marks;
        text << "marks " << m.shutDownCleanly << m.diskErrorSeen << m.bootSectorDirty
             << m.fatStartSound << ' ' << hex(m.bytes) << '\n';
    } else {
        text << "no-marks\n";
    }
    writeBlock(text, condition.fsckOut);
    writeBlock(text, condition.fsckErr);
    // Only ever a shortcut, so not flushed to the disk: a record that cannot
    // be written, or that a crash leaves half written, is checked anew.
    const fs::path temporary = record.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush())
            return;
    }
    std::error_code ec;
    fs::rename(temporary, record, ec);
}

std::optional<VolumeCondition> recordedCondition(const fs::path& record, const fs::path& image,
                                                 std::uint64_t offset) {
    std::error_code ec;
    if (fs::file_size(record, ec) > kLargestRecord || ec)
        return std::nullopt;
    std::ifstream in(record, std::ios::binary);
    std::string header, state, at, marksLine;
    if (!std::getline(in, header) || header != kRecordHeader || !std::getline(in, state) ||
        state != imageFileState(image) || state.empty() || !std::getline(in, at) ||
        at != std::to_string(offset) || !std::getline(in, marksLine))
        return std::nullopt;
    VolumeCondition condition;
    if (marksLine != "no-marks") {
        std::istringstream fields(marksLine);
        std::string word, flags, bytes;
        if (!(fields >> word >> flags) || word != "marks" || flags.size() != 4)
            return std::nullopt;
        fields >> bytes;
        auto raw = unhex(bytes);
        if (!raw)
            return std::nullopt;
        WindowsMarks m;
        m.shutDownCleanly = flags[0] == '1';
        m.diskErrorSeen = flags[1] == '1';
        m.bootSectorDirty = flags[2] == '1';
        m.fatStartSound = flags[3] == '1';
        m.bytes = std::move(*raw);
        condition.marks = std::move(m);
    }
    auto out = readBlock(in);
    auto err = out ? readBlock(in) : std::nullopt;
    if (!err)
        return std::nullopt;
    condition.fsckOut = std::move(*out);
    condition.fsckErr = std::move(*err);
    condition.fsck = parseFsckReport(condition.fsckOut, condition.fsckErr);
    if (!condition.fsck.complete)
        return std::nullopt;
    return condition;
}

}  // namespace quenlark
