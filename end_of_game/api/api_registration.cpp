#include "end_of_game/api/api_registration.h"

#include <string>

#include "end_of_game/api/consumed_records.h"
#include "end_of_game/api/end_of_game_records.h"

namespace Zarn::Client::EndOfGame {
namespace {

// Marks the one optional field of the model.
constexpr std::uint8_t kOptionalField = 1;

template <typename S>
Binding::StructRegistration<S> Record(const RegistrationContext& context, std::string_view localName) {
    return RegisterTaggedStruct<S>(context, context.apiNamePrefix + std::string(localName));
}

template <typename E>
Binding::EnumRegistration<E> Enum(const RegistrationContext& context, std::string_view localName) {
    return RegisterTaggedEnum<E>(context, context.apiNamePrefix + std::string(localName));
}

}  // namespace

void RegisterApiTypes(const RegistrationContext& context) {
    using namespace Api;
    using Binding::FieldFlags;

    Record<TeamBoost>(context, "EndOfGameTeamBoost")
        .Field("summonerName", &TeamBoost::summonerName)
        .Field("skinUnlockMode", &TeamBoost::skinUnlockMode)
        .Field("price", &TeamBoost::price)
        .Field("ipReward", &TeamBoost::ipReward)
        .Field("ipRewardForPurchaser", &TeamBoost::ipRewardForPurchaser)
        .Field("availableSkins", &TeamBoost::availableSkins)
        .Field("unlocked", &TeamBoost::unlocked);

    Record<ZMSMessage>(context, "ZMSMessage")
        .Field("timestamp", &ZMSMessage::timestamp)
        .Field("payload", &ZMSMessage::payload);

    Record<EndOfGamePlayerComplaintV2>(context, "EndOfGamePlayerComplaintV2")
        .Field("gameId", &EndOfGamePlayerComplaintV2::gameId)
        .Field("reportedSummonerId", &EndOfGamePlayerComplaintV2::reportedSummonerId)
        .Field("offenses", &EndOfGamePlayerComplaintV2::offenses)
        .Field("comment", &EndOfGamePlayerComplaintV2::comment);

    Record<EndOfGamePlayer>(context, "EndOfGamePlayer")
        .Field("stats", &EndOfGamePlayer::stats)
        .Field("items", &EndOfGamePlayer::items)
        .Field("botPlayer", &EndOfGamePlayer::botPlayer)
        .Field("championId", &EndOfGamePlayer::championId)
        .Field("elo", &EndOfGamePlayer::elo)
        .Field("eloChange", &EndOfGamePlayer::eloChange)
        .Field("isReportingDisabled", &EndOfGamePlayer::isReportingDisabled)
        .Field("gameId", &EndOfGamePlayer::gameId)
        .Field("leaver", &EndOfGamePlayer::leaver)
        .Field("leaves", &EndOfGamePlayer::leaves)
        .Field("level", &EndOfGamePlayer::level)
        .Field("losses", &EndOfGamePlayer::losses)
        .Field("profileIconId", &EndOfGamePlayer::profileIconId)
        .Field("skinName", &EndOfGamePlayer::skinName)
        .Field("spell1Id", &EndOfGamePlayer::spell1Id)
        .Field("spell2Id", &EndOfGamePlayer::spell2Id)
        .Field("summonerName", &EndOfGamePlayer::summonerName)
        .Field("teamId", &EndOfGamePlayer::teamId)
        .Field("userId", &EndOfGamePlayer::userId)
        .Field("wins", &EndOfGamePlayer::wins)
        .Field("summonerId", &EndOfGamePlayer::summonerId)
        .Field("skinIndex", &EndOfGamePlayer::skinIndex);

    Record<EndOfGameTeam>(context, "EndOfGameTeam")
        .Field("stats", &EndOfGameTeam::stats)
        .Field("players", &EndOfGameTeam::players)
        .Field("memberStatusString", &EndOfGameTeam::memberStatusString)
        .Field("name", &EndOfGameTeam::name)
        .Field("tag", &EndOfGameTeam::tag)
        .Field("fullId", &EndOfGameTeam::fullId)
        .Field("teamId", &EndOfGameTeam::teamId)
        .Field("isBottomTeam", &EndOfGameTeam::isBottomTeam)
        .Field("isPlayerTeam", &EndOfGameTeam::isPlayerTeam)
        .Field("isWinningTeam", &EndOfGameTeam::isWinningTeam)
        .Field("championBans", &EndOfGameTeam::championBans);

    Record<EndOfGamePoints>(context, "EndOfGamePoints")
        .Field("pointChangeFromChampionsOwned", &EndOfGamePoints::pointChangeFromChampionsOwned)
        .Field("pointChangeFromGameplay", &EndOfGamePoints::pointChangeFromGameplay)
        .Field("pointsUsed", &EndOfGamePoints::pointsUsed)
        .Field("previousPoints", &EndOfGamePoints::previousPoints)
        .Field("pointsUntilNextReroll", &EndOfGamePoints::pointsUntilNextReroll)
        .Field("rerollCount", &EndOfGamePoints::rerollCount)
        .Field("totalPoints", &EndOfGamePoints::totalPoints);

    Record<EndOfGameStats>(context, "EndOfGameStats")
        .Field("difficulty", &EndOfGameStats::difficulty)
        .Field("gameId", &EndOfGameStats::gameId)
        .Field("gameLength", &EndOfGameStats::gameLength)
        .Field("gameMode", &EndOfGameStats::gameMode)
        .Field("gameMutators", &EndOfGameStats::gameMutators)
        .Field("gameType", &EndOfGameStats::gameType)
        .Field("imbalancedTeamsNoPoints", &EndOfGameStats::imbalancedTeamsNoPoints)
        .Field("invalid", &EndOfGameStats::invalid)
        .Field("queueType", &EndOfGameStats::queueType)
        .Field("ranked", &EndOfGameStats::ranked)
        .Field("reportGameId", &EndOfGameStats::reportGameId)
        .Field("roomName", &EndOfGameStats::roomName)
        .Field("roomPassword", &EndOfGameStats::roomPassword)
        .Field("sendStatsToTournamentProvider", &EndOfGameStats::sendStatsToTournamentProvider)
        .Field("teams", &EndOfGameStats::teams)
        .Field("myTeamStatus", &EndOfGameStats::myTeamStatus)
        .Field("elo", &EndOfGameStats::elo)
        .Field("eloChange", &EndOfGameStats::eloChange)
        .Field("leveledUp", &EndOfGameStats::leveledUp)
        .Field("newSpells", &EndOfGameStats::newSpells)
        .Field("previousLevel", &EndOfGameStats::previousLevel)
        .Field("zpEarned", &EndOfGameStats::zpEarned)
        .Field("skinIndex", &EndOfGameStats::skinIndex)
        .Field("skinId", &EndOfGameStats::skinId)
        .Field("summonerName", &EndOfGameStats::summonerName)
        .Field("talentPointsGained", &EndOfGameStats::talentPointsGained)
        .Field("userId", &EndOfGameStats::userId)
        .Field("accountId", &EndOfGameStats::accountId)
        .Field("summonerId", &EndOfGameStats::summonerId)
        .Field("championId", &EndOfGameStats::championId)
        .Field("basePoints", &EndOfGameStats::basePoints)
        .Field("battleBoostIpEarned", &EndOfGameStats::battleBoostIpEarned)
        .Field("boostIpEarned", &EndOfGameStats::boostIpEarned)
        .Field("firstWinBonus", &EndOfGameStats::firstWinBonus)
        .Field("ipEarned", &EndOfGameStats::ipEarned)
        .Field("ipTotal", &EndOfGameStats::ipTotal)
        .Field("loyaltyBoostIpEarned", &EndOfGameStats::loyaltyBoostIpEarned)
        .Field("vornBonusIp", &EndOfGameStats::vornBonusIp)
        .Field("partyRewardsBonusIpEarned", &EndOfGameStats::partyRewardsBonusIpEarned)
        .Field("pointsPenalties", &EndOfGameStats::pointsPenalties)
        .Field("queueBonusEarned", &EndOfGameStats::queueBonusEarned)
        .Field("boostXpEarned", &EndOfGameStats::boostXpEarned)
        .Field("completionBonusPoints", &EndOfGameStats::completionBonusPoints)
        .Field("experienceEarned", &EndOfGameStats::experienceEarned)
        .Field("experienceTotal", &EndOfGameStats::experienceTotal)
        .Field("globalBoostXpEarned", &EndOfGameStats::globalBoostXpEarned)
        .Field("loyaltyBoostXpEarned", &EndOfGameStats::loyaltyBoostXpEarned)
        .Field("missionsXpEarned", &EndOfGameStats::missionsXpEarned)
        .Field("previousXpTotal", &EndOfGameStats::previousXpTotal)
        .Field("nextLevelXp", &EndOfGameStats::nextLevelXp)
        .Field("currentLevel", &EndOfGameStats::currentLevel)
        .Field("preLevelUpExperienceTotal", &EndOfGameStats::preLevelUpExperienceTotal)
        .Field("preLevelUpNextLevelXp", &EndOfGameStats::preLevelUpNextLevelXp)
        .Field("coOpVsAiMinutesLeftToday", &EndOfGameStats::coOpVsAiMinutesLeftToday)
        .Field("coOpVsAiMsecsUntilReset", &EndOfGameStats::coOpVsAiMsecsUntilReset)
        .Field("customMinutesLeftToday", &EndOfGameStats::customMinutesLeftToday)
        .Field("customMsecsUntilReset", &EndOfGameStats::customMsecsUntilReset)
        .Field("timeUntilNextFirstWinBonus", &EndOfGameStats::timeUntilNextFirstWinBonus)
        .Field("causedEarlySurrender", &EndOfGameStats::causedEarlySurrender)
        .Field("earlySurrenderAccomplice", &EndOfGameStats::earlySurrenderAccomplice)
        .Field("teamEarlySurrendered", &EndOfGameStats::teamEarlySurrendered)
        .Field("gameEndedInEarlySurrender", &EndOfGameStats::gameEndedInEarlySurrender)
        .Field("rerollData", &EndOfGameStats::rerollData)
        .Field("teamBoost", &EndOfGameStats::teamBoost, {}, FieldFlags::kNone, kOptionalField);

    Record<EndOfGameVictoriousComrade>(context, "EndOfGameVictoriousComrade")
        .Field("summonerId", &EndOfGameVictoriousComrade::summonerId)
        .Field("summonerName", &EndOfGameVictoriousComrade::summonerName);

    Record<GameflowAvailability>(context, "GameflowAvailability")
        .Field("state", &GameflowAvailability::state);

    Enum<GameflowPhase>(context, "GameflowPhase")
        .Value("None", GameflowPhase::None)
        .Value("Lobby", GameflowPhase::Lobby)
        .Value("Matchmaking", GameflowPhase::Matchmaking)
        .Value("CheckedIntoTournament", GameflowPhase::CheckedIntoTournament)
        .Value("ReadyCheck", GameflowPhase::ReadyCheck)
        .Value("ChampSelect", GameflowPhase::ChampSelect)
        .Value("GameStart", GameflowPhase::GameStart)
        .Value("FailedToLaunch", GameflowPhase::FailedToLaunch)
        .Value("InProgress", GameflowPhase::InProgress)
        .Value("Reconnect", GameflowPhase::Reconnect)
        .Value("WaitingForStats", GameflowPhase::WaitingForStats)
        .Value("PreEndOfGame", GameflowPhase::PreEndOfGame)
        .Value("EndOfGame", GameflowPhase::EndOfGame)
        .Value("TerminatedInError", GameflowPhase::TerminatedInError);

    Record<GameflowClient>(context, "GameflowClient")
        .Field("observerServerIp", &GameflowClient::observerServerIp)
        .Field("observerServerPort", &GameflowClient::observerServerPort)
        .Field("running", &GameflowClient::running);

    Record<GameflowGameData>(context, "GameflowGameData").Field("gameId", &GameflowGameData::gameId);

    Record<GameflowSession>(context, "GameflowSession")
        .Field("phase", &GameflowSession::phase)
        .Field("gameClient", &GameflowSession::gameClient)
        .Field("gameData", &GameflowSession::gameData);

    Record<LobbyInvitation>(context, "LobbyInvitation").Field("state", &LobbyInvitation::state);

    Record<ChampionMasteryMini>(context, "ChampionMasteryMini")
        .Field("playerId", &ChampionMasteryMini::playerId)
        .Field("championId", &ChampionMasteryMini::championId)
        .Field("championLevel", &ChampionMasteryMini::championLevel);

    Record<ChampionMasteryGrade>(context, "ChampionMasteryGrade")
        .Field("playerId", &ChampionMasteryGrade::playerId)
        .Field("championId", &ChampionMasteryGrade::championId)
        .Field("grade", &ChampionMasteryGrade::grade);

    Record<ChampionMasteryUpdate>(context, "ChampionMasteryUpdate")
        .Field("id", &ChampionMasteryUpdate::id)
        .Field("gameId", &ChampionMasteryUpdate::gameId)
        .Field("playerId", &ChampionMasteryUpdate::playerId)
        .Field("championId", &ChampionMasteryUpdate::championId)
        .Field("hasLeveledUp", &ChampionMasteryUpdate::hasLeveledUp)
        .Field("level", &ChampionMasteryUpdate::level)
        .Field("pointsBeforeGame", &ChampionMasteryUpdate::pointsBeforeGame)
        .Field("pointsGained", &ChampionMasteryUpdate::pointsGained)
        .Field("pointsGainedIndividualContribution",
               &ChampionMasteryUpdate::pointsGainedIndividualContribution)
        .Field("bonusPointsGained", &ChampionMasteryUpdate::bonusPointsGained)
        .Field("pointsSinceLastLevelBeforeGame", &ChampionMasteryUpdate::pointsSinceLastLevelBeforeGame)
        .Field("pointsUntilNextLevelBeforeGame", &ChampionMasteryUpdate::pointsUntilNextLevelBeforeGame)
        .Field("pointsUntilNextLevelAfterGame", &ChampionMasteryUpdate::pointsUntilNextLevelAfterGame)
        .Field("grade", &ChampionMasteryUpdate::grade)
        .Field("score", &ChampionMasteryUpdate::score)
        .Field("levelUpList", &ChampionMasteryUpdate::levelUpList)
        .Field("memberGrades", &ChampionMasteryUpdate::memberGrades);

    Record<LoginSummonerLevelAndPoints>(context, "LoginSummonerLevelAndPoints")
        .Field("expPoints", &LoginSummonerLevelAndPoints::expPoints)
        .Field("expToNextLevel", &LoginSummonerLevelAndPoints::expToNextLevel)
        .Field("summonerLevel", &LoginSummonerLevelAndPoints::summonerLevel);

    Record<LoginSummonerData>(context, "LoginSummonerData")
        .Field("summonerLevelAndPoints", &LoginSummonerData::summonerLevelAndPoints);

    Record<SimpleMessage>(context, "SimpleMessage")
        .Field("accountId", &SimpleMessage::accountId)
        .Field("msgId", &SimpleMessage::msgId)
        .Field("type", &SimpleMessage::type)
        .Field("params", &SimpleMessage::params);

    Record<LoginDataPacket>(context, "LoginDataPacket")
        .Field("allSummonerData", &LoginDataPacket::allSummonerData)
        .Field("platformId", &LoginDataPacket::platformId)
        .Field("simpleMessages", &LoginDataPacket::simpleMessages);

    Enum<LoginSessionStates>(context, "LoginSessionStates")
        .Value("IN_PROGRESS", LoginSessionStates::IN_PROGRESS)
        .Value("ERROR", LoginSessionStates::ERROR)
        .Value("SUCCEEDED", LoginSessionStates::SUCCEEDED)
        .Value("LOGGING_OUT", LoginSessionStates::LOGGING_OUT);

    Record<LoginSession>(context, "LoginSession")
        .Field("state", &LoginSession::state)
        .Field("summonerId", &LoginSession::summonerId)
        .Field("accountId", &LoginSession::accountId);

    Record<GameDataChampionSummary>(context, "GameDataChampionSummary")
        .Field("id", &GameDataChampionSummary::id)
        .Field("alias", &GameDataChampionSummary::alias);

    Record<RerollDataBagForClientV1>(context, "RerollDataBagForClientV1")
        .Field("pointsGainedLastGame", &RerollDataBagForClientV1::pointsGainedLastGame)
        .Field("pointsUntilNextReroll", &RerollDataBagForClientV1::pointsUntilNextReroll)
        .Field("rerollCount", &RerollDataBagForClientV1::rerollCount)
        .Field("totalPoints", &RerollDataBagForClientV1::totalPoints)
        .Field("maximumRerolls", &RerollDataBagForClientV1::maximumRerolls)
        .Field("pointCostOfReroll", &RerollDataBagForClientV1::pointCostOfReroll);

    Record<GameloopPlayerInfoV1>(context, "GameloopPlayerInfoV1")
        .Field("rerollDataBag", &GameloopPlayerInfoV1::rerollDataBag);
}

}  // namespace Zarn::Client::EndOfGame
