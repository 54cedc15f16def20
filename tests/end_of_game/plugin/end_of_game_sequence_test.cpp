// The event sequences of the fuzz target, played from fixed seeds without libFuzzer: a few
// thousand steps of random choices, each sequence checked after every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "fuzz/end_of_game_sequence.h"

namespace Zarn::Client::EndOfGame::Fuzzing {
namespace {

TEST(EndOfGameSequenceTest, RandomSequencesKeepTheInvariants) {
    std::size_t steps = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> bytes(400);
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
        const SequenceOutcome outcome = PlayEventSequence(MOX_END_OF_GAME_PLUGIN, bytes.data(), bytes.size());
        EXPECT_EQ(outcome.violation, "") << "seed " << seed;
        steps += outcome.steps;
    }
    RecordProperty("steps", static_cast<int>(steps));
    std::printf("%zu steps played\n", steps);
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame::Fuzzing
