// The five local endpoints: reads of what the plugin holds, the dismiss command and the player
// complaint (whose work is in player_reporting.cpp).
#include <cstdint>
#include <vector>

#include "end_of_game/end_of_game_plugin.h"
#include "logging/message_format.h"

namespace Zarn::Client::EndOfGame {

using Framework::RouteArgument;
using Framework::RouteMethod;
using Framework::RouteResult;

void EndOfGamePlugin::RegisterEndpoints() {
    RegisterRoute(RouteMethod::Get, kReportedPlayersAddress,
                  [this]() -> RouteResult<std::vector<std::uint64_t>> { return reportedPlayers_; });
    RegisterRoute(
        RouteMethod::Post, "/mox-end-of-game/v2/player-complaints",
        [this](const Api::EndOfGamePlayerComplaintV2& complaint) { return ReportPlayer(complaint); },
        RouteArgument("complaint").InBody());
    RegisterRoute(RouteMethod::Get, kStatsBlockAddress, [this]() -> RouteResult<Api::EndOfGameStats> {
        if (!statistics_) return Framework::NotFound("No end of game stats available.");
        return *statistics_;
    });
    RegisterRoute(RouteMethod::Post, "/mox-end-of-game/v1/state/dismiss-stats",
                  [this]() { return DismissStatistics(); });
    RegisterRoute(RouteMethod::Get, kChampionMasteryAddress,
                  [this]() -> RouteResult<Api::ChampionMasteryUpdate> {
                      if (!championMastery_)
                          return Framework::NotFound("Champion mastery data is not currently available.");
                      return *championMastery_;
                  });
}

RouteResult<> EndOfGamePlugin::DismissStatistics() {
    if (RaiseEvent(kEventDismissStats)) return {};
    return Framework::RouteFailure{
        403, Logging::FormatMessage("Unable to dismiss end-of-game stats from the current state (%1)",
                                    CurrentStateName())};
}

}  // namespace Zarn::Client::EndOfGame
