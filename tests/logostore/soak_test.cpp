// Long random sequences of operations, answers, chosen files and faults on a
// real drive, checked after every step against a model of what the nine logo
// files (and the temporary ones) must hold. SOAK_OPS and SOAK_SEED set the
// length and the seed (`make soak`); an empty SOAK_SEED draws a fresh one.
#include "soak.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::generateSoak;
using testing::runSoak;
using testing::shrinkSoak;
using testing::SoakStep;

std::string listing(const std::vector<SoakStep>& steps) {
    std::string out;
    for (std::size_t i = 0; i < steps.size(); ++i)
        out += "  " + std::to_string(i + 1) + ". " + steps[i].text() + "\n";
    return out;
}

TEST(Soak, RandomOperationsKeepEveryFileAsTheModelSays) {
    const char* opsText = std::getenv("SOAK_OPS");
    const char* seedText = std::getenv("SOAK_SEED");
    const std::size_t ops = opsText && *opsText ? std::stoull(opsText) : 10000;
    const std::uint64_t seed = !seedText   ? 20240611
                               : *seedText ? std::stoull(seedText)
                                           : std::random_device{}();
    std::cout << "soak: " << ops << " operations, seed " << seed << std::endl;

    const auto steps = generateSoak(seed, ops);
    const auto start = std::chrono::steady_clock::now();
    const auto failure = runSoak(steps);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "soak: " << (failure ? failure->step + 1 : ops) << " operations in "
              << took.count() << " s" << std::endl;
    if (failure) {
        const auto shortest = shrinkSoak(steps);
        FAIL() << "seed " << seed << ", step " << failure->step + 1 << " ("
               << steps[failure->step].text() << "): " << failure->what
               << "\nshortest sequence that fails (" << shortest.size() << " steps):\n"
               << listing(shortest);
    }
}

// A store that cut the Wait backup short after each restore of that slot
// answered Yes: the soak finds it and shrinks it to a backup and the restore.
TEST(Soak, APlantedFaultIsFoundAndShrunk) {
    const testing::Sabotage sabotage = [](const SoakStep& s, testing::StoreBench& bench) {
        if (s.kind == SoakStep::Restore && s.slot == Slot::Wait && s.answers[0] == Answer::Yes &&
            fs::exists(bench.backup(Slot::Wait)))
            fs::resize_file(bench.backup(Slot::Wait), 1000);
    };
    const auto steps = generateSoak(7, 400);
    const auto failure = runSoak(steps, sabotage);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->what.find("backup logow.sys holds #-1"), std::string::npos) << failure->what;

    const auto shortest = shrinkSoak(steps, sabotage);
    ASSERT_EQ(shortest.size(), 2u) << listing(shortest);
    EXPECT_EQ(shortest[1].kind, SoakStep::Restore) << listing(shortest);
    EXPECT_TRUE(runSoak(shortest, sabotage));
    EXPECT_FALSE(runSoak(shortest));
}

}  // namespace
}  // namespace quenlark
