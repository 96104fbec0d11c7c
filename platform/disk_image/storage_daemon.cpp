#include "storage_daemon.h"

#include <signal.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "fuse_access.h"
#include "image_guard.h"
#include "leftover_tools.h"
#include "mount_table.h"

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kStartTimeout = 10s;
constexpr auto kStopTimeout = 20s;  // a clean stop flushes the overlay
constexpr int kMostStackedMounts = 4;
// setpriv's exit status when the program it was to run is not there.
constexpr int kProgramNotFound = 127;

fs::path exportPathIn(const fs::path& folder) {
    return folder / "export";
}
fs::path logFileIn(const fs::path& folder) {
    return folder / "daemon.log";
}

// The end of the log: the daemon's reason is in its last line.
std::string readAll(const fs::path& file) {
    constexpr std::streamoff kTail = 64 * 1024;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    in.seekg(std::max<std::streamoff>(0, size - kTail));
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void unmount(const ToolEnvironment& environment, const fs::path& mountPoint) {
    // Each lazy unmount takes off the topmost of the mounts on the point,
    // named by its fixed name in its folder.
    ToolRun run{10s};
    run.folder = mountPoint.parent_path();
    for (int i = 0; i < kMostStackedMounts && isMountPoint(mountPoint); ++i)
        runTool(environment, "fusermount3", {"-u", "-z", mountPoint.filename().string()}, run);
}

std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const auto start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

// What the daemon's log says went wrong: libfuse's own line when there is one
// ("fuse: failed to open /dev/fuse: Permission denied"), which names what the
// user can act on, where the daemon's last line only says that it failed.
std::string failureInLog(const std::string& log) {
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = std::min(log.find('\n', start), log.size());
        const std::string line = log.substr(start, end - start);
        if (line.rfind("fuse: ", 0) == 0)
            return line;
        start = end + 1;
    }
    return lastLine(log);
}

std::vector<std::string> daemonArguments(const fs::path& folder, const ExportRequest& request) {
    // A read-only view takes no lock: it must neither keep a writer out nor
    // look like an emulator to the check before a change. Only the top of a
    // writable export is written; what it rests on is read-only.
    ImageChain chain{{request.image, request.format}};
    chain.insert(chain.end(), request.backing.begin(), request.backing.end());
    const std::string top = request.writable ? "quenlark-change" : kReadOnlyViewMarker;
    std::vector<std::string> arguments{
        "--blockdev",
        qemuNode(chain, NodeAccess{request.writable ? 1u : 0u, !request.writable, "image-format"})};
    std::string exported = "image-format";
    if (request.offset) {
        nlohmann::json partition{{"driver", "raw"},
                                 {"node-name", "partition"},
                                 {"file", exported},
                                 {"offset", *request.offset},
                                 {"size", request.size.value_or(0)}};
        if (!request.writable) {
            partition["read-only"] = true;
            partition["force-share"] = true;
        }
        arguments.push_back("--blockdev");
        arguments.push_back(partition.dump());
        exported = "partition";
    }
    const nlohmann::json exportNode{{"type", "fuse"},
                                    {"id", top},
                                    {"node-name", exported},
                                    {"mountpoint", exportPathIn(folder).string()},
                                    {"writable", request.writable}};
    arguments.push_back("--export");
    arguments.push_back(exportNode.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    return arguments;
}

}  // namespace

std::variant<std::unique_ptr<StorageDaemon>, std::string> StorageDaemon::start(
    const ToolEnvironment& environment, const fs::path& folder, const ExportRequest& request) {
    if (auto why = whyFuseIsUnusable())
        return noFuseSentence(*why);
    std::error_code ec;
    fs::create_directories(folder, ec);
    cleanUpStaleExport(environment, folder);
    const fs::path mountPoint = exportPathIn(folder);
    if (!fs::exists(mountPoint, ec))
        std::ofstream(mountPoint).close();
    // setpriv (util-linux) has the daemon ended with this process, however
    // that ends (killed, or its display gone): no export is left mounted and
    // serving nobody until this image is opened again.
    std::vector<std::string> arguments{"--pdeathsig", "TERM", "--", "qemu-storage-daemon"};
    for (auto& argument : daemonArguments(folder, request))
        arguments.push_back(std::move(argument));
    const auto pid = startTool(environment, "setpriv", arguments, logFileIn(folder));
    if (!pid)
        return missingToolSentence("setpriv");
    std::unique_ptr<StorageDaemon> daemon(new StorageDaemon(environment, folder, *pid));

    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!isMountPoint(mountPoint)) {
        if (auto code = waitForTool(*pid, 2ms)) {
            daemon->running_ = false;
            if (*code == kProgramNotFound)
                return missingToolSentence("qemu-storage-daemon");
            const std::string said = failureInLog(readAll(logFileIn(folder)));
            return "qemu-storage-daemon could not show the disk image" +
                   (said.empty() ? std::string(".") : ": " + said);
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::string(
                "qemu-storage-daemon did not show the disk image in time (is /dev/fuse usable?).");
    }
    return daemon;
}

StorageDaemon::StorageDaemon(const ToolEnvironment& environment, fs::path folder, pid_t pid)
    : environment_(environment),
      folder_(std::move(folder)),
      exportFile_(exportPathIn(folder_)),
      pid_(pid) {}

StorageDaemon::~StorageDaemon() {
    stop();
}

bool StorageDaemon::stop() {
    if (!running_)
        return false;
    running_ = false;
    // Its whole process group: a daemon started by a wrapper ends too.
    signalTool(pid_, SIGTERM);
    auto code = waitForTool(pid_, kStopTimeout);
    if (!code) {
        signalTool(pid_, SIGKILL);
        waitForTool(pid_, kStopTimeout);
    }
    const bool clean = code && *code == 0 && !isMountPoint(exportFile_);
    unmount(environment_, exportFile_);
    return clean;
}

void cleanUpStaleExport(const ToolEnvironment& environment, const fs::path& folder) {
    // Its daemon first: one still starting or still dying may yet mount.
    endToolsWorkingIn(folder);
    unmount(environment, exportPathIn(folder));
}

}  // namespace quenlark
