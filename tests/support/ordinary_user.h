#pragma once

#include <sys/types.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quenlark::testing {

// Root ignores permission bits, and the tests often run as root (CI does), so
// whatever a permission decides is tried as an ordinary user too: "nobody"
// when this process is root, else the user it runs as.
struct OrdinaryUser {
    uid_t uid = 0;
    gid_t gid = 0;
};

// The user, or nothing (with the reason in `why`) when none can be had: root
// without a "nobody" account, say.
std::optional<OrdinaryUser> ordinaryUser(std::string* why = nullptr);

// Gives the folder tree `tree` to `user` (only as root; the user owns it
// already otherwise), and opens each folder above it for passing through, so
// that the user can reach it.
void handOver(const std::filesystem::path& tree, const OrdinaryUser& user);

// Becomes `user` for good: supplementary groups, group, user, in that order.
// Async-signal-safe, so that it can run in a child between fork and exec
// (QProcess::setChildProcessModifier). False when a step failed.
bool becomeUser(const OrdinaryUser& user);

// Runs `body` in a forked child that has become `user`; its result is the
// child's exit status (0-255), or -1 when the child could not become the user
// or died. Assertions inside `body` do not reach the test: return a status.
int runAsUser(const OrdinaryUser& user, const std::function<int()>& body);

// `program` where `user` can start it: the program itself when the user can
// reach it, else a copy in a folder of its own that is removed when this
// process ends. A build tree in root's home (mode 0700) is out of an
// ordinary user's reach, and opening root's home for a test is not ours to do.
std::filesystem::path programFor(const OrdinaryUser& user, const std::filesystem::path& program);

}  // namespace quenlark::testing
