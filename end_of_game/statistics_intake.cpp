// Statistics intake and game termination: the server's statistics become the plugin's
// EndOfGameStats, completed with what the plugin knows locally; a terminated game moves the machine
// on and, for a spectated game, fetches the statistics from the spectator service.
#include <algorithm>
#include <cstdint>
#include <string>

#include "binding/native_conversion.h"
#include "encodings/json_reader.h"
#include "end_of_game/ascii_lower_case.h"
#include "end_of_game/end_of_game_plugin.h"
#include "end_of_game/experience_merge.h"
#include "end_of_game/lcds/lcds_stats_conversion.h"
#include "end_of_game/observer_stats_address.h"
#include "logging/logger.h"

namespace Zarn::Client::EndOfGame {
namespace {

constexpr std::string_view kTutorialMutator = "BasicTutorial";

}  // namespace

void EndOfGamePlugin::ReceiveStatistics(const Lcds::EndOfGameStats& lcdsStats) {
    Logging::Log(3, Logging::kGroupDbg, "Received end-of-game stats.");
    const auto& mutators = lcdsStats.gameMutators;
    if (std::find(mutators.begin(), mutators.end(), kTutorialMutator) != mutators.end()) {
        Logging::Log(3, Logging::kGroupDbg, "Skip end-of-game stats for tutorial game.");
        return;
    }

    statistics_ = std::make_unique<Api::EndOfGameStats>();
    Api::EndOfGameStats& stats = *statistics_;
    ConvertLcdsEndOfGameStats(stats, lcdsStats);
    stats.summonerId = summonerId_;
    stats.rerollData = rerollPoints_;
    if (experienceProgress_) {
        MergeExperience(*experienceProgress_, stats);
    } else {
        stats.experienceTotal =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(previousExperienceTotal_));
        stats.nextLevelXp = static_cast<std::uint64_t>(static_cast<std::int64_t>(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(previousNextLevelExperience_))));
        stats.currentLevel = previousLevel_;
    }
    if (teamBoost_ && !spectating_) stats.teamBoost = teamBoost_;
    for (Api::EndOfGameTeam& team : stats.teams) FixUpChampions(team);

    if (!gameClientRunning_ && statistics_) RaiseEvent(kEventStatsReady);
}

void EndOfGamePlugin::FixUpChampions(Api::EndOfGameTeam& team) {
    Api::EndOfGameStats& stats = *statistics_;
    for (Api::EndOfGamePlayer& player : team.players) {
        const auto found = championIdsByAlias_.find(AsciiLowerCase(player.skinName));
        if (found == championIdsByAlias_.end()) {
            Logging::Log(2, Logging::kGroupDbg, "No champion found with skin name: %s",
                         player.skinName.c_str());
            continue;
        }
        player.championId = found->second;
        if (player.userId == summonerId_) {
            stats.championId = found->second;
            stats.skinId = static_cast<std::int32_t>(static_cast<std::uint32_t>(found->second) * 1000u +
                                                     static_cast<std::uint32_t>(stats.skinIndex));
            stats.summonerName = player.summonerName;
        }
    }
    const auto bans = bannedChampions_.find(team.teamId);
    if (bans != bannedChampions_.end()) team.championBans = bans->second;
}

void EndOfGamePlugin::ReceiveGameState(const Lcds::GameDTO& game) {
    if (!inGame_) return;
    if (game.gameState != "TERMINATED" && game.gameState != "TERMINATED_IN_ERROR") return;
    RaiseEvent(kEventGameTerminated);
    inGame_ = false;

    bannedChampions_.clear();
    bannedChampions_.rehash(8);
    for (const Lcds::BannedChampion& ban : game.bannedChampions)
        bannedChampions_[ban.teamId].push_back(ban.championId);

    if (!spectating_) return;
    FetchSpectatorStatistics(game.id);
}

void EndOfGamePlugin::FetchSpectatorStatistics(std::uint64_t gameId) {
    const ObserverStatsAddress address =
        BuildObserverStatsAddress(observerServerAddress_, observerServerPort_, platformId_, gameId);
    bool fetched = false;
    if (address.valid) {
        Framework::HttpRequest request;
        request.url = address.url;
        request.headers.emplace_back("Accept", "application/json");
        const auto response = ExternalRequest(request);
        if (response.Succeeded() && response.Value().status >= 200 && response.Value().status <= 299) {
            Lcds::EndOfGameStats lcdsStats;
            Binding::BindingResult read = Encodings::ReadJson(response.Value().body);
            if (read.Succeeded()) {
                Binding::BindingResult converted;
                Binding::Assign(Registry(), read.Value(), lcdsStats, "<value>", converted);
                read = std::move(converted);
            }
            if (read.Succeeded()) {
                ReceiveStatistics(lcdsStats);
                return;
            }
            Logging::Log(3, Logging::kGroupDbg, "Couldn't convert eog spectator stats: %s",
                         response.Value().body.c_str());
            fetched = true;
        }
    }
    if (!fetched) Logging::Log(0, Logging::kGroupGen, "No stats available at url %s", address.url.c_str());
    DismissStatistics();
}

}  // namespace Zarn::Client::EndOfGame
