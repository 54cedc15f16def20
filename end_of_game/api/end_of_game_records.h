// The records the end-of-game plugin publishes or accepts: the statistics block EndOfGameStats with its
// teams, players, reroll points and team boost, the player complaint, the victorious comrade and the
// champion-mastery records. Plain data: they are filled on the host's thread by the plugin's handlers and
// moved to and from values through the registrations of api_registration.h.
//
// Member names are the API's own keys, and members are declared in the order in which they are registered
// and converted. A new record is all zeros, false and empty; `teamBoost` alone is optional.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "binding/binding_property.h"

namespace Zarn::Client::EndOfGame::Api {

// The champion-select team boost; the plugin only stores and copies it.
struct TeamBoost {
    std::string summonerName;
    std::string skinUnlockMode;
    std::int64_t price = 0;
    std::int64_t ipReward = 0;
    std::int64_t ipRewardForPurchaser = 0;
    std::vector<std::int64_t> availableSkins;
    bool unlocked = false;
};

struct EndOfGamePlayerComplaintV2 {
    std::uint64_t gameId = 0;
    std::uint64_t reportedSummonerId = 0;
    std::string offenses;
    std::string comment;
};

struct EndOfGamePlayer {
    // Statistic name -> "signed" value, without the item slots.
    Binding::BindingProperty stats;
    std::vector<std::int32_t> items;
    bool botPlayer = false;
    std::int32_t championId = 0;
    std::int32_t elo = 0;
    std::int32_t eloChange = 0;
    bool isReportingDisabled = false;
    std::uint64_t gameId = 0;
    bool leaver = false;
    std::int32_t leaves = 0;
    std::int32_t level = 0;
    std::int32_t losses = 0;
    std::int32_t profileIconId = 0;
    std::string skinName;
    std::int32_t spell1Id = 0;
    std::int32_t spell2Id = 0;
    std::string summonerName;
    std::int32_t teamId = 0;
    std::uint64_t userId = 0;
    std::int32_t wins = 0;
    std::uint64_t summonerId = 0;
    std::int32_t skinIndex = 0;
};

struct EndOfGameTeam {
    // Statistic name -> "signed" sum over the team's players.
    Binding::BindingProperty stats;
    std::vector<EndOfGamePlayer> players;
    std::string memberStatusString;
    std::string name;
    std::string tag;
    std::string fullId;
    std::int32_t teamId = 0;
    bool isBottomTeam = false;
    bool isPlayerTeam = false;
    bool isWinningTeam = false;
    std::vector<std::int32_t> championBans;
};

// The local player's reroll points.
struct EndOfGamePoints {
    std::int32_t pointChangeFromChampionsOwned = 0;
    std::int32_t pointChangeFromGameplay = 0;
    std::int32_t pointsUsed = 0;
    std::int32_t previousPoints = 0;
    std::int32_t pointsUntilNextReroll = 0;
    std::int32_t rerollCount = 0;
    std::int32_t totalPoints = 0;
};

// Published at "/mox-end-of-game/v1/eog-stats-block".
struct EndOfGameStats {
    std::string difficulty;
    std::uint64_t gameId = 0;
    std::int32_t gameLength = 0;
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
    // The local player's team first.
    std::vector<EndOfGameTeam> teams;
    std::string myTeamStatus;
    std::int32_t elo = 0;
    std::int32_t eloChange = 0;
    bool leveledUp = false;
    std::vector<std::int32_t> newSpells;
    std::uint64_t previousLevel = 0;
    std::int32_t zpEarned = 0;
    std::int32_t skinIndex = 0;
    std::int32_t skinId = 0;
    std::string summonerName;
    std::int32_t talentPointsGained = 0;
    std::uint64_t userId = 0;
    std::uint64_t accountId = 0;
    std::uint64_t summonerId = 0;
    std::int32_t championId = 0;
    std::int32_t basePoints = 0;
    std::int32_t battleBoostIpEarned = 0;
    std::int32_t boostIpEarned = 0;
    std::int32_t firstWinBonus = 0;
    std::int32_t ipEarned = 0;
    std::int32_t ipTotal = 0;
    std::int32_t loyaltyBoostIpEarned = 0;
    std::int32_t vornBonusIp = 0;
    std::int32_t partyRewardsBonusIpEarned = 0;
    // Penalty type -> "float" penalty; the empty value when there are none.
    Binding::BindingProperty pointsPenalties;
    std::int32_t queueBonusEarned = 0;
    std::int32_t boostXpEarned = 0;
    std::int32_t completionBonusPoints = 0;
    std::int32_t experienceEarned = 0;
    std::int32_t experienceTotal = 0;
    std::int32_t globalBoostXpEarned = 0;
    std::int32_t loyaltyBoostXpEarned = 0;
    std::int32_t missionsXpEarned = 0;
    std::uint64_t previousXpTotal = 0;
    std::uint64_t nextLevelXp = 0;
    std::uint64_t currentLevel = 0;
    std::uint64_t preLevelUpExperienceTotal = 0;
    std::uint64_t preLevelUpNextLevelXp = 0;
    std::int32_t coOpVsAiMinutesLeftToday = 0;
    std::int32_t coOpVsAiMsecsUntilReset = 0;
    std::int32_t customMinutesLeftToday = 0;
    std::int32_t customMsecsUntilReset = 0;
    std::int32_t timeUntilNextFirstWinBonus = 0;
    bool causedEarlySurrender = false;
    bool earlySurrenderAccomplice = false;
    bool teamEarlySurrendered = false;
    bool gameEndedInEarlySurrender = false;
    EndOfGamePoints rerollData;
    // Absent converts to the empty value; an empty incoming value leaves it absent.
    std::optional<TeamBoost> teamBoost;
};

// Posted to "/mox-suggested-players/v1/victorious-comrade" for each player of a winning local team.
struct EndOfGameVictoriousComrade {
    std::uint64_t summonerId = 0;
    std::string summonerName;
};

struct ChampionMasteryMini {
    std::uint64_t playerId = 0;
    std::int32_t championId = 0;
    std::int64_t championLevel = 0;
};

struct ChampionMasteryGrade {
    std::uint64_t playerId = 0;
    std::int32_t championId = 0;
    std::string grade;
};

// One entry of "/mox-end-of-game/v1/champion-mastery-updates".
struct ChampionMasteryUpdate {
    std::string id;
    std::uint64_t gameId = 0;
    std::uint64_t playerId = 0;
    std::int32_t championId = 0;
    bool hasLeveledUp = false;
    std::int64_t level = 0;
    std::int64_t pointsBeforeGame = 0;
    std::int64_t pointsGained = 0;
    std::int64_t pointsGainedIndividualContribution = 0;
    std::int64_t bonusPointsGained = 0;
    std::int64_t pointsSinceLastLevelBeforeGame = 0;
    std::int64_t pointsUntilNextLevelBeforeGame = 0;
    std::int64_t pointsUntilNextLevelAfterGame = 0;
    std::string grade;
    std::int64_t score = 0;
    std::vector<ChampionMasteryMini> levelUpList;
    std::vector<ChampionMasteryGrade> memberGrades;
};

}  // namespace Zarn::Client::EndOfGame::Api
