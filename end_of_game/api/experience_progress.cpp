#include "end_of_game/api/experience_progress.h"

namespace Zarn::Client::EndOfGame::Api {

ExperienceProgress ReadExperienceProgress(const Binding::BindingProperty& message) {
    const Binding::BindingProperty& xp = message.Field("xp");
    const Binding::BindingProperty& level = message.Field("level");
    const Binding::BindingProperty& progress = level.Field("progress");

    ExperienceProgress result;
    result.base = xp.Field("BASE").AsUnsigned();
    result.loyalty = xp.Field("LOYALTY").AsUnsigned();
    const std::uint64_t timeBoost = xp.Field("TIME_BOOST").AsUnsigned();
    const std::uint64_t perWin = xp.Field("PER_WIN").AsUnsigned();
    result.boost = timeBoost + perWin;  // wraps at 64 bits, as unsigned sums do
    result.globalBoost = xp.Field("GLOBAL_BOOST").AsUnsigned();
    result.missions = xp.Field("MISSIONS").AsUnsigned();
    result.finalLevel = level.Field("finalLevel").AsUnsigned();
    const std::uint64_t initialLevel = level.Field("initialLevel").AsUnsigned();
    result.leveledUp = result.finalLevel > initialLevel;
    result.finalExperience = progress.Field("finalXp").AsUnsigned();
    result.finalLevelBoundary = progress.Field("finalLevelBoundary").AsUnsigned();
    result.initialExperience = progress.Field("initialXp").AsUnsigned();
    result.initialLevelBoundary = progress.Field("initialLevelBoundary").AsUnsigned();
    return result;
}

}  // namespace Zarn::Client::EndOfGame::Api
