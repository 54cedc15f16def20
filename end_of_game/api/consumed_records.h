// The records the end-of-game plugin reads from other plugins' resources, from the messaging service and
// from the "teambuilder-draft" service: game flow, login, game data and reroll points. The host delivers
// each as a value; the plugin's receivers convert it into one of these records (through the registrations
// of api_registration.h) before a handler sees it, and drop the update when it does not convert.
//
// Member names are the sources' own keys, declared in registration order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zarn::Client::EndOfGame::Api {

// A message of the messaging service; for the experience message `payload` is a JSON text.
struct ZMSMessage {
    std::int64_t timestamp = 0;
    std::string payload;
};

struct GameflowAvailability {
    std::string state;
};

enum class GameflowPhase : std::int32_t {
    None = 0,
    Lobby = 1,
    Matchmaking = 2,
    CheckedIntoTournament = 3,
    ReadyCheck = 4,
    ChampSelect = 5,
    GameStart = 6,
    FailedToLaunch = 7,
    InProgress = 8,
    Reconnect = 9,
    WaitingForStats = 10,
    PreEndOfGame = 11,
    EndOfGame = 12,
    TerminatedInError = 13,
};

struct GameflowClient {
    std::string observerServerIp;
    std::uint16_t observerServerPort = 0;
    bool running = false;
};

struct GameflowGameData {
    std::uint64_t gameId = 0;
};

// "/mox-gameflow/v1/session".
struct GameflowSession {
    GameflowPhase phase = GameflowPhase::None;
    GameflowClient gameClient;
    GameflowGameData gameData;
};

// Registered for the API description only; never read.
struct LobbyInvitation {
    std::string state;
};

struct LoginSummonerLevelAndPoints {
    std::uint64_t expPoints = 0;
    std::uint64_t expToNextLevel = 0;
    std::uint32_t summonerLevel = 0;
};

struct LoginSummonerData {
    LoginSummonerLevelAndPoints summonerLevelAndPoints;
};

struct SimpleMessage {
    std::uint64_t accountId = 0;
    std::string msgId;
    std::string type;
    std::vector<std::string> params;
};

// "/mox-login/v1/login-data-packet".
struct LoginDataPacket {
    LoginSummonerData allSummonerData;
    std::string platformId;
    std::vector<SimpleMessage> simpleMessages;
};

enum class LoginSessionStates : std::int32_t {
    IN_PROGRESS = 0,
    SUCCEEDED = 1,
    LOGGING_OUT = 2,
    ERROR = 3,
};

// "/mox-login/v1/session".
struct LoginSession {
    LoginSessionStates state = LoginSessionStates::IN_PROGRESS;
    std::uint64_t summonerId = 0;
    std::uint64_t accountId = 0;
};

// One element of "/mox-game-data/assets/v1/champion-summary.json".
struct GameDataChampionSummary {
    std::int32_t id = 0;
    std::string alias;
};

struct RerollDataBagForClientV1 {
    std::int64_t pointsGainedLastGame = 0;
    std::int64_t pointsUntilNextReroll = 0;
    std::int32_t rerollCount = 0;
    std::int64_t totalPoints = 0;
    std::uint32_t maximumRerolls = 0;
    std::int64_t pointCostOfReroll = 0;
};

// The service-proxy message "gameloopPlayerInfoV1" of "teambuilder-draft".
struct GameloopPlayerInfoV1 {
    RerollDataBagForClientV1 rerollDataBag;
};

}  // namespace Zarn::Client::EndOfGame::Api
