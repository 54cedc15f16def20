// What the plugin learns from the rest of the client: the login, the game flow, champion select, the
// messaging service and the reroll points, each kept current in the plugin's members; and the
// champion summary, loaded once at start.
#include <cstdint>
#include <string>
#include <vector>

#include "encodings/json_reader.h"
#include "end_of_game/ascii_lower_case.h"
#include "end_of_game/end_of_game_plugin.h"
#include "end_of_game/experience_merge.h"
#include "logging/logger.h"

namespace Zarn::Client::EndOfGame {
namespace {

constexpr std::string_view kEndOfGameStatsClass = "com.zarngames.platform.statistics.EndOfGameStats";
constexpr std::string_view kGameClass = "com.zarngames.platform.game.GameDTO";
constexpr std::string_view kDialogMessageClass =
    "com.zarngames.platform.messaging.persistence.SimpleDialogMessage";
constexpr std::string_view kChampionMasteryType = "championMastery";

bool IsCreateOrUpdate(PluginResourceEventType type) {
    return type == PluginResourceEventType::Create || type == PluginResourceEventType::Update;
}

}  // namespace

void EndOfGamePlugin::Subscribe() {
    SubscribeLcds<Lcds::EndOfGameStats>(
        kEndOfGameStatsClass, [this](const Lcds::EndOfGameStats& stats) { ReceiveStatistics(stats); });
    SubscribeLcds<Lcds::GameDTO>(kGameClass, [this](const Lcds::GameDTO& game) { ReceiveGameState(game); });
    SubscribeLcds<Lcds::SimpleDialogMessage>(
        kDialogMessageClass,
        [this](const Lcds::SimpleDialogMessage& message) { ReceiveMasteryNotification(message); });
    ObserveResource<Api::LoginSession>("/mox-login/v1/session",
                                       [this](const auto& event) { ReceiveLoginSession(event); });
    ObserveResource<Api::LoginDataPacket>("/mox-login/v1/login-data-packet",
                                          [this](const auto& event) { ReceiveLoginData(event); });
    ObserveResource<Api::GameflowAvailability>("/mox-gameflow/v1/availability",
                                               [this](const auto& event) { ReceiveAvailability(event); });
    ObserveResource<Api::GameflowSession>("/mox-gameflow/v1/session",
                                          [this](const auto& event) { ReceiveGameflowSession(event); });
    ObserveResource<bool>("/mox-gameflow/v1/spectate", [this](const auto& event) { ReceiveSpectate(event); });
    ObserveResource<Api::TeamBoost>("/mox-champ-select/v1/team-boost",
                                    [this](const auto& event) { ReceiveTeamBoost(event); });
    RegisterAsyncServiceProxyHandler(
        "teambuilder-draft", "gameloopPlayerInfoV1",
        [this](const PluginServiceProxyResponse& message) { ReceiveRerollPoints(message); });
    ObserveResource<Api::ZMSMessage>("/zarn-messaging-service/v1/message/summoner/v1/xp",
                                     [this](const auto& event) { ReceiveExperience(event); });
}

void EndOfGamePlugin::LoadChampionSummary() {
    const auto summary = RequestValue<std::vector<Api::GameDataChampionSummary>>(
        kApiMethodGet, "/mox-game-data/assets/v1/champion-summary.json");
    if (summary.Failed()) {
        Logging::Log(2, Logging::kGroupDbg, "Error requesting champion summary data: %s",
                     summary.Error().message.c_str());
        return;
    }
    for (const Api::GameDataChampionSummary& champion : summary.Value()) {
        if (!champion.alias.empty()) championIdsByAlias_[AsciiLowerCase(champion.alias)] = champion.id;
    }
}

void EndOfGamePlugin::ReceiveLoginSession(const Framework::TypedResourceEvent<Api::LoginSession>& event) {
    if (event.eventType == PluginResourceEventType::Delete) {
        loggedIn_ = false;
        summonerId_ = 0;
        RaiseEvent(kEventLogout);
        return;
    }
    if (!IsCreateOrUpdate(event.eventType)) return;
    const Api::LoginSession& session = event.data;
    const bool loggedIn = session.state == Api::LoginSessionStates::SUCCEEDED && session.summonerId != 0 &&
                          session.accountId != 0;
    if (loggedIn && !loggedIn_) summonerId_ = session.summonerId;
    loggedIn_ = loggedIn;
}

void EndOfGamePlugin::ReceiveLoginData(const Framework::TypedResourceEvent<Api::LoginDataPacket>& event) {
    if (!IsCreateOrUpdate(event.eventType)) return;
    const Api::LoginDataPacket& packet = event.data;
    const Api::LoginSummonerLevelAndPoints& level = packet.allSummonerData.summonerLevelAndPoints;
    previousLevel_ = level.summonerLevel;
    previousExperienceTotal_ = level.expPoints;
    previousNextLevelExperience_ = level.expToNextLevel;
    platformId_ = packet.platformId;
    for (const Api::SimpleMessage& message : packet.simpleMessages) {
        if (message.type != kChampionMasteryType) continue;
        ReceiveMasteryNotification(
            Lcds::SimpleDialogMessage{message.accountId, message.msgId, message.type, message.params});
    }
}

void EndOfGamePlugin::ReceiveAvailability(
    const Framework::TypedResourceEvent<Api::GameflowAvailability>& event) {
    if (event.eventType == PluginResourceEventType::Update && event.data.state == "InGameFlow")
        RaiseEvent(kEventNewGameFlow);
}

void EndOfGamePlugin::ReceiveGameflowSession(
    const Framework::TypedResourceEvent<Api::GameflowSession>& event) {
    if (event.eventType != PluginResourceEventType::Update) return;
    const bool wasRunning = gameClientRunning_;
    const Api::GameflowClient& client = event.data.gameClient;
    observerServerAddress_ = client.observerServerIp;
    observerServerPort_ = client.observerServerPort;
    gameClientRunning_ = client.running;
    gameId_ = event.data.gameData.gameId;
    if (wasRunning == client.running) return;

    Logging::Log(3, Logging::kGroupDbg, "Game client is now %s", client.running ? "running" : "not running");
    if (client.running) {
        inGame_ = true;
    } else if (spectating_ && inGame_) {
        Lcds::GameDTO game;
        game.id = gameId_;
        game.gameState = "TERMINATED";
        ReceiveGameState(game);
    } else if (statistics_) {
        RaiseEvent(kEventStatsReady);
    }
}

void EndOfGamePlugin::ReceiveSpectate(const Framework::TypedResourceEvent<bool>& event) {
    if (event.eventType == PluginResourceEventType::Update) spectating_ = event.data;
}

void EndOfGamePlugin::ReceiveTeamBoost(const Framework::TypedResourceEvent<Api::TeamBoost>& event) {
    if (IsCreateOrUpdate(event.eventType)) teamBoost_ = event.data;
}

void EndOfGamePlugin::ReceiveRerollPoints(const PluginServiceProxyResponse& message) {
    const Binding::BindingResult parsed = Encodings::ReadJson(message.payload);
    if (parsed.Failed()) return;
    Api::GameloopPlayerInfoV1 info;
    Binding::BindingResult converted;
    Binding::Assign(Registry(), parsed.Value(), info, "<value>", converted);
    if (converted.Failed()) return;
    const Api::RerollDataBagForClientV1& bag = info.rerollDataBag;
    rerollPoints_.pointChangeFromGameplay = static_cast<std::int32_t>(bag.pointsGainedLastGame);
    rerollPoints_.pointsUntilNextReroll = static_cast<std::int32_t>(bag.pointsUntilNextReroll);
    rerollPoints_.rerollCount = bag.rerollCount;
    rerollPoints_.totalPoints = static_cast<std::int32_t>(bag.totalPoints);
    if (!statistics_) return;
    statistics_->rerollData = rerollPoints_;
    PublishStatistics(PluginResourceEventType::Update);
}

void EndOfGamePlugin::ReceiveExperience(const Framework::TypedResourceEvent<Api::ZMSMessage>& event) {
    if (event.eventType != PluginResourceEventType::Create) return;
    const Binding::BindingResult parsed = Encodings::ReadJson(event.data.payload);
    if (parsed.Failed()) return;
    Logging::Log(3, Logging::kGroupDbg, "Received end-of-game experience points message.");
    const Api::ExperienceProgress next = Api::ReadExperienceProgress(parsed.Value());
    if (experienceProgress_) {
        AccumulateExperience(*experienceProgress_, next);
    } else {
        experienceProgress_ = std::make_unique<Api::ExperienceProgress>(next);
    }
    if (!statistics_) return;
    MergeExperience(*experienceProgress_, *statistics_);
    PublishStatistics(PluginResourceEventType::Update);
}

void EndOfGamePlugin::PublishStatistics(PluginResourceEventType type) {
    // Statistics held before StatsReady (the game client still running, or no game ended) are not
    // published yet: an update then would announce a block that does not exist for the client.
    if (statistics_ && machine_.Current() == &kStatsReady)
        PublishResource(type, kStatsBlockAddress, *statistics_);
}

}  // namespace Zarn::Client::EndOfGame
