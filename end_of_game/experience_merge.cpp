#include "end_of_game/experience_merge.h"

#include <algorithm>
#include <cstdint>

namespace Zarn::Client::EndOfGame {
namespace {

std::int32_t LowBits(std::uint64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

void AccumulateExperience(Api::ExperienceProgress& stored, const Api::ExperienceProgress& next) {
    stored.base += next.base;
    stored.boost += next.boost;
    stored.globalBoost += next.globalBoost;
    stored.loyalty += next.loyalty;
    stored.missions += next.missions;
    stored.leveledUp = stored.leveledUp || next.leveledUp;
    if (next.finalLevel > stored.finalLevel) {
        stored.initialExperience = stored.finalExperience;
        stored.initialLevelBoundary = stored.finalLevelBoundary;
        stored.finalExperience = next.finalExperience;
    } else {
        stored.finalExperience = std::max(stored.finalExperience, next.finalExperience);
    }
    stored.finalLevel = std::max(stored.finalLevel, next.finalLevel);
    stored.finalLevelBoundary = std::max(stored.finalLevelBoundary, next.finalLevelBoundary);
}

void MergeExperience(const Api::ExperienceProgress& progress, Api::EndOfGameStats& stats) {
    stats.experienceEarned =
        LowBits(progress.base + progress.boost + progress.missions + progress.loyalty + progress.globalBoost);
    stats.experienceTotal = LowBits(progress.finalExperience);
    stats.nextLevelXp = progress.finalLevelBoundary;
    stats.boostXpEarned = LowBits(progress.boost);
    stats.missionsXpEarned = LowBits(progress.missions);
    stats.loyaltyBoostXpEarned = LowBits(progress.loyalty);
    stats.globalBoostXpEarned = LowBits(progress.globalBoost);
    stats.leveledUp = progress.leveledUp;
    stats.currentLevel = progress.finalLevel;
    stats.preLevelUpExperienceTotal = progress.initialExperience;
    stats.preLevelUpNextLevelXp = progress.initialLevelBoundary;
}

}  // namespace Zarn::Client::EndOfGame
