// Every operation of the store, failed at each of its file-system calls in
// every way that call can fail, with every answer at the Retry prompts that
// follow. After each run no logo may be lost, cut short or mixed, no
// temporary file may be left behind that was not kept on purpose, and an
// operation that did not do what it meant to has told the user so.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <set>

#include "store_bench.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::DriveFiles;
using testing::FaultKind;
using testing::FileCall;
using testing::find;
using testing::logoBytes;
using testing::same;
using testing::StoreBench;
using testing::summary;
using testing::TempDrive;

enum class RetryAnswer { Cancel, RetryThenSucceed, RetryThenCancel };

const char* retryName(RetryAnswer a) {
    switch (a) {
        case RetryAnswer::Cancel:
            return "Cancel";
        case RetryAnswer::RetryThenSucceed:
            return "Retry, then success";
        case RetryAnswer::RetryThenCancel:
            return "Retry, then Cancel";
    }
    return "?";
}

const char* answerName(Answer a) {
    return a == Answer::Yes ? "Yes" : a == Answer::No ? "No" : "Cancel";
}

struct Operation {
    std::string name;
    std::vector<Answer> answers;  // to the operation's own questions, in order
    std::function<void(LogoStore&)> click;
    bool restores = false;  // may keep a copy of the former logo beside it
    bool startUp = false;   // the operation is the start-up sequence itself
};

std::vector<Operation> operations() {
    const std::vector<Answer> yesNoCancel{Answer::Yes, Answer::No, Answer::Cancel};
    std::vector<Operation> ops;
    ops.push_back({"start-up, first run", {}, [](LogoStore& s) { s.startUp(); }, false, true});
    for (const auto& info : kSlots) {
        const Slot slot = info.slot;
        const std::string caption(info.caption);
        ops.push_back({"Backup " + caption, {}, [=](LogoStore& s) { s.onBackUp(slot); }});
        for (Answer a : yesNoCancel) {
            ops.push_back({"Restore " + caption + ", " + answerName(a),
                           {a},
                           [=](LogoStore& s) { s.onRestore(slot); },
                           true});
            ops.push_back({"Swap " + caption + ", " + answerName(a), {a}, [=](LogoStore& s) {
                               s.onSwap(slot);
                           }});
        }
    }
    ops.push_back({"Backup All", {}, [](LogoStore& s) { s.backUpAll(); }});
    for (Answer a : yesNoCancel)
        ops.push_back({std::string("Restore All, ") + answerName(a) + " for each",
                       {a, a, a},
                       [](LogoStore& s) { s.restoreAll(); },
                       true});
    for (std::vector<Answer> pair : {std::vector<Answer>{Answer::No},
                                     {Answer::Yes, Answer::Yes},
                                     {Answer::Yes, Answer::No},
                                     {Answer::Yes, Answer::Cancel}}) {
        std::string name = "Restore Originals";
        for (Answer a : pair)
            name += std::string(", ") + answerName(a);
        ops.push_back({name, pair, [](LogoStore& s) { s.restoreOriginals(); }});
    }
    return ops;
}

struct Fault {
    int call;
    FaultKind kind;
};

struct Outcome {
    DriveFiles files;
    std::vector<testing::ScriptedUser::Message> messages;
    std::vector<std::string> statuses;  // those written by the operation
    std::size_t dialogs = 0;
    std::vector<FileCall> calls;
    int retryPrompts = 0;  // after the injected fault
    bool faultMissed = false;
};

// The drive before an operation. The first run finds the Start Up and Wait
// logos and nothing else. A running program has every file: logos, backups,
// first-run copies (Shut Down had no logo at first run: a marker), settings.
// Leftovers: as running, but the Wait logo and the Start Up backup are gone
// and earlier restores left their temporary files beside two logos.
enum class State { FirstRun, Running, Leftovers };

const char* stateName(State state) {
    return state == State::FirstRun  ? "first run"
           : state == State::Running ? "running"
                                     : "leftovers";
}

void prepare(StoreBench& bench, State state) {
    for (const auto& info : kSlots) {
        const Slot slot = info.slot;
        const std::string caption(info.caption);
        if (slot == Slot::StartUp || (state == State::FirstRun) == (slot == Slot::Wait))
            TempDrive::put(bench.installed(slot), logoBytes("installed " + caption));
        if (state == State::FirstRun)
            continue;
        if (state == State::Running || slot != Slot::StartUp)
            TempDrive::put(bench.backup(slot), logoBytes("backup " + caption));
        if (state == State::Leftovers && slot != Slot::Wait)
            TempDrive::put(bench.temporary(slot), logoBytes("left over " + caption));
        if (slot == Slot::ShutDown)
            TempDrive::put(bench.marker(slot), "");
        else
            TempDrive::put(bench.original(slot), logoBytes("original " + caption));
    }
    if (state != State::FirstRun)
        TempDrive::put(bench.settings(), "LastUsedDir=C:\\TOOLS\r\n");
    TempDrive::put(bench.pictures() / "new.bmp", logoBytes("new"));
}

Outcome run(const Operation& op, State state, std::optional<Fault> fault, RetryAnswer retry) {
    StoreBench bench;
    prepare(bench, state);
    if (op.startUp)
        bench.store = std::make_unique<LogoStore>(bench.files, bench.windows, bench.user, "");
    else
        bench.start();
    bench.files.resetCalls();
    bench.user.messages.clear();
    bench.user.statuses.clear();
    bench.user.chosenFiles = {"C:\\PICS\\new.bmp"};
    if (fault)
        bench.files.failCall(fault->call, fault->kind, retry == RetryAnswer::RetryThenCancel);

    Outcome out;
    std::size_t nextAnswer = 0;
    bench.user.answerer = [&](const std::string&, MessageStyle style) {
        if (style != MessageStyle::RetryCancel) {
            if (nextAnswer < op.answers.size())
                return op.answers[nextAnswer++];
            ADD_FAILURE() << op.name << ": unexpected question";
            return Answer::Cancel;
        }
        // A logo that is missing fails as in the run without a fault.
        if (!bench.files.lastCallFaulted())
            return Answer::Cancel;
        ++out.retryPrompts;
        if (retry == RetryAnswer::RetryThenSucceed && out.retryPrompts > 3) {
            ADD_FAILURE() << op.name << ": the retry after a passing fault failed again";
            return Answer::Cancel;
        }
        const bool again = retry == RetryAnswer::RetryThenSucceed ||
                           (retry == RetryAnswer::RetryThenCancel && out.retryPrompts == 1);
        return again ? Answer::Retry : Answer::Cancel;
    };
    op.click(*bench.store);

    out.files = bench.snapshot();
    out.messages = bench.user.messages;
    out.statuses = bench.user.statuses;
    out.dialogs = bench.user.dialogs.size();
    out.calls = bench.files.calls();
    out.faultMissed = bench.files.missedFaults() > 0;
    return out;
}

// Where a slot's files lie below the drive root.
struct SlotKeys {
    std::string installed, backup, original, temporary, pending;
    std::string installedPath, backupPath;  // as the store names them
};
const std::array<SlotKeys, 3>& slotKeys() {
    static const std::array<SlotKeys, 3> keys = [] {
        StoreBench bench;
        const StorePaths paths = formStorePaths("C:\\WINDOWS", "C:\\TOOLS");
        std::array<SlotKeys, 3> k;
        for (const auto& info : kSlots) {
            const Slot s = info.slot;
            k[static_cast<std::size_t>(s)] = {bench.key(bench.installed(s)),
                                              bench.key(bench.backup(s)),
                                              bench.key(bench.original(s)),
                                              bench.key(bench.temporary(s)),
                                              bench.key(bench.pending(s)),
                                              paths.installedOf(s),
                                              paths.backupOf(s)};
        }
        return k;
    }();
    return keys;
}

// Whether the user learnt that a slot's part of the operation failed: a box
// told of a failure, and the last status line about the slot (one naming it,
// or naming no slot at all) does not claim success.
bool toldOfFailure(const Outcome& out, const SlotKeys& slot) {
    auto names = [](const std::string& text, const SlotKeys& s) {
        return text.find(s.installedPath) != std::string::npos ||
               text.find(s.backupPath) != std::string::npos;
    };
    for (auto it = out.statuses.rbegin(); it != out.statuses.rend(); ++it) {
        bool namesAny = false;
        for (const auto& other : slotKeys())
            namesAny |= names(*it, other);
        if (names(*it, slot) || !namesAny) {
            if (it->find("successfully") != std::string::npos)
                return false;
            break;
        }
    }
    for (const auto& m : out.messages) {
        if (m.style == MessageStyle::RetryCancel || m.style == MessageStyle::OkCritical ||
            m.style == MessageStyle::OkExclamation)
            return true;
    }
    return !out.statuses.empty() && out.statuses.back().find("successfully") == std::string::npos;
}

// What is wrong with `after`, given the drive `before` and the `intended`
// outcome of the same operation without a fault.
std::vector<std::string> violations(const Operation& op, const DriveFiles& before,
                                    const Outcome& intended, const Outcome& after,
                                    RetryAnswer retry) {
    std::vector<std::string> found;
    std::set<std::string> keys;
    for (const DriveFiles* files : {&before, &intended.files, &after.files})
        for (const auto& [key, content] : *files)
            keys.insert(key);

    for (const auto& key : keys) {
        const std::string* a = find(after.files, key);
        const std::string* b = find(before, key);
        const std::string* e = find(intended.files, key);
        if (fs::path(key).filename().string().rfind(".quenlark-", 0) == 0 && a) {
            found.push_back("temporary file left: " + key);
            continue;
        }
        if (same(a, b) || same(a, e))
            continue;
        // A restore may keep the former logo beside it, and any operation
        // beside the backup that it was to become.
        bool keptFormerLogo = false;
        for (const auto& slot : slotKeys())
            keptFormerLogo |= ((op.restores && key == slot.temporary) || key == slot.pending) &&
                              same(a, find(before, slot.installed));
        if (!keptFormerLogo)
            found.push_back(key + " holds " + summary(a) + "; before " + summary(b) +
                            ", intended " + summary(e));
    }

    // Each picture that was to survive survives somewhere, if only in a
    // temporary file kept for it.
    auto holds = [](const DriveFiles& files, const std::string& content) {
        for (const auto& [key, c] : files)
            if (c == content)
                return true;
        return false;
    };
    for (const auto& [key, content] : before) {
        if (content.rfind("BM", 0) == 0 && holds(intended.files, content) &&
            !holds(after.files, content))
            found.push_back("lost: " + summary(&content) + ", before in " + key);
    }

    // The start-up warns about nothing but unreadable logos; a swap whose
    // dialog never opened did visibly nothing.
    const bool silent = op.startUp || after.dialogs < intended.dialogs;
    for (const auto& slot : slotKeys()) {
        bool effectMissing = false;
        if (!op.startUp && !same(find(after.files, slot.original), find(before, slot.original)))
            found.push_back("the first-run copy " + slot.original + " changed");
        for (const auto& key : {slot.installed, slot.backup, slot.original}) {
            const std::string* a = find(after.files, key);
            const std::string* e = find(intended.files, key);
            // The former logo waits beside the installed one for the next
            // restore to move it into the backup, or beside the backup after
            // a move the user gave up (its box said so).
            const bool deferred = key == slot.backup && same(a, find(before, key)) &&
                                  (same(find(after.files, slot.temporary), e) ||
                                   same(find(after.files, slot.pending), e));
            effectMissing |= !same(a, e) && !deferred;
        }
        if (effectMissing && !silent && !toldOfFailure(after, slot))
            found.push_back("the operation did not do to " + slot.installedPath +
                            " what it meant to and did not say so");
    }

    if (retry == RetryAnswer::RetryThenSucceed && after.retryPrompts > 0) {
        if (after.files != intended.files)
            found.push_back("a successful retry did not end like a first-time success");
        if (after.statuses.empty() || intended.statuses.empty() ||
            after.statuses.back() != intended.statuses.back())
            found.push_back("a successful retry ends with another status text");
    }
    return found;
}

struct Totals {
    int operations = 0, points = 0, cases = 0, missed = 0, failures = 0;
};

// One operation on one prepared drive, failed at each of its calls in turn.
void failEachCall(const Operation& op, State state, Totals& totals) {
    ++totals.operations;
    StoreBench initial;
    prepare(initial, state);
    const DriveFiles before = initial.snapshot();
    const Outcome intended = run(op, state, std::nullopt, RetryAnswer::Cancel);
    ASSERT_TRUE(violations(op, before, intended, intended, RetryAnswer::Cancel).empty());

    for (std::size_t k = 1; k <= intended.calls.size(); ++k) {
        const FileCall& call = intended.calls[k - 1];
        for (FaultKind kind : testing::faultKindsFor(call)) {
            ++totals.points;
            for (RetryAnswer retry : {RetryAnswer::Cancel, RetryAnswer::RetryThenSucceed,
                                      RetryAnswer::RetryThenCancel}) {
                const Outcome after = run(op, state, Fault{static_cast<int>(k), kind}, retry);
                ++totals.cases;
                totals.missed += after.faultMissed;
                if (after.faultMissed)
                    ADD_FAILURE() << op.name << ": the fault at call " << k << " (" << call.text()
                                  << ", " << testing::faultKindName(kind) << ") did not bite";
                for (const auto& v : violations(op, before, intended, after, retry)) {
                    if (++totals.failures <= 30)
                        ADD_FAILURE()
                            << op.name << " (" << stateName(state) << "); call " << k << " ("
                            << call.text() << ") fails: " << testing::faultKindName(kind)
                            << "; at Retry prompts: " << retryName(retry) << "\n  " << v;
                }
                // Without a prompt the answer to it cannot matter.
                if (after.retryPrompts == 0)
                    break;
            }
        }
    }
}

TEST(FaultMatrix, NothingIsLostWhateverCallFailsAndWhateverTheAnswer) {
    Totals totals;
    for (const auto& op : operations()) {
        if (op.startUp) {
            failEachCall(op, State::FirstRun, totals);
            continue;
        }
        for (State state : {State::Running, State::Leftovers})
            failEachCall(op, state, totals);
    }
    std::cout << "fault matrix: " << totals.operations << " operations on prepared drives, "
              << totals.points << " fault points, " << totals.cases
              << " cases (operation, fault point, answer) run, " << totals.missed
              << " faults that did not bite\n";
    EXPECT_EQ(totals.missed, 0);
}

}  // namespace
}  // namespace quenlark
