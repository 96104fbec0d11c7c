#include "soak.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <utility>

namespace quenlark::testing {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLogoSize = 129078;
constexpr int kGarbage = -1;  // a file that is no whole logo

std::size_t at(Slot slot) {
    return static_cast<std::size_t>(slot);
}

// What the files of the three slots must hold: a logo by its id, 0 for none.
// A logo waits in `pending` to become the backup while its slot changes; it
// stays there only when that move was given up.
struct Model {
    std::array<int, 3> installed{}, backup{}, original{}, temporary{}, pending{};
    std::array<bool, 3> marker{};  // "no logo at first run"
    bool operator==(const Model&) const = default;
};

// What a step does when none of its calls fails: the store's promises, told
// again in a few lines.
void apply(Model& m, const SoakStep& step) {
    auto backup = [&](std::size_t i) {
        if (m.installed[i])
            m.backup[i] = m.installed[i];
    };
    // A backup made by way of the pending file, for a change that is made.
    auto backupByPending = [&](std::size_t i) {
        if (m.installed[i]) {
            m.backup[i] = m.installed[i];
            m.pending[i] = 0;
        }
    };
    auto restore = [&](std::size_t i, Answer answer) {
        if (!m.backup[i] || answer == Answer::Cancel)
            return;
        if (answer == Answer::Yes && m.installed[i])
            m.temporary[i] = m.installed[i];
        m.installed[i] = m.backup[i];
        if (m.temporary[i])
            m.backup[i] = std::exchange(m.temporary[i], 0);
    };
    const std::size_t i = at(step.slot);
    switch (step.kind) {
        case SoakStep::Backup:
            return backup(i);
        case SoakStep::Restore:
            return restore(i, step.answers[0]);
        case SoakStep::Swap:
            if (step.chosen != SoakStep::Good || step.answers[0] == Answer::Cancel)
                return;
            if (step.answers[0] == Answer::Yes)
                backupByPending(i);
            m.installed[i] = step.logo;
            return;
        case SoakStep::BackupAll:
            for (std::size_t j = 0; j < 3; ++j)
                backup(j);
            return;
        case SoakStep::RestoreAll: {
            // Only a slot with a backup asks its question.
            std::size_t question = 0;
            for (std::size_t j = 0; j < 3; ++j) {
                if (m.backup[j])
                    restore(j, step.answers[question++]);
            }
            return;
        }
        case SoakStep::RestoreOriginals:
            if (step.answers[0] != Answer::Yes || step.answers[1] == Answer::Cancel)
                return;
            // Only a slot that is reset has its backup replaced.
            for (std::size_t j = 0; j < 3; ++j) {
                if (step.answers[1] != Answer::Yes)
                    continue;
                if (m.original[j] || m.marker[j])
                    backupByPending(j);
                else if (m.installed[j])
                    m.pending[j] = 0;
            }
            for (std::size_t j = 0; j < 3; ++j) {
                if (m.original[j])
                    m.installed[j] = m.original[j];
                else if (m.marker[j])
                    m.installed[j] = 0;
            }
            return;
        case SoakStep::Restart:
            for (std::size_t j = 0; j < 3; ++j) {
                if (m.original[j] || m.marker[j])
                    continue;
                if (m.installed[j])
                    m.original[j] = m.installed[j];
                else
                    m.marker[j] = true;
            }
            return;
        case SoakStep::RemoveLogo:
            m.installed[i] = 0;
            return;
        case SoakStep::RemoveBackup:
            m.backup[i] = 0;
            return;
        case SoakStep::RemoveOriginal:
            m.original[i] = 0;
            m.marker[i] = false;
            return;
    }
}

const char* kindName(SoakStep::Kind kind) {
    static const char* const names[] = {"Backup",         "Restore",     "Swap",
                                        "Backup All",     "Restore All", "Restore Originals",
                                        "restart",        "remove logo", "remove backup",
                                        "remove original"};
    return names[kind];
}

const char* answerName(Answer a) {
    return a == Answer::Yes ? "Yes" : a == Answer::No ? "No" : "Cancel";
}

// The files of each slot, by the Windows paths the store uses.
struct SlotPaths {
    std::string installed, backup, original, marker, temporary, pending;
};

std::array<SlotPaths, 3> slotPaths() {
    const StorePaths paths = formStorePaths("C:\\WINDOWS", "C:\\TOOLS");
    std::array<SlotPaths, 3> out;
    for (const auto& info : kSlots) {
        const std::string originals = "C:\\TOOLS\\ORIGINAL\\";
        out[at(info.slot)] = {paths.installedOf(info.slot),
                              paths.backupOf(info.slot),
                              originals + std::string(info.originalName),
                              originals + std::string(info.noLogoMarker),
                              temporaryPathFor(paths.installedOf(info.slot)),
                              pendingBackupPathFor(paths.backupOf(info.slot))};
    }
    return out;
}

// One run of the program on a drive in memory, checked against the model
// after every step.
class SoakRun {
  public:
    SoakRun() {
        for (const auto& info : kSlots)
            TempDrive::put(bench.installed(info.slot),
                           soakLogo(1 + static_cast<int>(at(info.slot))));
        TempDrive::put(bench.pictures() / "wrong.bmp", soakLogo(0) + "x");
        model.installed = {1, 2, 3};
        bench.start();
        apply(model, SoakStep{SoakStep::Restart});
    }

    std::optional<std::string> step(const SoakStep& s, const Sabotage& sabotage) {
        const Model before = model;
        Model intended = model;
        apply(intended, s);
        act(s);
        if (sabotage)
            sabotage(s, bench);
        const Model actual = read();
        model = actual;
        const std::string stray = strayFiles();
        if (!stray.empty())
            return "temporary file left: " + stray;
        if (bench.files.faultsMet() == 0) {
            if (actual != intended)
                return "the drive differs from the model:" + differences(intended, actual);
            return std::nullopt;
        }
        return broken(s, before, intended, actual);
    }

  private:
    void act(const SoakStep& s) {
        bench.files.resetCalls();
        const SlotPaths& paths = slotPaths_[at(s.slot)];
        auto remove = [&](const std::string& windowsPath) {
            std::error_code ec;
            fs::remove(*bench.host.hostPath(windowsPath), ec);
        };
        switch (s.kind) {
            case SoakStep::RemoveLogo:
                return remove(paths.installed);
            case SoakStep::RemoveBackup:
                return remove(paths.backup);
            case SoakStep::RemoveOriginal:
                remove(paths.original);
                return remove(paths.marker);
            default:
                break;
        }

        bench.user.messages.clear();
        bench.user.statuses.clear();
        bench.user.dialogs.clear();
        bench.user.chosenFiles.clear();
        int retries = 0;
        std::size_t nextAnswer = 0;
        bench.user.answerer = [&](const std::string&, MessageStyle style) {
            if (style == MessageStyle::RetryCancel)
                return retries++ < s.retries ? Answer::Retry : Answer::Cancel;
            return nextAnswer < s.answers.size() ? s.answers[nextAnswer++] : Answer::Cancel;
        };
        if (s.faultCall > 0)
            bench.files.failCall(s.faultCall, s.faultKind, s.sticky);

        LogoStore& store = *bench.store;
        switch (s.kind) {
            case SoakStep::Backup:
                return store.onBackUp(s.slot);
            case SoakStep::Restore:
                return store.onRestore(s.slot);
            case SoakStep::Swap:
                if (s.chosen == SoakStep::Good)
                    TempDrive::put(bench.pictures() / "good.bmp", logo(s.logo));
                bench.user.chosenFiles = {
                    s.chosen == SoakStep::Cancelled
                        ? std::nullopt
                        : std::optional<std::string>(
                              s.chosen == SoakStep::Good        ? "C:\\PICS\\good.bmp"
                              : s.chosen == SoakStep::WrongSize ? "C:\\PICS\\wrong.bmp"
                                                                : "C:\\PICS\\gone.bmp")};
                return store.onSwap(s.slot);
            case SoakStep::BackupAll:
                store.backUpAll();
                return;
            case SoakStep::RestoreAll:
                return store.restoreAll();
            case SoakStep::RestoreOriginals:
                return store.restoreOriginals();
            case SoakStep::Restart:
                return bench.start();
            default:
                return;
        }
    }

    // After a fault: each file holds what it held or what the step meant it
    // to hold (a restore may keep the former logo in its temporary file); a
    // logo meant to survive survives somewhere; first-run copies only appear.
    std::optional<std::string> broken(const SoakStep& s, const Model& b, const Model& e,
                                      const Model& a) const {
        const bool restores = s.kind == SoakStep::Restore || s.kind == SoakStep::RestoreAll;
        std::string found;
        for (std::size_t j = 0; j < 3; ++j) {
            auto check = [&](const char* role, int after, int before, int intended) {
                if (after != before && after != intended)
                    found += std::string(" ") + role + " " + kSlots[j].installedName.data() +
                             " holds #" + std::to_string(after) + " (before #" +
                             std::to_string(before) + ", meant #" + std::to_string(intended) + ");";
            };
            check("installed", a.installed[j], b.installed[j], e.installed[j]);
            check("backup", a.backup[j], b.backup[j], e.backup[j]);
            check("original", a.original[j], b.original[j], e.original[j]);
            if (!(restores && a.temporary[j] == b.installed[j]))
                check("temporary", a.temporary[j], b.temporary[j], e.temporary[j]);
            if (a.pending[j] != b.installed[j])
                check("pending", a.pending[j], b.pending[j], e.pending[j]);
            if (a.marker[j] != b.marker[j] && a.marker[j] != e.marker[j])
                found += " a marker changed;";
        }
        auto ids = [](const Model& m) {
            std::set<int> all;
            for (const auto* files :
                 {&m.installed, &m.backup, &m.original, &m.temporary, &m.pending})
                all.insert(files->begin(), files->end());
            return all;
        };
        const std::set<int> meant = ids(e), kept = ids(a);
        for (int id : ids(b)) {
            if (id > 0 && meant.count(id) && !kept.count(id))
                found += " logo #" + std::to_string(id) + " is lost;";
        }
        if (found.empty())
            return std::nullopt;
        return "after the fault:" + found;
    }

    static std::string differences(const Model& e, const Model& a) {
        std::string out;
        for (std::size_t j = 0; j < 3; ++j) {
            const std::string name(kSlots[j].installedName);
            auto diff = [&](const char* role, int meant, int found) {
                if (meant != found)
                    out += std::string(" ") + role + " " + name + " holds #" +
                           std::to_string(found) + ", meant #" + std::to_string(meant) + ";";
            };
            diff("installed", e.installed[j], a.installed[j]);
            diff("backup", e.backup[j], a.backup[j]);
            diff("original", e.original[j], a.original[j]);
            diff("temporary", e.temporary[j], a.temporary[j]);
            diff("pending", e.pending[j], a.pending[j]);
            diff("marker", e.marker[j], a.marker[j]);
        }
        return out;
    }

    Model read() {
        Model m;
        for (std::size_t j = 0; j < 3; ++j) {
            const SlotPaths& p = slotPaths_[j];
            m.installed[j] = identify(p.installed);
            m.backup[j] = identify(p.backup);
            m.original[j] = identify(p.original);
            m.temporary[j] = identify(p.temporary);
            m.pending[j] = identify(p.pending);
            m.marker[j] = bench.host.fileExists(p.marker);
        }
        std::erase_if(drawn_, [&m](const auto& entry) {
            for (const auto* files :
                 {&m.installed, &m.backup, &m.original, &m.temporary, &m.pending}) {
                if (std::find(files->begin(), files->end(), entry.first) != files->end())
                    return false;
            }
            return true;
        });
        return m;
    }

    // The logo a file holds. A file unchanged since it was last read (same
    // inode, size and change time) is not read again, unless it changed so
    // lately that a change within the clock's tick would not show (the
    // kernel stamps files with a coarse clock).
    int identify(const std::string& windowsPath) {
        const auto host = bench.host.hostPath(windowsPath);
        struct stat info {};
        if (!host || ::stat(host->c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return 0;
        const Stamp stamp{info.st_ino, info.st_size, info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
        auto& [seen, id] = known_[*host];
        if (seen == stamp)
            return id;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const bool settled = (now.tv_sec - info.st_ctim.tv_sec) * 1000000000L +
                                 (now.tv_nsec - info.st_ctim.tv_nsec) >
                             100000000L;
        seen = settled ? stamp : Stamp{};
        const std::string content = TempDrive::read(*host);
        id = kGarbage;
        if (content.size() == kLogoSize && content.rfind("BM#", 0) == 0) {
            const int candidate = std::atoi(content.c_str() + 3);
            if (content == logo(candidate))
                id = candidate;
        }
        return id;
    }

    // Drawing a logo costs more than the rest of a step, so the logos that
    // are on the drive are kept drawn; read() forgets the others.
    const std::string& logo(int id) {
        auto [it, added] = drawn_.try_emplace(id);
        if (added)
            it->second = soakLogo(id);
        return it->second;
    }

    // The platform's temporary files, wherever the store writes.
    std::string strayFiles() const {
        std::string out;
        for (const fs::path& folder :
             {bench.drive.root(), bench.drive.windows(), bench.drive.tools() / "BACKUP",
              bench.drive.tools() / "ORIGINAL"}) {
            std::error_code ec;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                if (it->path().filename().string().rfind(".quenlark-", 0) == 0)
                    out += it->path().string() + " ";
            }
        }
        return out;
    }

    StoreBench bench;
    Model model;
    const std::array<SlotPaths, 3> slotPaths_ = slotPaths();
    using Stamp = std::tuple<ino_t, off_t, time_t, long>;
    std::map<fs::path, std::pair<Stamp, int>> known_;
    std::map<int, std::string> drawn_;
};

}  // namespace

std::string soakLogo(int id) {
    const std::string head = "BM#" + std::to_string(id) + ";";
    std::string content(kLogoSize, '\0');
    content.replace(0, head.size(), head);
    std::uint64_t x = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(id + 1);
    for (std::size_t i = head.size(); i < content.size(); ++i) {
        if (i % 8 == 0) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
        }
        content[i] = static_cast<char>(x >> (8 * (i % 8)));
    }
    return content;
}

std::string SoakStep::text() const {
    std::string out = kindName(kind);
    const bool bySlot = kind == Backup || kind == Restore || kind == Swap || kind >= RemoveLogo;
    if (bySlot)
        out += " " + std::string(slotInfo(slot).caption);
    if (kind == Swap) {
        static const char* const chosenNames[] = {"good", "wrong size", "missing", "cancelled"};
        out += std::string(" (") + chosenNames[chosen] +
               (chosen == Good ? " #" + std::to_string(logo) : "") + ")";
    }
    const int questions = kind == Restore || kind == Swap ? 1
                          : kind == RestoreAll            ? 3
                          : kind == RestoreOriginals      ? 2
                                                          : 0;
    for (int q = 0; q < questions; ++q)
        out += std::string(q == 0 ? ", answers " : " ") + answerName(answers[q]);
    if (faultCall > 0)
        out += "; call " + std::to_string(faultCall) +
               " fails: " + std::string(faultKindName(faultKind)) +
               (sticky ? ", again on each retry" : "");
    if (kind < RemoveLogo)
        out += "; Retry " + std::to_string(retries) + " times, then Cancel";
    return out;
}

std::vector<SoakStep> generateSoak(std::uint64_t seed, std::size_t count) {
    std::mt19937_64 random(seed);
    auto pick = [&](std::initializer_list<double> weights) {
        return std::discrete_distribution<int>(weights)(random);
    };
    static const Answer answers[] = {Answer::Yes, Answer::No, Answer::Cancel};
    static const FaultKind kinds[] = {FaultKind::SourceUnreadable, FaultKind::DestinationUnwritable,
                                      FaultKind::DeleteRefused, FaultKind::DiskFull,
                                      FaultKind::RenameRefused};
    std::vector<SoakStep> steps(count);
    int nextLogo = 10;
    for (auto& s : steps) {
        s.kind = static_cast<SoakStep::Kind>(pick({15, 20, 25, 5, 8, 5, 5, 4, 3, 1}));
        s.slot = static_cast<Slot>(pick({1, 1, 1}));
        for (auto& a : s.answers)
            a = answers[pick({45, 35, 20})];
        if (s.kind == SoakStep::RestoreOriginals)
            s.answers[0] = pick({4, 1}) == 0 ? Answer::Yes : Answer::No;
        s.chosen = static_cast<SoakStep::Chosen>(pick({70, 10, 10, 10}));
        s.logo = nextLogo++;
        if (s.kind < SoakStep::RemoveLogo && pick({3, 1}) == 1) {
            s.faultCall = 1 + pick({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
            s.faultKind = kinds[pick({1, 1, 1, 1, 1})];
            s.sticky = pick({1, 1}) == 1;
        }
        s.retries = pick({2, 1, 1});
    }
    return steps;
}

std::optional<SoakFailure> runSoak(const std::vector<SoakStep>& steps, const Sabotage& sabotage) {
    SoakRun run;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (auto what = run.step(steps[i], sabotage))
            return SoakFailure{i, *what};
    }
    return std::nullopt;
}

std::vector<SoakStep> shrinkSoak(std::vector<SoakStep> failing, const Sabotage& sabotage) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto failsAt = [&](const std::vector<SoakStep>& steps) -> std::optional<std::size_t> {
        if (auto failure = runSoak(steps, sabotage))
            return failure->step;
        return std::nullopt;
    };
    if (auto at = failsAt(failing))
        failing.resize(*at + 1);
    else
        return failing;
    // Take out ever smaller runs of steps while the rest still fails; one
    // step at a time until no step can go.
    for (std::size_t chunk = std::max<std::size_t>(failing.size() / 2, 1);;) {
        bool removed = false;
        for (std::size_t i = 0; i < failing.size() && failing.size() > 1;) {
            if (std::chrono::steady_clock::now() > deadline)
                return failing;
            std::vector<SoakStep> candidate(failing.begin(), failing.begin() + i);
            candidate.insert(candidate.end(), failing.begin() + std::min(i + chunk, failing.size()),
                             failing.end());
            if (auto at = failsAt(candidate)) {
                candidate.resize(*at + 1);
                failing = std::move(candidate);
                removed = true;
            } else {
                i += chunk;
            }
        }
        if (chunk > 1)
            chunk /= 2;
        else if (!removed)
            return failing;
    }
}

}  // namespace quenlark::testing
