// EndOfGamePlugin: the one module object of the end-of-game plugin. It follows the game flow and the
// login through other plugins' resources, takes the end-of-game statistics from the server's LCDS
// messages (or from the spectator service), publishes them at "/mox-end-of-game/v1/eog-stats-block"
// and serves the end-of-game screen's endpoints: the statistics, dismissing them, reporting a
// player, the reported players and the champion-mastery update.
//
// Everything runs on the host's thread: the handlers of host events and endpoint invocations,
// Initialize and Finalize; no member is locked. Handlers that wait for the host (requests, the
// service proxy, LCDS calls) yield to it, so other handlers of this plugin may run meanwhile. The
// machine is not re-entrant: events raised while one of its transitions runs are queued and
// processed in order once it has finished (RaiseEvent).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "end_of_game/api/consumed_records.h"
#include "end_of_game/api/end_of_game_records.h"
#include "end_of_game/api/experience_progress.h"
#include "end_of_game/end_of_game_state_machine.h"
#include "end_of_game/lcds/lcds_records.h"
#include "framework/app_module.h"
#include "framework/text_hash_map.h"

namespace Zarn::Client::EndOfGame {

using Framework::PluginResourceEventType;
using Framework::PluginServiceProxyResponse;

inline constexpr const char* kPluginShortName = "mox-end-of-game";

// Addresses the plugin publishes and serves.
inline constexpr std::string_view kStatsBlockAddress = "/mox-end-of-game/v1/eog-stats-block";
inline constexpr std::string_view kReportedPlayersAddress = "/mox-end-of-game/v1/reported-players";
inline constexpr std::string_view kChampionMasteryAddress = "/mox-end-of-game/v1/champion-mastery-updates";

class EndOfGamePlugin final : public Framework::AppModule {
public:
    EndOfGamePlugin();
    ~EndOfGamePlugin() override;

    // Stops the machine (its exits reset the end-of-game data and announce the removals), then
    // finalizes the module.
    void Finalize() override;
    // The plugin's records, their LCDS class names and the five endpoints.
    void RegisterApi() override;
    // Starts the machine, subscribes to the game flow, login, champion select, messaging and the
    // server's messages, and loads the champion summary.
    bool Initialize() override;

    // Raises an event on the machine. While a transition is running the event is queued and
    // processed after it; the answer is then whether the states active now handle it.
    bool RaiseEvent(std::string_view event);
    // The innermost active state's name; "None" before the machine starts and after it stops.
    std::string_view CurrentStateName() const;

    // The machine's actions (end_of_game_state_machine.cpp).
    void TraceEntering() const;
    void TraceExiting() const;
    void ShowStatistics();
    void AnnounceDismissal();
    void ResetEndOfGame();

    // Statistics intake and game termination (statistics_intake.cpp).
    void ReceiveStatistics(const Lcds::EndOfGameStats& lcdsStats);
    void ReceiveGameState(const Lcds::GameDTO& game);

    // Champion mastery (champion_mastery.cpp).
    void ReceiveMasteryNotification(const Lcds::SimpleDialogMessage& message);

    // What the plugin holds, for the endpoints and for tests of the plugin object.
    const Api::EndOfGameStats* Statistics() const { return statistics_.get(); }
    const std::vector<std::uint64_t>& ReportedPlayers() const { return reportedPlayers_; }

private:
    // Endpoints (endpoints.cpp, player_reporting.cpp).
    void RegisterEndpoints();
    Framework::RouteResult<Api::EndOfGamePlayerComplaintV2> ReportPlayer(
        const Api::EndOfGamePlayerComplaintV2& complaint);
    Framework::RouteResult<> DismissStatistics();

    // Reactions (game_flow_reactions.cpp).
    void Subscribe();
    void LoadChampionSummary();
    void ReceiveLoginSession(const Framework::TypedResourceEvent<Api::LoginSession>& event);
    void ReceiveLoginData(const Framework::TypedResourceEvent<Api::LoginDataPacket>& event);
    void ReceiveAvailability(const Framework::TypedResourceEvent<Api::GameflowAvailability>& event);
    void ReceiveGameflowSession(const Framework::TypedResourceEvent<Api::GameflowSession>& event);
    void ReceiveSpectate(const Framework::TypedResourceEvent<bool>& event);
    void ReceiveTeamBoost(const Framework::TypedResourceEvent<Api::TeamBoost>& event);
    void ReceiveRerollPoints(const PluginServiceProxyResponse& message);
    void ReceiveExperience(const Framework::TypedResourceEvent<Api::ZMSMessage>& event);

    // Statistics intake helpers (statistics_intake.cpp).
    void FixUpChampions(Api::EndOfGameTeam& team);
    void FetchSpectatorStatistics(std::uint64_t gameId);
    void PublishStatistics(PluginResourceEventType type);

    EndOfGameStateMachine machine_;
    // Events raised while a transition runs, processed when it has finished.
    std::deque<std::string> pendingEvents_;
    bool inTransition_ = false;

    std::unique_ptr<Api::EndOfGameStats> statistics_;
    std::unique_ptr<Api::ExperienceProgress> experienceProgress_;
    std::unique_ptr<Api::ChampionMasteryUpdate> championMastery_;
    // Ascending, without duplicates.
    std::vector<std::uint64_t> reportedPlayers_;
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> bannedChampions_;

    std::uint64_t previousExperienceTotal_ = 0;
    std::uint64_t previousLevel_ = 0;
    std::uint64_t previousNextLevelExperience_ = 0;
    std::uint64_t summonerId_ = 0;
    Framework::TextHashMap<std::int32_t> championIdsByAlias_;

    std::string observerServerAddress_;
    std::uint16_t observerServerPort_ = 0;
    bool gameClientRunning_ = false;
    std::string platformId_;
    std::uint64_t gameId_ = 0;
    bool loggedIn_ = false;
    bool inGame_ = false;
    bool spectating_ = false;
    std::optional<Api::TeamBoost> teamBoost_;
    Api::EndOfGamePoints rerollPoints_;
};

}  // namespace Zarn::Client::EndOfGame
