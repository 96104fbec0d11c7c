#include "fsck_findings.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace quenlark {

namespace {

using Kind = FsckFinding::Kind;

// Lines of fsck.fat -n that are no finding: its banner, its closing words and
// its summary ("disk.img: 12 files, 40/16223 clusters").
bool isFrame(const std::string& line) {
    return line.rfind("fsck.fat ", 0) == 0 || line == "Leaving filesystem unchanged." ||
           line.empty();
}

bool isSummary(const std::string& line) {
    return line.find(" files, ") != std::string::npos &&
           line.find(" clusters") != std::string::npos && line.find(": ") != std::string::npos;
}

// A line that goes on with the finding above although it is not indented.
bool continuesFinding(const std::string& line) {
    return line.rfind("This is mostly harmless", 0) == 0;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::uint64_t numberAfter(const std::string& text, const std::string& marker) {
    const auto at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    std::uint64_t value = 0;
    for (std::size_t i = at + marker.size();
         i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    return value;
}

FsckFinding classify(std::string text) {
    FsckFinding finding;
    finding.text = std::move(text);
    const std::string& t = finding.text;
    if (startsWith(t, "Dirty bit is set")) {
        finding.kind = Kind::Dirty;
    } else if (startsWith(t, "There are differences between boot sector and its backup")) {
        finding.kind = Kind::BootSectorDiffers;
    } else if (startsWith(t, "Free cluster summary wrong")) {
        finding.kind = Kind::FreeCountWrong;
    } else if (startsWith(t, "Free cluster summary uninitialized")) {
        finding.kind = Kind::FreeCountUnknown;
    } else if (startsWith(t, "Reclaimed ")) {
        // "Reclaimed 2 unused clusters (1024 bytes)."
        finding.kind = Kind::LostClusters;
        finding.clusters = numberAfter(t, "Reclaimed ");
        finding.bytes = numberAfter(t, "(");
    }
    return finding;
}

// The finding as compared: its text with each run of digits as one '#', so
// that counts and sizes that a change moved leave it the same.
std::string shape(const FsckFinding& finding) {
    if (finding.kind == Kind::BootSectorDiffers)
        return finding.text;  // where they differ is what matters
    std::string shaped;
    for (std::size_t i = 0; i < finding.text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(finding.text[i]))) {
            while (i + 1 < finding.text.size() &&
                   std::isdigit(static_cast<unsigned char>(finding.text[i + 1])))
                ++i;
            shaped += '#';
        } else {
            shaped += finding.text[i];
        }
    }
    return shaped;
}

}  // namespace

FsckReport parseFsckReport(const std::string& out, const std::string& err) {
    FsckReport report;
    std::istringstream lines(out);
    std::string text;
    auto finish = [&] {
        if (!text.empty())
            report.findings.push_back(classify(std::move(text)));
        text.clear();
    };
    for (std::string line; std::getline(lines, line);) {
        if (isFrame(line))
            continue;
        if (isSummary(line)) {
            finish();
            report.complete = true;
            continue;
        }
        const bool indented = line[0] == ' ';
        if (!indented && !continuesFinding(line))
            finish();
        const auto start = line.find_first_not_of(' ');
        text += (text.empty() ? "" : " ") + line.substr(start);
    }
    finish();
    if (!err.empty()) {
        report.complete = false;
        report.failure = err.substr(0, err.find('\n'));
    } else if (!report.complete) {
        report.failure = "it ended before it had checked the whole file system";
    }
    return report;
}

std::vector<FsckFinding> findingsAdded(const std::vector<FsckFinding>& before,
                                       const std::vector<FsckFinding>& after) {
    // Each finding of `before` answers for one of `after`: a finding that
    // comes twice where it came once is new the second time.
    std::vector<bool> used(before.size(), false);
    std::vector<FsckFinding> added;
    for (const FsckFinding& finding : after) {
        bool known = false;
        for (std::size_t i = 0; i < before.size() && !known; ++i) {
            if (used[i] || before[i].kind != finding.kind)
                continue;
            if (finding.kind == Kind::LostClusters)
                known = finding.clusters <= before[i].clusters;
            else
                known = shape(before[i]) == shape(finding);
            used[i] = known;
        }
        if (!known)
            added.push_back(finding);
    }
    return added;
}

}  // namespace quenlark
