#include "end_of_game/end_of_game_state_machine.h"

#include <cstdint>
#include <string>
#include <vector>

#include "end_of_game/end_of_game_plugin.h"
#include "logging/logger.h"

namespace Zarn::Client::EndOfGame {
namespace {

using Machine = EndOfGameStateMachine;
using Transition = Hsm::Transition<EndOfGamePlugin, std::string>;

void EntryTrace(const Machine& machine) { machine.Owner()->TraceEntering(); }
void ExitTrace(const Machine& machine) { machine.Owner()->TraceExiting(); }
void ExitAfterEndOfGame(const Machine& machine) {
    machine.Owner()->TraceExiting();
    machine.Owner()->ResetEndOfGame();
}
void StatsReadyAction(const Machine& machine) { machine.Owner()->ShowStatistics(); }
void DismissAction(const Machine& machine) { machine.Owner()->AnnounceDismissal(); }

// One row per transition, in the order each state lists them.
constexpr Transition kEoGFlowTransitions[] = {
    {.event = kEventNewGameFlow, .target = &kBeforeEndOfGame},
    {.event = kEventLogout, .target = &kBeforeEndOfGame},
    {.event = kEventDismissStats, .target = &kBeforeEndOfGame, .action = &DismissAction},
};
constexpr Transition kBeforeEndOfGameTransitions[] = {
    {.event = kEventGameTerminated, .target = &kAfterEndOfGame},
};
constexpr Transition kWaitingForStatsTransitions[] = {
    {.event = kEventStatsReady, .target = &kStatsReady, .action = &StatsReadyAction},
};

}  // namespace

// clang-format off
constexpr EndOfGameState kEoGFlow{
    .name = "EoG_Flow", .entry = &EntryTrace, .exit = &ExitTrace,
    .initial = {.target = &kBeforeEndOfGame}, .transitions = kEoGFlowTransitions};
constexpr EndOfGameState kBeforeEndOfGame{
    .name = "BeforeEndOfGame", .parent = &kEoGFlow, .entry = &EntryTrace, .exit = &ExitTrace,
    .transitions = kBeforeEndOfGameTransitions};
constexpr EndOfGameState kAfterEndOfGame{
    .name = "AfterEndOfGame", .parent = &kEoGFlow, .entry = &EntryTrace, .exit = &ExitAfterEndOfGame,
    .initial = {.target = &kWaitingForStats}};
constexpr EndOfGameState kWaitingForStats{
    .name = "WaitingForStats", .parent = &kAfterEndOfGame, .entry = &EntryTrace, .exit = &ExitTrace,
    .transitions = kWaitingForStatsTransitions};
constexpr EndOfGameState kStatsReady{
    .name = "StatsReady", .parent = &kAfterEndOfGame, .entry = &EntryTrace, .exit = &ExitTrace};
// clang-format on

}  // namespace Zarn::Client::EndOfGame

// The actions, as the plugin carries them out.
namespace Zarn::Client::EndOfGame {
namespace {

constexpr std::string_view kGameflowEventAddress = "/mox-gameflow/v1/session/event";
constexpr std::string_view kVictoriousComradeAddress = "/mox-suggested-players/v1/victorious-comrade";

}  // namespace

void EndOfGamePlugin::TraceEntering() const {
    Logging::Log(3, Logging::kGroupDbg, "Entering state '%s'", std::string(CurrentStateName()).c_str());
}

void EndOfGamePlugin::TraceExiting() const {
    Logging::Log(3, Logging::kGroupDbg, "Exiting state '%s'", std::string(CurrentStateName()).c_str());
}

void EndOfGamePlugin::ShowStatistics() {
    if (!statistics_) return;
    statistics_->previousLevel = previousLevel_;
    statistics_->previousXpTotal = previousExperienceTotal_;
    statistics_->nextLevelXp = previousNextLevelExperience_;

    // Taken before the first wait: while it yields, another intake may replace the statistics.
    std::vector<Api::EndOfGameVictoriousComrade> comrades;
    if (!statistics_->teams.empty() && statistics_->teams.front().isWinningTeam) {
        for (const Api::EndOfGamePlayer& player : statistics_->teams.front().players)
            comrades.push_back({player.userId, player.summonerName});
    }
    for (const Api::EndOfGameVictoriousComrade& comrade : comrades) {
        Request(kApiMethodPost, kVictoriousComradeAddress,
                Framework::RequestParameters(Registry()).SetBody(comrade));
    }
    if (statistics_) PublishResource(PluginResourceEventType::Create, kStatsBlockAddress, *statistics_);
    Request(kApiMethodPost, kGameflowEventAddress,
            Framework::RequestParameters(Registry()).SetBody(std::string("GAMEFLOW_EVENT.STATS_RECEIVED")));
}

void EndOfGamePlugin::AnnounceDismissal() {
    TraceExiting();
    Request(kApiMethodPost, kGameflowEventAddress,
            Framework::RequestParameters(Registry()).SetBody(std::string("GAMEFLOW_EVENT.STATS_DISMISSED")));
}

void EndOfGamePlugin::ResetEndOfGame() {
    Logging::Log(3, Logging::kGroupDbg, "Resetting end of game.");
    if (statistics_) {
        if (!statistics_->teams.empty()) {
            for (const Api::EndOfGamePlayer& player : statistics_->teams.front().players) {
                if (player.summonerId == summonerId_) {
                    previousLevel_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(player.level));
                    break;
                }
            }
        }
        previousExperienceTotal_ =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(statistics_->experienceTotal));
        previousNextLevelExperience_ = statistics_->nextLevelXp;
        statistics_.reset();
        PublishResourceDeleted(kStatsBlockAddress);
    }
    experienceProgress_.reset();
    if (!reportedPlayers_.empty()) {
        // Swapped out rather than cleared, so that nothing of this game stays allocated.
        std::vector<std::uint64_t>().swap(reportedPlayers_);
        PublishResource(PluginResourceEventType::Update, kReportedPlayersAddress, reportedPlayers_);
    }
    if (championMastery_) {
        championMastery_.reset();
        PublishResourceDeleted(kChampionMasteryAddress);
    }
    std::string().swap(observerServerAddress_);
    observerServerPort_ = 0;
    gameClientRunning_ = false;
    gameId_ = 0;
    inGame_ = false;
    spectating_ = false;
    teamBoost_.reset();
}

}  // namespace Zarn::Client::EndOfGame
