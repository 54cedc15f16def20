#include "end_of_game/lcds/lcds_registration.h"

#include "binding/static_type.h"
#include "end_of_game/lcds/lcds_records.h"

namespace Zarn::Client::EndOfGame {
namespace {

// The class names go in first and unconditionally, so they are replaced even where the record itself
// was registered before.
template <typename S>
Binding::StructRegistration<S> Record(const RegistrationContext& context, std::string_view name,
                                      std::string_view className) {
    if (context.setLcdsClassName) {
        context.setLcdsClassName(name, Binding::StaticType::Of<S>().Id(), className);
    }
    return RegisterTaggedStruct<S>(context, name);
}

}  // namespace

void RegisterLcdsTypes(const RegistrationContext& context) {
    using namespace Lcds;

    Record<HarassmentReport>(context, "EndOfGameLcdsHarassmentReport",
                             "com.zarngames.platform.harassment.HarassmentReport")
        .Field("gameId", &HarassmentReport::gameId)
        .Field("reportSource", &HarassmentReport::reportSource)
        .Field("reportingSummonerId", &HarassmentReport::reportingSummonerId)
        .Field("reportedSummonerId", &HarassmentReport::reportedSummonerId)
        .Field("offense", &HarassmentReport::offense)
        .Field("comment", &HarassmentReport::comment);

    Record<ClientReportV1>(context, "EndOfGameLcdsClientReportV1",
                           "com.zarngames.platform.loopbackservices.reports.ClientReportV1")
        .Field("offenderSummonerId", &ClientReportV1::offenderSummonerId)
        .Field("gameId", &ClientReportV1::gameId)
        .Field("offenses", &ClientReportV1::offenses)
        .Field("comments", &ClientReportV1::comments);

    Record<PointsPenalty>(context, "EndOfGameLcdsPointsPenalty",
                          "com.zarngames.platform.statistics.PointsPenalty")
        .Field("type", &PointsPenalty::type)
        .Field("penalty", &PointsPenalty::penalty);

    Record<Spell>(context, "EndOfGameLcdsSpell", "com.zarngames.platform.catalog.spell.Spell")
        .Field("spellId", &Spell::spellId);

    Record<TeamId>(context, "EndOfGameLcdsTeamId", "com.zarngames.team.TeamId")
        .Field("fullId", &TeamId::fullId);

    Record<TeamInfo>(context, "EndOfGameLcdsTeamInfo", "com.zarngames.team.TeamInfo")
        .Field("teamId", &TeamInfo::teamId)
        .Field("name", &TeamInfo::name)
        .Field("tag", &TeamInfo::tag)
        .Field("secondsUntilEligibleForDeletion", &TeamInfo::secondsUntilEligibleForDeletion)
        .Field("memberStatusString", &TeamInfo::memberStatusString);

    Record<RawStatDTO>(context, "EndOfGameLcdsRawStatDTO", "com.zarngames.platform.statistics.RawStatDTO")
        .Field("value", &RawStatDTO::value)
        .Field("statTypeName", &RawStatDTO::statTypeName);

    using Summary = PlayerParticipantStatsSummary;
    Record<Summary>(context, "EndOfGameLcdsPlayerParticipantStatsSummary",
                    "com.zarngames.platform.statistics.PlayerParticipantStatsSummary")
        .Field("level", &Summary::level)
        .Field("userId", &Summary::userId)
        .Field("teamId", &Summary::teamId)
        .Field("gameId", &Summary::gameId)
        .Field("leaver", &Summary::leaver)
        .Field("summonerName", &Summary::summonerName)
        .Field("skinName", &Summary::skinName)
        .Field("profileIconId", &Summary::profileIconId)
        .Field("wins", &Summary::wins)
        .Field("leaves", &Summary::leaves)
        .Field("losses", &Summary::losses)
        .Field("eloChange", &Summary::eloChange)
        .Field("elo", &Summary::elo)
        .Field("botPlayer", &Summary::botPlayer)
        .Field("spell1Id", &Summary::spell1Id)
        .Field("spell2Id", &Summary::spell2Id)
        .Field("championId", &Summary::championId)
        .Field("skinIndex", &Summary::skinIndex)
        .Field("statistics", &Summary::statistics);

    Record<EndOfGameStats>(context, "EndOfGameLcdsEndOfGameStats",
                           "com.zarngames.platform.statistics.EndOfGameStats")
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
        .Field("myTeamInfo", &EndOfGameStats::myTeamInfo)
        .Field("otherTeamInfo", &EndOfGameStats::otherTeamInfo)
        .Field("teamPlayerParticipantStats", &EndOfGameStats::teamPlayerParticipantStats)
        .Field("otherTeamPlayerParticipantStats", &EndOfGameStats::otherTeamPlayerParticipantStats)
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
        .Field("loyaltyBoostXpEarned", &EndOfGameStats::loyaltyBoostXpEarned)
        .Field("previousXpTotal", &EndOfGameStats::previousXpTotal)
        .Field("coOpVsAiMinutesLeftToday", &EndOfGameStats::coOpVsAiMinutesLeftToday)
        .Field("coOpVsAiMsecsUntilReset", &EndOfGameStats::coOpVsAiMsecsUntilReset)
        .Field("customMinutesLeftToday", &EndOfGameStats::customMinutesLeftToday)
        .Field("customMsecsUntilReset", &EndOfGameStats::customMsecsUntilReset)
        .Field("timeUntilNextFirstWinBonus", &EndOfGameStats::timeUntilNextFirstWinBonus)
        .Field("causedEarlySurrender", &EndOfGameStats::causedEarlySurrender)
        .Field("earlySurrenderAccomplice", &EndOfGameStats::earlySurrenderAccomplice)
        .Field("teamEarlySurrendered", &EndOfGameStats::teamEarlySurrendered)
        .Field("gameEndedInEarlySurrender", &EndOfGameStats::gameEndedInEarlySurrender);

    Record<PlayerParticipant>(context, "PlayerParticipant", "com.zarngames.platform.game.PlayerParticipant")
        .Field("summonerId", &PlayerParticipant::summonerId);

    Record<BannedChampion>(context, "BannedChampion", "com.zarngames.platform.game.BannedChampion")
        .Field("championId", &BannedChampion::championId)
        .Field("teamId", &BannedChampion::teamId)
        .Field("pickTurn", &BannedChampion::pickTurn);

    Record<GameDTO>(context, "EogLcdsGameDTO", "com.zarngames.platform.game.GameDTO")
        .Field("id", &GameDTO::id)
        .Field("gameState", &GameDTO::gameState)
        .Field("teamOne", &GameDTO::teamOne)
        .Field("teamTwo", &GameDTO::teamTwo)
        .Field("bannedChampions", &GameDTO::bannedChampions);

    Record<SimpleDialogMessage>(context, "SimpleDialogMessage",
                                "com.zarngames.platform.messaging.persistence.SimpleDialogMessage")
        .Field("accountId", &SimpleDialogMessage::accountId)
        .Field("msgId", &SimpleDialogMessage::msgId)
        .Field("type", &SimpleDialogMessage::type)
        .Field("params", &SimpleDialogMessage::params);

    Record<SimpleDialogMessageResponse>(
        context, "SimpleDialogMessageResponse",
        "com.zarngames.platform.messaging.persistence.SimpleDialogMessageResponse")
        .Field("accountId", &SimpleDialogMessageResponse::accountId)
        .Field("msgId", &SimpleDialogMessageResponse::msgId)
        .Field("command", &SimpleDialogMessageResponse::command);
}

}  // namespace Zarn::Client::EndOfGame
