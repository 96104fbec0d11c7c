#include "ordinary_user.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <map>
#include <system_error>

namespace quenlark::testing {

namespace fs = std::filesystem;

std::optional<OrdinaryUser> ordinaryUser(std::string* why) {
    if (::geteuid() != 0)
        return OrdinaryUser{::geteuid(), ::getegid()};
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || nobody->pw_uid == 0) {
        if (why)
            *why = "this process is root and the system has no \"nobody\" account to run as";
        return std::nullopt;
    }
    return OrdinaryUser{nobody->pw_uid, nobody->pw_gid};
}

void handOver(const fs::path& tree, const OrdinaryUser& user) {
    if (::geteuid() != 0)
        return;
    std::error_code ec;
    if (::lchown(tree.c_str(), user.uid, user.gid) != 0)
        return;
    for (fs::recursive_directory_iterator it(tree, ec), end; !ec && it != end; it.increment(ec))
        ::lchown(it->path().c_str(), user.uid, user.gid);
    // mkdtemp makes folders that only their owner may enter.
    for (fs::path above = fs::absolute(tree, ec).parent_path(); above != above.root_path();
         above = above.parent_path())
        fs::permissions(above, fs::perms::others_exec | fs::perms::group_exec,
                        fs::perm_options::add, ec);
}

bool becomeUser(const OrdinaryUser& user) {
    if (::getuid() == user.uid && ::geteuid() == user.uid)
        return true;
    const gid_t groups[] = {user.gid};
    return ::setgroups(1, groups) == 0 && ::setgid(user.gid) == 0 && ::setuid(user.uid) == 0 &&
           ::geteuid() == user.uid;
}

int runAsUser(const OrdinaryUser& user, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (!becomeUser(user))
            ::_exit(255);
        ::_exit(body() & 0xff);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

namespace {

// Where each user starts each program, found once: the program itself, or a
// copy in a folder of our own, which goes when this process ends.
class ReachablePrograms {
  public:
    ~ReachablePrograms() {
        std::error_code ec;
        if (!folder_.empty())
            fs::remove_all(folder_, ec);
    }
    fs::path forUser(const OrdinaryUser& user, const fs::path& program) {
        fs::path& found = known_[{user.uid, program}];
        if (found.empty())
            found = canStart(user, program) ? program : copyOf(program);
        return found;
    }

  private:
    static bool canStart(const OrdinaryUser& user, const fs::path& program) {
        return runAsUser(user, [&] { return ::access(program.c_str(), X_OK) == 0 ? 0 : 1; }) == 0;
    }
    // Named as the program: no test starts two programs of the same name.
    fs::path copyOf(const fs::path& program) {
        std::error_code ec;
        if (folder_.empty()) {
            char pattern[] = "/tmp/quenlark-programs-XXXXXX";
            if (!::mkdtemp(pattern))
                return program;
            folder_ = pattern;
            fs::permissions(folder_, fs::perms(0755), ec);
        }
        const fs::path copy = folder_ / program.filename();
        if (!fs::copy_file(program, copy, fs::copy_options::overwrite_existing, ec) || ec)
            return program;
        fs::permissions(copy, fs::perms(0755), ec);
        return copy;
    }

    fs::path folder_;
    std::map<std::pair<uid_t, fs::path>, fs::path> known_;
};

}  // namespace

fs::path programFor(const OrdinaryUser& user, const fs::path& program) {
    static ReachablePrograms programs;
    return programs.forUser(user, program);
}

}  // namespace quenlark::testing
