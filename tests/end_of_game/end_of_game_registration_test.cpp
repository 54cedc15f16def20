// The registered records against the model: names, field keys, kinds and order, enumerator values,
// tags, class names, and every key present in a value made from a default record.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "binding/native_type_kind.h"
#include "binding/static_type.h"
#include "end_of_game/api/api_registration.h"
#include "end_of_game/api/consumed_records.h"
#include "end_of_game/api/end_of_game_records.h"
#include "end_of_game/lcds/lcds_records.h"
#include "end_of_game/lcds/lcds_registration.h"
#include "end_of_game_test_support.h"

namespace Zarn::Client::EndOfGame {
namespace {

using Binding::BindingProperty;
using Binding::BindingRegistry;
using Binding::NativeTypeKind;
using Binding::TypeDescriptor;
using Testing::RegisteredRecords;

// A field's type as the model writes it: native names, the registered name of a record or enum,
// vector<element>, and "?" after a field registered as optional.
std::string TypeText(const TypeDescriptor& type) {
    if (type.Kind() == NativeTypeKind::Vector) return "vector<" + TypeText(*type.Element()) + ">";
    if (type.Kind() == NativeTypeKind::Struct || type.Kind() == NativeTypeKind::Enum) {
        return type.Record() != nullptr ? type.Record()->Name() : "<unattached>";
    }
    return std::string(Binding::NativeTypeKindName(type.Kind()));
}

std::string FieldsText(const Binding::TypeRecord& record) {
    std::string text;
    if (record.IsEnumeration()) {
        for (const Binding::EnumeratorRecord* value : record.ValuesByNumber()) {
            text += (text.empty() ? "" : " ") + value->name + "=" + std::to_string(value->value);
        }
        return text;
    }
    for (const Binding::FieldRecord& field : record.Fields()) {
        text += (text.empty() ? "" : " ") + std::string(field.Key()) + ":" + TypeText(field.Type()) +
                (field.ExtraFlags() != 0 ? "?" : "");
    }
    return text;
}

template <typename T>
BindingProperty DefaultValue(const BindingRegistry& registry) {
    return Testing::ToValue(registry, T{});
}

struct RecordRow {
    std::string_view name;
    std::string_view fields;
    BindingProperty (*defaultValue)(const BindingRegistry&);  // null for enums
    std::string_view className = {};                          // LCDS records only
};

const std::vector<RecordRow> kRecords = {
    {"MoxEndOfGameEndOfGameTeamBoost",
     "summonerName:string skinUnlockMode:string price:int64 ipReward:int64 ipRewardForPurchaser:int64 "
     "availableSkins:vector<int64> unlocked:bool",
     DefaultValue<Api::TeamBoost>},
    {"MoxEndOfGameZMSMessage", "timestamp:int64 payload:string", DefaultValue<Api::ZMSMessage>},
    {"MoxEndOfGameEndOfGamePlayerComplaintV2",
     "gameId:uint64 reportedSummonerId:uint64 offenses:string comment:string",
     DefaultValue<Api::EndOfGamePlayerComplaintV2>},
    {"MoxEndOfGameEndOfGamePlayer",
     "stats:object items:vector<int32> botPlayer:bool championId:int32 elo:int32 eloChange:int32 "
     "isReportingDisabled:bool gameId:uint64 leaver:bool leaves:int32 level:int32 losses:int32 "
     "profileIconId:int32 "
     "skinName:string spell1Id:int32 spell2Id:int32 summonerName:string teamId:int32 userId:uint64 "
     "wins:int32 "
     "summonerId:uint64 skinIndex:int32",
     DefaultValue<Api::EndOfGamePlayer>},
    {"MoxEndOfGameEndOfGameTeam",
     "stats:object players:vector<MoxEndOfGameEndOfGamePlayer> memberStatusString:string name:string "
     "tag:string "
     "fullId:string teamId:int32 isBottomTeam:bool isPlayerTeam:bool isWinningTeam:bool "
     "championBans:vector<int32>",
     DefaultValue<Api::EndOfGameTeam>},
    {"MoxEndOfGameEndOfGamePoints",
     "pointChangeFromChampionsOwned:int32 pointChangeFromGameplay:int32 pointsUsed:int32 "
     "previousPoints:int32 "
     "pointsUntilNextReroll:int32 rerollCount:int32 totalPoints:int32",
     DefaultValue<Api::EndOfGamePoints>},
    {"MoxEndOfGameEndOfGameStats",
     "difficulty:string gameId:uint64 gameLength:int32 gameMode:string gameMutators:vector<string> "
     "gameType:string "
     "imbalancedTeamsNoPoints:bool invalid:bool queueType:string ranked:bool reportGameId:uint64 "
     "roomName:string "
     "roomPassword:string sendStatsToTournamentProvider:bool teams:vector<MoxEndOfGameEndOfGameTeam> "
     "myTeamStatus:string elo:int32 eloChange:int32 leveledUp:bool newSpells:vector<int32> "
     "previousLevel:uint64 "
     "zpEarned:int32 skinIndex:int32 skinId:int32 summonerName:string talentPointsGained:int32 userId:uint64 "
     "accountId:uint64 summonerId:uint64 championId:int32 basePoints:int32 battleBoostIpEarned:int32 "
     "boostIpEarned:int32 firstWinBonus:int32 ipEarned:int32 ipTotal:int32 loyaltyBoostIpEarned:int32 "
     "vornBonusIp:int32 partyRewardsBonusIpEarned:int32 pointsPenalties:object queueBonusEarned:int32 "
     "boostXpEarned:int32 completionBonusPoints:int32 experienceEarned:int32 experienceTotal:int32 "
     "globalBoostXpEarned:int32 loyaltyBoostXpEarned:int32 missionsXpEarned:int32 previousXpTotal:uint64 "
     "nextLevelXp:uint64 currentLevel:uint64 preLevelUpExperienceTotal:uint64 preLevelUpNextLevelXp:uint64 "
     "coOpVsAiMinutesLeftToday:int32 coOpVsAiMsecsUntilReset:int32 customMinutesLeftToday:int32 "
     "customMsecsUntilReset:int32 timeUntilNextFirstWinBonus:int32 causedEarlySurrender:bool "
     "earlySurrenderAccomplice:bool teamEarlySurrendered:bool gameEndedInEarlySurrender:bool "
     "rerollData:MoxEndOfGameEndOfGamePoints teamBoost:MoxEndOfGameEndOfGameTeamBoost?",
     DefaultValue<Api::EndOfGameStats>},
    {"MoxEndOfGameEndOfGameVictoriousComrade", "summonerId:uint64 summonerName:string",
     DefaultValue<Api::EndOfGameVictoriousComrade>},
    {"MoxEndOfGameGameflowAvailability", "state:string", DefaultValue<Api::GameflowAvailability>},
    {"MoxEndOfGameGameflowPhase",
     "None=0 Lobby=1 Matchmaking=2 CheckedIntoTournament=3 ReadyCheck=4 ChampSelect=5 GameStart=6 "
     "FailedToLaunch=7 "
     "InProgress=8 Reconnect=9 WaitingForStats=10 PreEndOfGame=11 EndOfGame=12 TerminatedInError=13",
     nullptr},
    {"MoxEndOfGameGameflowClient", "observerServerIp:string observerServerPort:uint16 running:bool",
     DefaultValue<Api::GameflowClient>},
    {"MoxEndOfGameGameflowGameData", "gameId:uint64", DefaultValue<Api::GameflowGameData>},
    {"MoxEndOfGameGameflowSession",
     "phase:MoxEndOfGameGameflowPhase gameClient:MoxEndOfGameGameflowClient "
     "gameData:MoxEndOfGameGameflowGameData",
     DefaultValue<Api::GameflowSession>},
    {"MoxEndOfGameLobbyInvitation", "state:string", DefaultValue<Api::LobbyInvitation>},
    {"MoxEndOfGameChampionMasteryMini", "playerId:uint64 championId:int32 championLevel:int64",
     DefaultValue<Api::ChampionMasteryMini>},
    {"MoxEndOfGameChampionMasteryGrade", "playerId:uint64 championId:int32 grade:string",
     DefaultValue<Api::ChampionMasteryGrade>},
    {"MoxEndOfGameChampionMasteryUpdate",
     "id:string gameId:uint64 playerId:uint64 championId:int32 hasLeveledUp:bool level:int64 "
     "pointsBeforeGame:int64 "
     "pointsGained:int64 pointsGainedIndividualContribution:int64 bonusPointsGained:int64 "
     "pointsSinceLastLevelBeforeGame:int64 pointsUntilNextLevelBeforeGame:int64 "
     "pointsUntilNextLevelAfterGame:int64 "
     "grade:string score:int64 levelUpList:vector<MoxEndOfGameChampionMasteryMini> "
     "memberGrades:vector<MoxEndOfGameChampionMasteryGrade>",
     DefaultValue<Api::ChampionMasteryUpdate>},
    {"MoxEndOfGameLoginSummonerLevelAndPoints", "expPoints:uint64 expToNextLevel:uint64 summonerLevel:uint32",
     DefaultValue<Api::LoginSummonerLevelAndPoints>},
    {"MoxEndOfGameLoginSummonerData", "summonerLevelAndPoints:MoxEndOfGameLoginSummonerLevelAndPoints",
     DefaultValue<Api::LoginSummonerData>},
    {"MoxEndOfGameSimpleMessage", "accountId:uint64 msgId:string type:string params:vector<string>",
     DefaultValue<Api::SimpleMessage>},
    {"MoxEndOfGameLoginDataPacket",
     "allSummonerData:MoxEndOfGameLoginSummonerData platformId:string "
     "simpleMessages:vector<MoxEndOfGameSimpleMessage>",
     DefaultValue<Api::LoginDataPacket>},
    {"MoxEndOfGameLoginSessionStates", "IN_PROGRESS=0 SUCCEEDED=1 LOGGING_OUT=2 ERROR=3", nullptr},
    {"MoxEndOfGameLoginSession", "state:MoxEndOfGameLoginSessionStates summonerId:uint64 accountId:uint64",
     DefaultValue<Api::LoginSession>},
    {"MoxEndOfGameGameDataChampionSummary", "id:int32 alias:string",
     DefaultValue<Api::GameDataChampionSummary>},
    {"MoxEndOfGameRerollDataBagForClientV1",
     "pointsGainedLastGame:int64 pointsUntilNextReroll:int64 rerollCount:int32 totalPoints:int64 "
     "maximumRerolls:uint32 pointCostOfReroll:int64",
     DefaultValue<Api::RerollDataBagForClientV1>},
    {"MoxEndOfGameGameloopPlayerInfoV1", "rerollDataBag:MoxEndOfGameRerollDataBagForClientV1",
     DefaultValue<Api::GameloopPlayerInfoV1>},

    {"EndOfGameLcdsHarassmentReport",
     "gameId:uint64 reportSource:string reportingSummonerId:uint64 reportedSummonerId:uint64 offense:string "
     "comment:string",
     DefaultValue<Lcds::HarassmentReport>, "com.zarngames.platform.harassment.HarassmentReport"},
    {"EndOfGameLcdsClientReportV1", "offenderSummonerId:uint64 gameId:uint64 offenses:string comments:string",
     DefaultValue<Lcds::ClientReportV1>, "com.zarngames.platform.loopbackservices.reports.ClientReportV1"},
    {"EndOfGameLcdsPointsPenalty", "type:string penalty:double", DefaultValue<Lcds::PointsPenalty>,
     "com.zarngames.platform.statistics.PointsPenalty"},
    {"EndOfGameLcdsSpell", "spellId:int32", DefaultValue<Lcds::Spell>,
     "com.zarngames.platform.catalog.spell.Spell"},
    {"EndOfGameLcdsTeamId", "fullId:string", DefaultValue<Lcds::TeamId>, "com.zarngames.team.TeamId"},
    {"EndOfGameLcdsTeamInfo",
     "teamId:EndOfGameLcdsTeamId name:string tag:string secondsUntilEligibleForDeletion:int64 "
     "memberStatusString:string",
     DefaultValue<Lcds::TeamInfo>, "com.zarngames.team.TeamInfo"},
    {"EndOfGameLcdsRawStatDTO", "value:int64 statTypeName:string", DefaultValue<Lcds::RawStatDTO>,
     "com.zarngames.platform.statistics.RawStatDTO"},
    {"EndOfGameLcdsPlayerParticipantStatsSummary",
     "level:int32 userId:uint64 teamId:int32 gameId:uint64 leaver:bool summonerName:string skinName:string "
     "profileIconId:int32 wins:int32 leaves:int32 losses:int32 eloChange:int32 elo:int32 botPlayer:bool "
     "spell1Id:int32 spell2Id:int32 championId:int32 skinIndex:int32 "
     "statistics:vector<EndOfGameLcdsRawStatDTO>",
     DefaultValue<Lcds::PlayerParticipantStatsSummary>,
     "com.zarngames.platform.statistics.PlayerParticipantStatsSummary"},
    {"EndOfGameLcdsEndOfGameStats",
     "difficulty:string gameId:uint64 gameLength:uint32 gameMode:string gameMutators:vector<string> "
     "gameType:string "
     "imbalancedTeamsNoPoints:bool invalid:bool queueType:string ranked:bool reportGameId:uint64 "
     "roomName:string "
     "roomPassword:string sendStatsToTournamentProvider:bool myTeamInfo:EndOfGameLcdsTeamInfo "
     "otherTeamInfo:EndOfGameLcdsTeamInfo "
     "teamPlayerParticipantStats:vector<EndOfGameLcdsPlayerParticipantStatsSummary> "
     "otherTeamPlayerParticipantStats:vector<EndOfGameLcdsPlayerParticipantStatsSummary> myTeamStatus:string "
     "elo:int32 eloChange:int32 leveledUp:bool newSpells:vector<EndOfGameLcdsSpell> previousLevel:uint64 "
     "zpEarned:int32 skinIndex:int32 skinId:int32 summonerName:string talentPointsGained:int32 userId:uint64 "
     "basePoints:int32 battleBoostIpEarned:int32 boostIpEarned:int32 firstWinBonus:int32 ipEarned:int32 "
     "ipTotal:int32 loyaltyBoostIpEarned:int32 vornBonusIp:int32 partyRewardsBonusIpEarned:int32 "
     "pointsPenalties:vector<EndOfGameLcdsPointsPenalty> queueBonusEarned:int32 boostXpEarned:int32 "
     "completionBonusPoints:int32 experienceEarned:int32 experienceTotal:int32 loyaltyBoostXpEarned:int32 "
     "previousXpTotal:uint64 coOpVsAiMinutesLeftToday:int32 coOpVsAiMsecsUntilReset:int32 "
     "customMinutesLeftToday:int32 customMsecsUntilReset:int32 timeUntilNextFirstWinBonus:int32 "
     "causedEarlySurrender:bool earlySurrenderAccomplice:bool teamEarlySurrendered:bool "
     "gameEndedInEarlySurrender:bool",
     DefaultValue<Lcds::EndOfGameStats>, "com.zarngames.platform.statistics.EndOfGameStats"},
    {"PlayerParticipant", "summonerId:uint64", DefaultValue<Lcds::PlayerParticipant>,
     "com.zarngames.platform.game.PlayerParticipant"},
    {"BannedChampion", "championId:int32 teamId:int32 pickTurn:int32", DefaultValue<Lcds::BannedChampion>,
     "com.zarngames.platform.game.BannedChampion"},
    {"EogLcdsGameDTO",
     "id:uint64 gameState:string teamOne:vector<PlayerParticipant> teamTwo:vector<PlayerParticipant> "
     "bannedChampions:vector<BannedChampion>",
     DefaultValue<Lcds::GameDTO>, "com.zarngames.platform.game.GameDTO"},
    {"SimpleDialogMessage", "accountId:uint64 msgId:string type:string params:vector<string>",
     DefaultValue<Lcds::SimpleDialogMessage>,
     "com.zarngames.platform.messaging.persistence.SimpleDialogMessage"},
    {"SimpleDialogMessageResponse", "accountId:uint64 msgId:string command:string",
     DefaultValue<Lcds::SimpleDialogMessageResponse>,
     "com.zarngames.platform.messaging.persistence.SimpleDialogMessageResponse"},
};

TEST(EndOfGameRegistrationTest, RecordsMatchTheModel) {
    RegisteredRecords records;
    for (const RecordRow& row : kRecords) {
        SCOPED_TRACE(std::string(row.name));
        const Binding::TypeRecord* record = records.registry.FindByName(row.name);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(FieldsText(*record), row.fields);
        EXPECT_EQ(record->IsEnumeration(), row.defaultValue == nullptr);
        EXPECT_EQ(records.registry.FindById(record->TypeId()), record);
        EXPECT_EQ(record->Tags(), (std::vector<std::string>{"Plugins", "Plugin mox-end-of-game"}));
        for (const Binding::FieldRecord& field : record->Fields()) {
            EXPECT_EQ(field.Flags(), Binding::FieldFlags::kNone) << field.Key();
            EXPECT_EQ(field.Description(), "") << field.Key();
        }

        if (row.className.empty()) {
            EXPECT_EQ(records.classNames.FindByName(row.name), nullptr);
        } else {
            ASSERT_NE(records.classNames.FindByName(row.name), nullptr);
            EXPECT_EQ(*records.classNames.FindByName(row.name), row.className);
            ASSERT_NE(records.classNames.FindByTypeId(record->TypeId()), nullptr);
            EXPECT_EQ(*records.classNames.FindByTypeId(record->TypeId()), row.className);
        }

        if (row.defaultValue != nullptr) {
            // No field is left out of a value, however default it is.
            const BindingProperty value = row.defaultValue(records.registry);
            ASSERT_EQ(value.Kind(), Binding::BindingKind::Structure) << value.GetString();
            EXPECT_EQ(value.Size(), record->Fields().size());
            for (const Binding::FieldRecord& field : record->Fields()) {
                EXPECT_TRUE(value.HasField(field.Key())) << field.Key();
            }
        }
    }
    EXPECT_EQ(records.registry.FindByName("MoxEndOfGameEndOfGameStats")->Fields().size(), 64u);
    EXPECT_EQ(records.registry.FindByName("EndOfGameLcdsEndOfGameStats")->Fields().size(), 56u);
    EXPECT_STREQ(
        Binding::StaticType::Of<Lcds::ClientReportV1>().Name(),
        "const char *__cdecl StaticType::Name<struct Zarn::Client::EndOfGame::Lcds::ClientReportV1>(void)");
}

// A second registration keeps the records but replaces the class names.
TEST(EndOfGameRegistrationTest, RegisteringAgainKeepsRecordsAndReplacesClassNames) {
    RegisteredRecords records;
    const Binding::TypeRecord* before = records.registry.FindByName("EndOfGameLcdsSpell");
    records.classNames.Set("EndOfGameLcdsSpell", before->TypeId(), "stale");
    records.classNames.Set("EndOfGameLcdsSpell", 0, "stale");
    RegisterApiTypes(records.Context());
    RegisterLcdsTypes(records.Context());
    EXPECT_EQ(records.registry.FindByName("EndOfGameLcdsSpell"), before);
    EXPECT_EQ(before->Fields().size(), 1u);
    EXPECT_EQ(*records.classNames.FindByName("EndOfGameLcdsSpell"),
              "com.zarngames.platform.catalog.spell.Spell");
    EXPECT_EQ(*records.classNames.FindByTypeId(before->TypeId()),
              "com.zarngames.platform.catalog.spell.Spell");
}

// The optional team boost: absent gives the empty value and reads back absent; present gives all seven
// fields and reads back present.
TEST(EndOfGameRegistrationTest, TeamBoostIsOptional) {
    RegisteredRecords records;
    Api::EndOfGameStats stats;
    BindingProperty value = Testing::ToValue(records.registry, stats);
    EXPECT_TRUE(value.HasField("teamBoost"));
    EXPECT_EQ(value.Field("teamBoost").Kind(), Binding::BindingKind::Empty);

    stats.teamBoost.emplace();
    stats.teamBoost->price = 975;
    value = Testing::ToValue(records.registry, stats);
    EXPECT_EQ(value.Field("teamBoost").Size(), 7u);
    EXPECT_EQ(value.Field("teamBoost").Field("price").GetSigned(), 975);

    Api::EndOfGameStats back;
    Binding::BindingResult result;
    Binding::Assign(records.registry, value, back, "<value>", result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    ASSERT_TRUE(back.teamBoost.has_value());
    EXPECT_EQ(back.teamBoost->price, 975);

    value.WriteField("teamBoost").Reset();
    Api::EndOfGameStats withoutBoost;
    Binding::Assign(records.registry, value, withoutBoost, "<value>", result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_FALSE(withoutBoost.teamBoost.has_value());
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame
