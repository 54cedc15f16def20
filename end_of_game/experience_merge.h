// How experience messages add up over one game, and how what they say enters the statistics block.
// Both run on the host's thread, from the experience-message handler and the statistics intake.
#pragma once

#include "end_of_game/api/end_of_game_records.h"
#include "end_of_game/api/experience_progress.h"

namespace Zarn::Client::EndOfGame {

// Adds `next` into `stored`: the amounts are summed, a higher final level moves the stored final
// experience and boundary into the initial ones, and the level figures keep the larger value.
void AccumulateExperience(Api::ExperienceProgress& stored, const Api::ExperienceProgress& next);

// Writes the progress into the statistics' experience fields (narrower fields take the low bits).
void MergeExperience(const Api::ExperienceProgress& progress, Api::EndOfGameStats& stats);

}  // namespace Zarn::Client::EndOfGame
