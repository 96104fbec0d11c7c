#include "find_command.h"

#include <cstdio>

namespace quenlark {

namespace {

// A field of a line: no tab or line break of a machine's name may start
// another field or line.
std::string field(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return text;
}

std::string findLine(const FoundInstallation& found) {
    // A bare FAT volume (partition 0) is opened without --partition.
    const std::string partition = found.source.partition && *found.source.partition > 0
                                      ? std::to_string(*found.source.partition)
                                      : std::string("-");
    const std::string state = found.refused ? "refused: " + *found.refused
                              : found.inUse ? "in-use: " + *found.inUse
                                            : std::string("ready");
    return field(found.machine) + "\t" + field(found.emulator) + "\t" +
           field(found.source.path.string()) + "\t" + partition + "\t" + field(state);
}

void printNotes(const FindReport& report) {
    for (const std::string& note : report.notes)
        std::fprintf(stderr, "quenlark-logo: note: %s\n", field(note).c_str());
}

}  // namespace

int runFindCommand(EmulatorFinder& finder) {
    const FindReport report = finder.find(finder.searchFolders(), {});
    printNotes(report);
    for (const FoundInstallation& found : report.found)
        std::printf("%s\n", findLine(found).c_str());
    if (report.found.empty()) {
        std::fprintf(stderr,
                     "quenlark-logo: no Windows 95 or 98 installation was found on the disks of "
                     "the emulators' machines or in the search folders.\n");
        return 1;
    }
    return 0;
}

std::variant<FoundInstallation, std::string> machineInstallation(EmulatorFinder& finder,
                                                                 const std::string& name) {
    const FindReport report = finder.findMachine(name, finder.searchFolders());
    printNotes(report);
    std::vector<const FoundInstallation*> ready;
    for (const FoundInstallation& found : report.found)
        if (!found.refused)
            ready.push_back(&found);
    if (ready.size() == 1)
        return *ready.front();
    if (ready.empty() && !report.found.empty())
        return *report.found.front().refused;
    if (ready.empty())
        return "no machine named \"" + name +
               "\" has Windows 95 or 98 on its disks (\"quenlark-logo find\" lists those that "
               "do).";
    std::string where;
    for (const FoundInstallation* found : ready)
        where += (where.empty() ? "" : ", ") + found->emulator + " " + found->source.path.string();
    return std::to_string(ready.size()) + " installations belong to machines named \"" + name +
           "\" (" + where + "); choose one with --image.";
}

}  // namespace quenlark
