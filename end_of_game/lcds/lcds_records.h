// The game server's LCDS classes that the end-of-game plugin exchanges, mirrored as native records: the
// end-of-game statistics message and its parts, the game state message, the dialog messages of champion
// mastery and the report argument. Values arriving from the host are converted into them by field key,
// and outgoing call arguments converted from them, through the registrations of lcds_registration.h.
// The spectator service's statistics document has the keys of Lcds::EndOfGameStats and is read into it.
//
// Member names are the server's keys, declared in registration order. A new record is all zeros, false
// and empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binding/static_type.h"

namespace Zarn::Client::EndOfGame::Lcds {

// Registered only; nothing sends or receives it.
struct HarassmentReport {
    std::uint64_t gameId = 0;
    std::string reportSource;
    std::uint64_t reportingSummonerId = 0;
    std::uint64_t reportedSummonerId = 0;
    std::string offense;
    std::string comment;
};

// The argument of the report call.
struct ClientReportV1 {
    std::uint64_t offenderSummonerId = 0;
    std::uint64_t gameId = 0;
    std::string offenses;
    std::string comments;
};

struct PointsPenalty {
    std::string type;
    double penalty = 0;
};

struct Spell {
    std::int32_t spellId = 0;
};

struct TeamId {
    std::string fullId;
};

struct TeamInfo {
    TeamId teamId;
    std::string name;
    std::string tag;
    std::int64_t secondsUntilEligibleForDeletion = 0;
    std::string memberStatusString;
};

// One named statistic of a player; the item slots are "ITEM0" to "ITEM6".
struct RawStatDTO {
    std::int64_t value = 0;
    std::string statTypeName;
};

struct PlayerParticipantStatsSummary {
    std::int32_t level = 0;
    std::uint64_t userId = 0;
    std::int32_t teamId = 0;
    std::uint64_t gameId = 0;
    bool leaver = false;
    std::string summonerName;
    std::string skinName;
    std::int32_t profileIconId = 0;
    std::int32_t wins = 0;
    std::int32_t leaves = 0;
    std::int32_t losses = 0;
    std::int32_t eloChange = 0;
    std::int32_t elo = 0;
    bool botPlayer = false;
    std::int32_t spell1Id = 0;
    std::int32_t spell2Id = 0;
    std::int32_t championId = 0;
    std::int32_t skinIndex = 0;
    std::vector<RawStatDTO> statistics;
};

// The end-of-game statistics message (and the spectator service's document).
struct EndOfGameStats {
    std::string difficulty;
    std::uint64_t gameId = 0;
    std::uint32_t gameLength = 0;
    std::string gameMode;
    std::vector<std::string> gameMutators;
    std::string gameType;
    bool imbalancedTeamsNoPoints = false;
    bool invalid = false;
    std::string queueType;
    bool ranked = false;
    std::uint64_t reportGameId = 0;
    std::string roomName;
    std::string roomPassword;
    bool sendStatsToTournamentProvider = false;
    TeamInfo myTeamInfo;
    TeamInfo otherTeamInfo;
    std::vector<PlayerParticipantStatsSummary> teamPlayerParticipantStats;
    std::vector<PlayerParticipantStatsSummary> otherTeamPlayerParticipantStats;
    std::string myTeamStatus;
    std::int32_t elo = 0;
    std::int32_t eloChange = 0;
    bool leveledUp = false;
    std::vector<Spell> newSpells;
    std::uint64_t previousLevel = 0;
    std::int32_t zpEarned = 0;
    std::int32_t skinIndex = 0;
    std::int32_t skinId = 0;
    std::string summonerName;
    std::int32_t talentPointsGained = 0;
    std::uint64_t userId = 0;
    std::int32_t basePoints = 0;
    std::int32_t battleBoostIpEarned = 0;
    std::int32_t boostIpEarned = 0;
    std::int32_t firstWinBonus = 0;
    std::int32_t ipEarned = 0;
    std::int32_t ipTotal = 0;
    std::int32_t loyaltyBoostIpEarned = 0;
    std::int32_t vornBonusIp = 0;
    std::int32_t partyRewardsBonusIpEarned = 0;
    std::vector<PointsPenalty> pointsPenalties;
    std::int32_t queueBonusEarned = 0;
    std::int32_t boostXpEarned = 0;
    std::int32_t completionBonusPoints = 0;
    std::int32_t experienceEarned = 0;
    std::int32_t experienceTotal = 0;
    std::int32_t loyaltyBoostXpEarned = 0;
    std::uint64_t previousXpTotal = 0;
    std::int32_t coOpVsAiMinutesLeftToday = 0;
    std::int32_t coOpVsAiMsecsUntilReset = 0;
    std::int32_t customMinutesLeftToday = 0;
    std::int32_t customMsecsUntilReset = 0;
    std::int32_t timeUntilNextFirstWinBonus = 0;
    bool causedEarlySurrender = false;
    bool earlySurrenderAccomplice = false;
    bool teamEarlySurrendered = false;
    bool gameEndedInEarlySurrender = false;
};

struct PlayerParticipant {
    std::uint64_t summonerId = 0;
};

struct BannedChampion {
    std::int32_t championId = 0;
    std::int32_t teamId = 0;
    std::int32_t pickTurn = 0;
};

// The game state message; "TERMINATED" and "TERMINATED_IN_ERROR" end the game.
struct GameDTO {
    std::uint64_t id = 0;
    std::string gameState;
    std::vector<PlayerParticipant> teamOne;
    std::vector<PlayerParticipant> teamTwo;
    std::vector<BannedChampion> bannedChampions;
};

struct SimpleDialogMessage {
    std::uint64_t accountId = 0;
    std::string msgId;
    std::string type;
    std::vector<std::string> params;
};

struct SimpleDialogMessageResponse {
    std::uint64_t accountId = 0;
    std::string msgId;
    std::string command;
};

}  // namespace Zarn::Client::EndOfGame::Lcds

namespace Zarn::Binding::detail {

// The report argument is named in failure messages the way the host's tools have always shown it,
// whichever compiler built the plugin.
template <>
constexpr std::string_view TypeSpelling<Client::EndOfGame::Lcds::ClientReportV1>() {
    return "struct Zarn::Client::EndOfGame::Lcds::ClientReportV1";
}

}  // namespace Zarn::Binding::detail
