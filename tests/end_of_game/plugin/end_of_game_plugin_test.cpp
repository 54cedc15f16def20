// The end-of-game plugin library driven end to end through the host library: played, spectated and
// tutorial games, the machine's traces, logout and shutdown, events delivered while the machine
// waits for the host, reporting, champion mastery, experience and the memory kept across games.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/end_of_game/plugin/end_of_game_driver.h"

namespace Zarn::Client::EndOfGame::Testing {
namespace {

using Binding::BindingProperty;
using Host::BoundaryKind;
using ::testing::ElementsAre;

constexpr const char* kSession = "/mox-gameflow/v1/session";
constexpr const char* kLoginSession = "/mox-login/v1/session";
constexpr const char* kStatsBlock = "/mox-end-of-game/v1/eog-stats-block";
constexpr const char* kReported = "/mox-end-of-game/v1/reported-players";
constexpr const char* kMastery = "/mox-end-of-game/v1/champion-mastery-updates";
constexpr const char* kGameflowEvent = "/mox-gameflow/v1/session/event";
constexpr const char* kComrade = "/mox-suggested-players/v1/victorious-comrade";
constexpr const char* kStatsClass = "com.zarngames.platform.statistics.EndOfGameStats";
constexpr const char* kGameClass = "com.zarngames.platform.game.GameDTO";
constexpr const char* kXp = "/zarn-messaging-service/v1/message/summoner/v1/xp";

// A small statistics message: the local player (userId 42) and a team mate win against one player.
constexpr const char* kSmallStats = R"({
  "gameId": 1234, "gameMutators": [], "skinIndex": 2,
  "myTeamInfo": {"name": "Blue"}, "otherTeamInfo": {"name": "Red"},
  "teamPlayerParticipantStats": [
    {"userId": 42, "summonerName": "Quillfeather", "skinName": "Aurel", "teamId": 100, "level": 31,
     "statistics": [{"statTypeName": "WIN", "value": 1}, {"statTypeName": "KILLS", "value": 7}]},
    {"userId": 43, "summonerName": "Mossback", "skinName": "BRISA", "teamId": 100,
     "statistics": [{"statTypeName": "WIN", "value": 1}]}],
  "otherTeamPlayerParticipantStats": [
    {"userId": 77, "summonerName": "Gravelwit", "skinName": "Unknown", "teamId": 200,
     "statistics": [{"statTypeName": "LOSE", "value": 1}]}]
})";

std::string Session(bool running, std::string_view host = "127.0.0.1", int port = 8088) {
    return R"({"phase": "InProgress", "gameClient": {"observerServerIp": ")" + std::string(host) +
           R"(", "observerServerPort": )" + std::to_string(port) + R"(, "running": )" +
           (running ? "true" : "false") + R"(}, "gameData": {"gameId": 1234}})";
}

// A success of an endpoint: no error, and no status or a 2xx one.
bool Ok(const Host::CallResult& result) { return result.error.empty() && result.status < 300; }

class EndOfGamePluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.SetPeer(kLoginSession, R"({"state": "SUCCEEDED", "summonerId": 42, "accountId": 4200})");
        driver.SetPeer("/mox-login/v1/login-data-packet",
                       R"({"platformId": "PLAT1", "allSummonerData": {"summonerLevelAndPoints":
                           {"summonerLevel": 30, "expPoints": 100, "expToNextLevel": 2000}}})");
        driver.SetPeer("/mox-game-data/assets/v1/champion-summary.json",
                       R"([{"id": 1, "alias": "Aurel"}, {"id": 22, "alias": "Brisa"}])");
    }

    void TearDown() override { EXPECT_EQ(driver.Host().FaultCount(), 0u); }

    void Start() {
        driver.Start();
        driver.ClearTranscript();
    }

    // Client starts, the game terminates, statistics arrive while it runs, the client stops.
    void PlayGame(std::string_view stats = kSmallStats) {
        driver.Update(kSession, Session(true));
        driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");
        driver.Lcds(kStatsClass, stats);
        driver.Update(kSession, Session(false));
    }

    std::string CurrentState() const {
        std::string state = "?";
        for (const std::string& trace : driver.Traces()) {
            if (trace.rfind("Entering state '", 0) == 0) state = trace.substr(16, trace.size() - 17);
        }
        return state;
    }

    EndOfGameDriver driver;
};

TEST_F(EndOfGamePluginTest, StartsInBeforeEndOfGameWithTwoTraces) {
    driver.Start();
    EXPECT_THAT(driver.Traces(),
                ElementsAre("Entering state 'EoG_Flow'", "Entering state 'BeforeEndOfGame'"));
}

TEST_F(EndOfGamePluginTest, PlayedGameIsPublishedThenDismissed) {
    Start();
    PlayGame();

    EXPECT_THAT(driver.Traces(),
                ElementsAre("Exiting state 'BeforeEndOfGame'", "Entering state 'AfterEndOfGame'",
                            "Entering state 'WaitingForStats'", "Exiting state 'WaitingForStats'",
                            "Entering state 'StatsReady'"));
    EXPECT_THAT(driver.Published(), ElementsAre(std::string("Create ") + kStatsBlock));
    EXPECT_THAT(driver.Posted(kGameflowEvent), ElementsAre("\"GAMEFLOW_EVENT.STATS_RECEIVED\""));
    EXPECT_THAT(driver.Posted(kComrade), ElementsAre(R"({"summonerId":42,"summonerName":"Quillfeather"})",
                                                     R"({"summonerId":43,"summonerName":"Mossback"})"));

    const BindingProperty block = driver.LastPublished(kStatsBlock);
    EXPECT_EQ(block.Field("summonerId").GetUnsigned(), 42u);
    EXPECT_EQ(block.Field("championId").GetSigned(), 1);
    EXPECT_EQ(block.Field("skinId").GetSigned(), 1002);
    EXPECT_EQ(block.Field("previousLevel").GetUnsigned(), 30u);
    EXPECT_EQ(block.Field("previousXpTotal").GetUnsigned(), 100u);
    EXPECT_EQ(block.Field("nextLevelXp").GetUnsigned(), 2000u);
    const BindingProperty& players = block.Field("teams").Element(0).Field("players");
    EXPECT_EQ(players.Element(1).Field("championId").GetSigned(), 22);
    const std::vector<std::string> logs = driver.Logs();
    EXPECT_EQ(std::count_if(logs.begin(), logs.end(),
                            [](const std::string& line) {
                                return line.find("No champion found with skin name: Unknown") !=
                                       std::string::npos;
                            }),
              1);

    const Host::CallResult read = driver.Call("GET", kStatsBlock);
    EXPECT_TRUE(Ok(read));
    EXPECT_EQ(read.value, block);

    driver.ClearTranscript();
    EXPECT_TRUE(Ok(driver.Call("POST", "/mox-end-of-game/v1/state/dismiss-stats")));
    EXPECT_THAT(driver.Traces(), ElementsAre("Exiting state 'StatsReady'", "Exiting state 'AfterEndOfGame'",
                                             "Resetting end of game.", "Exiting state 'EoG_Flow'",
                                             "Entering state 'BeforeEndOfGame'"));
    EXPECT_THAT(driver.Published(), ElementsAre(std::string("Delete ") + kStatsBlock));
    EXPECT_THAT(driver.Posted(kGameflowEvent), ElementsAre("\"GAMEFLOW_EVENT.STATS_DISMISSED\""));
    const Host::CallResult gone = driver.Call("GET", kStatsBlock);
    EXPECT_EQ(gone.status, 404u);
    EXPECT_EQ(gone.error, "No end of game stats available.");
}

TEST_F(EndOfGamePluginTest, DismissBeforeAnyGameOnlyTellsTheGameFlow) {
    Start();
    EXPECT_TRUE(Ok(driver.Call("POST", "/mox-end-of-game/v1/state/dismiss-stats")));
    EXPECT_THAT(driver.Traces(), ElementsAre("Exiting state 'BeforeEndOfGame'"));
    EXPECT_THAT(driver.Posted(kGameflowEvent), ElementsAre("\"GAMEFLOW_EVENT.STATS_DISMISSED\""));
    EXPECT_TRUE(driver.Published().empty());
}

TEST_F(EndOfGamePluginTest, GameMessagesThatDoNotEndThisClientsGameAreIgnored) {
    Start();
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");  // never ran
    driver.Update(kSession, Session(true));
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "terminated"})");
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "IN_PROGRESS"})");
    EXPECT_TRUE(driver.Traces().empty());
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED_IN_ERROR"})");
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");  // a second one while waiting
    EXPECT_EQ(CurrentState(), "WaitingForStats");
    EXPECT_EQ(driver.Traces().size(), 3u);
}

TEST_F(EndOfGamePluginTest, TutorialStatisticsAreSkipped) {
    Start();
    driver.Update(kSession, Session(true));
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");
    driver.Update(kSession, Session(false));
    driver.Lcds(kStatsClass, R"({"gameId": 1234, "gameMutators": ["Fog", "BasicTutorial"]})");
    EXPECT_EQ(CurrentState(), "WaitingForStats");
    EXPECT_TRUE(driver.Published().empty());
    EXPECT_EQ(driver.Call("GET", kStatsBlock).status, 404u);
    const std::vector<std::string> logs = driver.Logs();
    EXPECT_NE(std::find_if(logs.begin(), logs.end(),
                           [](const std::string& line) {
                               return line.find("Skip end-of-game stats for tutorial game.") !=
                                      std::string::npos;
                           }),
              logs.end());
    // The same word in other letter case is no tutorial.
    driver.Lcds(kStatsClass, R"({"gameId": 1234, "gameMutators": ["basictutorial"]})");
    EXPECT_EQ(CurrentState(), "StatsReady");
}

TEST_F(EndOfGamePluginTest, LogoutWhileWaitingResetsWithoutTellingTheGameFlow) {
    Start();
    driver.Update(kSession, Session(true));
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");
    driver.Lcds(kStatsClass, kSmallStats);  // stored while the client still runs
    EXPECT_TRUE(Ok(driver.Call("GET", kStatsBlock)));
    driver.ClearTranscript();
    driver.Delete(kLoginSession);
    EXPECT_THAT(driver.Traces(),
                ElementsAre("Exiting state 'WaitingForStats'", "Exiting state 'AfterEndOfGame'",
                            "Resetting end of game.", "Entering state 'BeforeEndOfGame'"));
    EXPECT_THAT(driver.Published(), ElementsAre(std::string("Delete ") + kStatsBlock));
    EXPECT_TRUE(driver.Posted(kGameflowEvent).empty());
}

TEST_F(EndOfGamePluginTest, ShutdownWhileStatisticsAreShownAnnouncesTheirRemoval) {
    Start();
    PlayGame();
    driver.ClearTranscript();
    driver.Shutdown();
    EXPECT_THAT(driver.Traces(), ElementsAre("Exiting state 'StatsReady'", "Exiting state 'AfterEndOfGame'",
                                             "Resetting end of game.", "Exiting state 'EoG_Flow'"));
    EXPECT_THAT(driver.Published(), ElementsAre(std::string("Delete ") + kStatsBlock));
}

// The StatsReady action waits for the host; a game-flow update and a dismiss arrive meanwhile. They
// are processed after the transition, in order, and the dismiss is answered as handled.
TEST_F(EndOfGamePluginTest, EventsRaisedWhileTheMachineWaitsRunAfterTheTransition) {
    Start();
    Host::CallResult dismissed;
    driver.OnNextRequest(kComrade, [&] {
        driver.Host().Deliver("OnJsonApiEvent_mox-gameflow_v1_availability",
                              Json(R"({"uri": "/mox-gameflow/v1/availability", "eventType": "Update",
                                       "data": {"state": "InGameFlow"}})"));
        driver.Host().RunUntilIdle();
        Host::PluginCall dismiss;
        dismiss.method = "POST";
        dismiss.path = "/mox-end-of-game/v1/state/dismiss-stats";
        dismissed = driver.Host().Call(dismiss);
    });
    PlayGame();

    EXPECT_TRUE(Ok(dismissed)) << dismissed.error;
    EXPECT_THAT(
        driver.Traces(),
        ElementsAre("Exiting state 'BeforeEndOfGame'", "Entering state 'AfterEndOfGame'",
                    "Entering state 'WaitingForStats'", "Exiting state 'WaitingForStats'",
                    "Entering state 'StatsReady'",
                    // NEW_GAME_FLOW, then the dismiss (now in BeforeEndOfGame)
                    "Exiting state 'StatsReady'", "Exiting state 'AfterEndOfGame'", "Resetting end of game.",
                    "Entering state 'BeforeEndOfGame'", "Exiting state 'BeforeEndOfGame'"));
    EXPECT_THAT(driver.Published(),
                ElementsAre(std::string("Create ") + kStatsBlock, std::string("Delete ") + kStatsBlock));
    EXPECT_THAT(driver.Posted(kGameflowEvent),
                ElementsAre("\"GAMEFLOW_EVENT.STATS_RECEIVED\"", "\"GAMEFLOW_EVENT.STATS_DISMISSED\""));
}

TEST_F(EndOfGamePluginTest, SpectatedGameFetchesItsStatistics) {
    struct Case {
        const char* name;
        std::uint32_t status;
        std::string body;
        const char* finalState;
        const char* log;
    };
    const std::vector<Case> cases = {
        {"served", 200, kSmallStats, "StatsReady", "Received end-of-game stats."},
        {"missing", 404, "", "BeforeEndOfGame",
         "No stats available at url "
         "http://127.0.0.1:8088/observer-mode/rest/consumer/endOfGameStats/PLAT1/1234/token"},
        {"not JSON", 200, "<html>", "BeforeEndOfGame", "Couldn't convert eog spectator stats: <html>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EndOfGameDriver spectator;
        spectator.SetPeer("/mox-login/v1/login-data-packet", R"({"platformId": "PLAT1"})");
        spectator.SetExternalReply(c.status, c.body);
        spectator.Start();
        spectator.Update("/mox-gameflow/v1/spectate", "true");
        spectator.Update(kSession, Session(true));
        spectator.Update(kSession, Session(false));  // no LCDS message: the client stopping ends the game

        const auto externals = spectator.Records(BoundaryKind::kExternal);
        ASSERT_EQ(externals.size(), 1u);
        EXPECT_EQ(externals[0]->url,
                  "http://127.0.0.1:8088/observer-mode/rest/consumer/endOfGameStats/PLAT1/1234/token");
        EXPECT_NE(std::find(externals[0]->headers.begin(), externals[0]->headers.end(),
                            std::make_pair(std::string("Accept"), std::string("application/json"))),
                  externals[0]->headers.end());
        std::string state = "?";
        bool logged = false;
        for (const std::string& trace : spectator.Traces())
            if (trace.rfind("Entering state '", 0) == 0) state = trace.substr(16, trace.size() - 17);
        for (const std::string& line : spectator.Logs())
            logged = logged || line.find(c.log) != std::string::npos;
        EXPECT_EQ(state, c.finalState);
        EXPECT_TRUE(logged);
    }
}

TEST_F(EndOfGamePluginTest, ReportingAPlayerOncePerGame) {
    Start();
    PlayGame();
    const auto report = [&](std::uint64_t id) {
        return driver.Call("POST", "/mox-end-of-game/v2/player-complaints",
                           R"({"gameId": 1234, "reportedSummonerId": )" + std::to_string(id) +
                               R"(, "offenses": "SPAM", "comment": "x"})");
    };
    for (const std::uint64_t id : {30u, 10u, 20u}) EXPECT_TRUE(Ok(report(id)));
    EXPECT_EQ(ToJson(driver.LastPublished(kReported)), "[10,20,30]");
    EXPECT_EQ(ToJson(driver.Call("GET", kReported).value), "[10,20,30]");
    EXPECT_EQ(driver.Posted("/mox-suggested-players/v1/reported-player").size(), 3u);

    const std::size_t sent = driver.Login().Requests().size();
    const Host::CallResult twice = report(20);
    EXPECT_EQ(twice.status, 403u);
    EXPECT_EQ(twice.error, "Account was already reported.");
    EXPECT_EQ(driver.Login().Requests().size(), sent);

    driver.Login().SetReply("report.reportPlayer", {"FAILED", "", "Account not found", false});
    const Host::CallResult failed = report(50);
    EXPECT_EQ(failed.status, 500u);
    EXPECT_EQ(failed.error, "Failed to report account 50: Account not found");
    driver.Login().SetReply("report.reportPlayer", {});
    const Host::CallResult again = report(50);
    EXPECT_TRUE(Ok(again));
    EXPECT_EQ(ToJson(again.value),
              R"({"comment":"x","gameId":1234,"offenses":"SPAM","reportedSummonerId":50})");

    driver.Call("POST", "/mox-end-of-game/v1/state/dismiss-stats");
    EXPECT_EQ(ToJson(driver.LastPublished(kReported)), "[]");
    EXPECT_EQ(ToJson(driver.Call("GET", kReported).value), "[]");
    EXPECT_TRUE(Ok(report(20)));
}

TEST_F(EndOfGamePluginTest, MasteryNotificationsArePublishedAndAcknowledged) {
    driver.SetPeer("/mox-login/v1/login-data-packet", R"({"platformId": "PLAT1", "simpleMessages": [
        {"accountId": 4200, "msgId": "m1", "type": "championMastery",
         "params": ["{\"championId\": 18446744073709551615, \"championLevel\": 5, \"playerGrade\": \"A\"}"]},
        {"accountId": 4200, "msgId": "skip", "type": "other", "params": ["{}"]},
        {"accountId": 4200, "msgId": "m2", "type": "championMastery", "params": ["not json"]}]})");
    driver.Start();
    EXPECT_THAT(driver.Published(),
                ElementsAre(std::string("Create ") + kMastery, std::string("Delete ") + kMastery,
                            std::string("Create ") + kMastery));
    const auto& acks = driver.Login().Invocations();
    ASSERT_EQ(acks.size(), 2u);
    EXPECT_EQ(acks[0].destination, "clientFacadeService");
    EXPECT_EQ(acks[0].operation, "callPersistenceMessaging");
    EXPECT_NE(ToJson(acks[1].args).find(R"("command":"ack")"), std::string::npos);
    EXPECT_NE(ToJson(acks[1].args).find(R"("msgId":"m2")"), std::string::npos);

    const std::vector<std::string> logs = driver.Logs();
    const auto logged = [&](std::string_view text) {
        return std::any_of(logs.begin(), logs.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(logged("Received 'championMastery' message for champion 18446744073709551615."));
    EXPECT_TRUE(logged("Acknowledged championMastery notification 'm2'"));

    // The second payload is not JSON: every field but the id reads as zero or empty.
    const Host::CallResult held = driver.Call("GET", kMastery);
    EXPECT_TRUE(Ok(held));
    EXPECT_EQ(held.value.Field("id").GetString(), "m2");
    EXPECT_EQ(held.value.Field("level").GetSigned(), 0);
    EXPECT_EQ(ToJson(held.value.Field("levelUpList")), "[]");
}

TEST_F(EndOfGamePluginTest, ExperienceMessagesAddUp) {
    Start();
    const auto xp = [&](std::string_view payload) {
        BindingProperty message;
        message.WriteField("timestamp").SetSigned(1);
        message.WriteField("payload").SetString(payload);
        driver.Update(kXp, ToJson(message), "Create");
    };
    xp(R"({"xp": {"BASE": 100}, "level": {"initialLevel": 30, "finalLevel": 30,
           "progress": {"initialXp": 100, "finalXp": 200, "initialLevelBoundary": 2000, "finalLevelBoundary": 2000}}})");
    PlayGame();
    xp(R"({"xp": {"BASE": 50}, "level": {"initialLevel": 30, "finalLevel": 31,
           "progress": {"initialXp": 200, "finalXp": 40, "initialLevelBoundary": 2000, "finalLevelBoundary": 2100}}})");
    xp("not json");  // ignored without a word

    const BindingProperty block = driver.LastPublished(kStatsBlock);
    EXPECT_EQ(block.Field("experienceEarned").GetSigned(), 150);
    EXPECT_EQ(block.Field("preLevelUpExperienceTotal").GetUnsigned(), 200u);
    EXPECT_EQ(block.Field("experienceTotal").GetSigned(), 40);
    EXPECT_EQ(block.Field("currentLevel").GetUnsigned(), 31u);
    EXPECT_EQ(block.Field("nextLevelXp").GetUnsigned(), 2100u);
    EXPECT_TRUE(block.Field("leveledUp").GetBool());
}

TEST_F(EndOfGamePluginTest, RerollPointsUpdateThePublishedBlock) {
    Start();
    PlayGame();
    driver.Login().SendAsync(
        "teambuilder-draft", "gameloopPlayerInfoV1",
        R"({"rerollDataBag": {"pointsGainedLastGame": 30, "totalPoints": 250, "rerollCount": 1}})");
    driver.Host().RunUntilIdle();
    const BindingProperty points = driver.LastPublished(kStatsBlock).Field("rerollData");
    EXPECT_EQ(points.Field("totalPoints").GetSigned(), 250);
    EXPECT_EQ(points.Field("pointChangeFromGameplay").GetSigned(), 30);
    EXPECT_EQ(points.Field("rerollCount").GetSigned(), 1);
}

TEST_F(EndOfGamePluginTest, UpdatesBeforeTheStatisticsAreShownWaitForTheirCreate) {
    Start();
    driver.Update(kSession, Session(true));
    driver.Lcds(kGameClass, R"({"id": 1234, "gameState": "TERMINATED"})");
    driver.Lcds(kStatsClass, kSmallStats);
    driver.Login().SendAsync("teambuilder-draft", "gameloopPlayerInfoV1",
                             R"({"rerollDataBag": {"totalPoints": 250}})");
    driver.Host().RunUntilIdle();
    driver.Update(kXp, R"({"timestamp": 1, "payload": "{\"xp\": {\"BASE\": 100}}"})", "Create");
    EXPECT_THAT(driver.Published(), ::testing::IsEmpty());

    driver.Update(kSession, Session(false));
    EXPECT_THAT(driver.Published(), ElementsAre(std::string("Create ") + kStatsBlock));
    const BindingProperty block = driver.LastPublished(kStatsBlock);
    EXPECT_EQ(block.Field("rerollData").Field("totalPoints").GetSigned(), 250);
    EXPECT_EQ(block.Field("experienceEarned").GetSigned(), 100);
}

TEST_F(EndOfGamePluginTest, TheFixtureMatchKeepsNoMemoryAcrossGames) {
    const std::string stats = ReadFixture("lcds_end_of_game_stats.json");
    Start();
    std::uint64_t level = 0;
    for (int game = 0; game < 4; ++game) {
        PlayGame(stats);
        EXPECT_TRUE(Ok(driver.Call("GET", kStatsBlock)));
        driver.Call("POST", "/mox-end-of-game/v2/player-complaints",
                    R"({"gameId": 1, "reportedSummonerId": 9, "offenses": "SPAM", "comment": ""})");
        driver.Call("POST", "/mox-end-of-game/v1/state/dismiss-stats");
        const MemoryStats memory = driver.Memory();
        const std::uint64_t inUse = memory.bytesAllocated - memory.bytesFreed;
        if (game == 1) level = inUse;
        if (game > 1) {
            EXPECT_EQ(inUse, level) << "game " << game;
        }
    }
}

TEST_F(EndOfGamePluginTest, DescribesItsRoutesAndTypes) {
    driver.Start();
    std::vector<std::string> functions;
    for (const ApiFunctionRecord* function : driver.Host().Functions()) functions.push_back(function->name);
    EXPECT_THAT(functions, ::testing::IsSupersetOf(
                               {"GetMoxEndOfGameV1ReportedPlayers", "PostMoxEndOfGameV2PlayerComplaints",
                                "GetMoxEndOfGameV1EogStatsBlock", "PostMoxEndOfGameV1StateDismissStats",
                                "GetMoxEndOfGameV1ChampionMasteryUpdates"}));
    std::vector<std::string> types;
    const ApiDescription* api = driver.Host().Api();
    for (std::uint32_t i = 0; i < api->typeCount; ++i) types.push_back(api->types[i].name);
    EXPECT_THAT(types,
                ::testing::IsSupersetOf({"MoxEndOfGameEndOfGameStats", "MoxEndOfGameChampionMasteryUpdate",
                                         "MoxEndOfGameLoginSessionStates", "EndOfGameLcdsEndOfGameStats",
                                         "EogLcdsGameDTO"}));
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame::Testing
