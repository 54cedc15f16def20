#include "end_of_game/api/experience_progress.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "end_of_game_test_support.h"

namespace Zarn::Client::EndOfGame::Api {
namespace {

constexpr std::uint64_t kMax = 0xFFFFFFFFFFFFFFFF;

// base, boost, missions, loyalty, global boost, final level, final xp, final boundary, initial xp,
// initial boundary.
using Numbers = std::array<std::uint64_t, 10>;

struct ExperienceRow {
    std::string_view name;
    std::string_view message;
    Numbers numbers;
    bool leveledUp;
};

const std::vector<ExperienceRow> kRows = {
    {"every member",
     R"({"xp": {"BASE": 100, "TIME_BOOST": 20, "PER_WIN": 5, "MISSIONS": 30, "LOYALTY": 7, "GLOBAL_BOOST": 9},
         "level": {"initialLevel": 41, "finalLevel": 42,
                   "progress": {"initialXp": 1900, "initialLevelBoundary": 2000,
                                "finalXp": 60, "finalLevelBoundary": 2100}}})",
     {100, 25, 30, 7, 9, 42, 60, 2100, 1900, 2000},
     true},
    {"no PER_WIN: boost is the time boost alone",
     R"({"xp": {"TIME_BOOST": 20}})",
     {0, 20, 0, 0, 0, 0, 0, 0, 0, 0},
     false},
    {"same level: no level-up",
     R"({"level": {"initialLevel": 42, "finalLevel": 42}})",
     {0, 0, 0, 0, 0, 42, 0, 0, 0, 0},
     false},
    {"no level", R"({"xp": {"BASE": 3}})", {3, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
    {"lenient readings",
     R"({"xp": {"BASE": "0x10", "TIME_BOOST": " 017", "PER_WIN": true, "MISSIONS": 3.9, "LOYALTY": "99999999999999999999",
                "GLOBAL_BOOST": [1]},
         "level": {"initialLevel": 5, "finalLevel": "-1", "progress": {"finalXp": 1e19, "initialXp": "12abc",
                   "finalLevelBoundary": null, "initialLevelBoundary": {"x": 1}}}})",
     {16, 16, 3, kMax, 0, kMax, 10000000000000000000u, 0, 12, 0},
     true},  // "-1" wraps, so the comparison is unsigned
    {"sums wrap at 64 bits",
     R"({"xp": {"TIME_BOOST": 18446744073709551615, "PER_WIN": 2}})",
     {0, 1, 0, 0, 0, 0, 0, 0, 0, 0},
     false},
    {"not a structure", R"([1, 2])", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
};

TEST(ExperienceProgressTest, ReadsTheMessageLeniently) {
    for (const ExperienceRow& row : kRows) {
        SCOPED_TRACE(std::string(row.name));
        const ExperienceProgress progress = ReadExperienceProgress(Testing::ParseJson(row.message));
        const Numbers actual = {progress.base,
                                progress.boost,
                                progress.missions,
                                progress.loyalty,
                                progress.globalBoost,
                                progress.finalLevel,
                                progress.finalExperience,
                                progress.finalLevelBoundary,
                                progress.initialExperience,
                                progress.initialLevelBoundary};
        EXPECT_EQ(actual, row.numbers);
        EXPECT_EQ(progress.leveledUp, row.leveledUp);
    }
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame::Api
