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

// The copies made for users who cannot reach the originals, by original.
class ProgramCopies {
  public:
    ~ProgramCopies() {
        std::error_code ec;
        if (!folder_.empty())
            fs::remove_all(folder_, ec);
    }
    fs::path copyOf(const fs::path& program) {
        if (const auto known = copies_.find(program); known != copies_.end())
            return known->second;
        if (folder_.empty()) {
            char pattern[] = "/tmp/quenlark-programs-XXXXXX";
            if (!::mkdtemp(pattern))
                return program;
            folder_ = pattern;
            fs::permissions(folder_, fs::perms(0755));
        }
        const fs::path copy = folder_ / std::to_string(copies_.size()) / program.filename();
        std::error_code ec;
        fs::create_directories(copy.parent_path(), ec);
        fs::permissions(copy.parent_path(), fs::perms(0755), ec);
        if (ec || !fs::copy_file(program, copy, ec) || ec)
            return program;
        fs::permissions(copy, fs::perms(0755), ec);
        return copies_[program] = copy;
    }

  private:
    fs::path folder_;
    std::map<fs::path, fs::path> copies_;
};

}  // namespace

fs::path programFor(const OrdinaryUser& user, const fs::path& program) {
    if (runAsUser(user, [&] { return ::access(program.c_str(), X_OK) == 0 ? 0 : 1; }) == 0)
        return program;
    static ProgramCopies copies;
    return copies.copyOf(program);
}

}  // namespace quenlark::testing
