#include "host_program_starter.h"

#include <system_error>

#include "detached_process.h"
#include "windows_command_line.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

bool isRegularFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

std::string fileNameOf(const std::string& windowsPath) {
    std::size_t cut = windowsPath.find_last_of("\\/:");
    return cut == std::string::npos ? windowsPath : windowsPath.substr(cut + 1);
}

}  // namespace

bool isNotepad(const std::string& program) {
    std::string name = fileNameOf(program);
    return sameNameIgnoringCase(name, "notepad.exe") || sameNameIgnoringCase(name, "notepad");
}

HostProgramStarter::HostProgramStarter(const HostPaths& paths, std::string textViewer)
    : paths_(paths), textViewer_(std::move(textViewer)) {}

bool HostProgramStarter::start(const std::string& commandLine) {
    for (const auto& split : commandLineSplits(commandLine)) {
        if (isNotepad(split.program))
            return openInTextViewer(split.arguments);
        auto program = paths_.hostPath(split.program);
        if (program && isRegularFile(*program))
            return runHostProgram(*program, split.arguments);
    }
    return false;
}

bool HostProgramStarter::openInTextViewer(const std::string& arguments) {
    std::string argument = wholeArgument(arguments);
    if (argument.empty())
        return false;
    auto file = paths_.hostPath(argument);
    if (!file)
        return false;
    return spawnDetached(textViewer_, {file->string()}).has_value();
}

bool HostProgramStarter::runHostProgram(const fs::path& program, const std::string& arguments) {
    std::vector<std::string> argv;
    std::string argument = wholeArgument(arguments);
    if (!argument.empty()) {
        // A Windows path on a mapped drive means a file the host program can
        // only find by its host path; any other text goes as it is.
        auto parsed = parseWindowsPath(argument);
        auto file = parsed ? paths_.drives().toHost(*parsed) : std::nullopt;
        argv.push_back(file ? file->string() : argument);
    }
    return spawnDetached(program.string(), argv).has_value();
}

}  // namespace quenlark
