// Reshapes the server's end-of-game statistics (Lcds::EndOfGameStats: the local player's figures, two team
// infos and two lists of per-player summaries with flat name/value statistics) into the published block
// (Api::EndOfGameStats: two teams of players, per-player statistics as a structure, seven item slots,
// per-team sums, and which team is the player's, which won and which is shown at the bottom). Run by the
// statistics intake on the host's thread; it then completes the fields the server does not send. Cannot
// fail: the LCDS conversion already refused malformed records.
//
// Statistic values are "signed" values and points penalties "float" values. Statistics already in a team
// (when ConvertLcdsPlayer is given one) are read leniently with BindingProperty::AsSigned. Whatever order
// the server sends names in, structures are filled in key order, so the cost stays n log n.
#pragma once

#include <vector>

#include "end_of_game/api/end_of_game_records.h"
#include "end_of_game/lcds/lcds_records.h"

namespace Zarn::Client::EndOfGame {

// Fills a default `target` from `source`: the plain fields, both teams (the local player's first, exactly
// two), the missing second team id (1 and 2, 100 and 200 mirror each other), the bottom team, new spells
// and points penalties (a later penalty of a type replaces an earlier one; none leaves the empty value).
void ConvertLcdsEndOfGameStats(Api::EndOfGameStats& target, const Lcds::EndOfGameStats& source);

// A team from its info and its players in server order; the team takes the first player's team id and
// wins when some player has a statistic "WIN", whatever its value. No players give a default team with
// the info's texts.
Api::EndOfGameTeam ConvertLcdsTeam(const Lcds::TeamInfo& info,
                                   const std::vector<Lcds::PlayerParticipantStatsSummary>& players);

// A player from its summary, whose statistics (a repeated name keeps its last value, item slots
// "ITEM0".."ITEM6" moved into `items`) are added into `team.stats`, wrapping at 64 bits. The summary's
// champion id is not used: the intake resolves it from the skin name.
Api::EndOfGamePlayer ConvertLcdsPlayer(Api::EndOfGameTeam& team,
                                       const Lcds::PlayerParticipantStatsSummary& summary);

}  // namespace Zarn::Client::EndOfGame
