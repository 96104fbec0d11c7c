#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store_bench.h"

namespace quenlark::testing {

// One step of a soak: a click of the user, with every answer it will get, the
// file the dialog will return, and the fault its file system will meet; or a
// restart of the program; or something done to the drive behind its back.
struct SoakStep {
    enum Kind {
        Backup,
        Restore,
        Swap,
        BackupAll,
        RestoreAll,
        RestoreOriginals,
        Restart,
        RemoveLogo,
        RemoveBackup,
        RemoveOriginal,
    };
    enum Chosen { Good, WrongSize, Missing, Cancelled };

    Kind kind = Backup;
    Slot slot = Slot::StartUp;
    std::array<Answer, 3> answers{};  // to the operation's questions, in order
    Chosen chosen = Good;
    int logo = 0;  // the content a good chosen file gets

    int faultCall = 0;  // 0: no fault
    FaultKind faultKind = FaultKind::SourceUnreadable;
    bool sticky = false;
    int retries = 0;  // answers Retry this many times at the Retry prompts, then Cancel

    std::string text() const;
};

// Something the soak found wrong: at which step, and what.
struct SoakFailure {
    std::size_t step;
    std::string what;
};

// Done to the drive after each step: lets a test plant a fault in the store
// and see that the soak finds it.
using Sabotage = std::function<void(const SoakStep&, StoreBench&)>;

// `count` steps from `seed`; the same seed gives the same steps.
std::vector<SoakStep> generateSoak(std::uint64_t seed, std::size_t count);

// Runs the steps on a fresh drive against the model; the first discrepancy.
std::optional<SoakFailure> runSoak(const std::vector<SoakStep>& steps,
                                   const Sabotage& sabotage = {});

// The shortest sequence, made of steps of `failing` in their order, that
// still fails (within a time budget).
std::vector<SoakStep> shrinkSoak(std::vector<SoakStep> failing, const Sabotage& sabotage = {});

// A logo whose every byte depends on `id`, so that a file mixed from two
// logos, or cut short, is told from both.
std::string soakLogo(int id);

}  // namespace quenlark::testing
