#include "end_of_game/lcds/lcds_stats_conversion.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "binding/binding_property.h"

namespace Zarn::Client::EndOfGame {
namespace {

using Binding::BindingProperty;

constexpr std::size_t kItemSlots = 7;

template <typename T>
struct NamedValue {
    std::string_view name;
    T value;
    std::size_t order;  // position in the server's list
};

using Statistic = NamedValue<std::int64_t>;
using Statistics = std::vector<Statistic>;

// Sorts by name, keeping of each name the entry given last. Filling a structure in key order appends
// each field, where names in server order would move the fields behind every insertion.
template <typename T>
void KeepLastOfEachName(std::vector<NamedValue<T>>& entries) {
    std::sort(entries.begin(), entries.end(), [](const NamedValue<T>& a, const NamedValue<T>& b) {
        return a.name != b.name ? a.name < b.name : a.order < b.order;
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 1 < entries.size() && entries[i + 1].name == entries[i].name) continue;
        entries[kept++] = entries[i];
    }
    entries.resize(kept);
}

// The slot of "ITEM0".."ITEM6", or kItemSlots for any other name.
std::size_t ItemSlot(std::string_view name) {
    if (name.size() != 5 || name.substr(0, 4) != "ITEM" || name[4] < '0' || name[4] > '6') return kItemSlots;
    return static_cast<std::size_t>(name[4] - '0');
}

std::int64_t WrappingSum(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// The player without its team sums; its statistics, in key order without the item slots, are left in
// `statistics`.
Api::EndOfGamePlayer ConvertPlayer(const Lcds::PlayerParticipantStatsSummary& summary,
                                   Statistics& statistics) {
    Api::EndOfGamePlayer player;
    player.botPlayer = summary.botPlayer;
    player.elo = summary.elo;
    player.eloChange = summary.eloChange;
    player.gameId = summary.gameId;
    player.leaver = summary.leaver;
    player.leaves = summary.leaves;
    player.level = summary.level;
    player.losses = summary.losses;
    player.profileIconId = summary.profileIconId;
    player.skinName = summary.skinName;
    player.spell1Id = summary.spell1Id;
    player.spell2Id = summary.spell2Id;
    player.summonerName = summary.summonerName;
    player.teamId = summary.teamId;
    player.userId = summary.userId;
    player.wins = summary.wins;
    player.skinIndex = summary.skinIndex;
    player.summonerId = summary.userId;

    statistics.clear();
    statistics.reserve(summary.statistics.size());
    for (const Lcds::RawStatDTO& raw : summary.statistics) {
        statistics.push_back({raw.statTypeName, raw.value, statistics.size()});
    }
    KeepLastOfEachName(statistics);

    // The item slots never become statistics, so they never reach the sums either.
    player.items.assign(kItemSlots, 0);
    std::size_t kept = 0;
    for (const Statistic& statistic : statistics) {
        const std::size_t slot = ItemSlot(statistic.name);
        if (slot < kItemSlots) {
            player.items[slot] = static_cast<std::int32_t>(static_cast<std::uint32_t>(statistic.value));
            continue;
        }
        player.stats.WriteField(statistic.name).SetSigned(statistic.value);
        statistics[kept++] = statistic;
    }
    statistics.resize(kept);
    return player;
}

// One key-ordered list of the sums of two, each without repeated names.
Statistics MergeSums(const Statistics& a, const Statistics& b) {
    Statistics merged;
    merged.reserve(a.size() + b.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i].name < b[j].name)) {
            merged.push_back(a[i++]);
        } else if (i == a.size() || b[j].name < a[i].name) {
            merged.push_back(b[j++]);
        } else {
            merged.push_back({a[i].name, WrappingSum(a[i].value, b[j].value), 0});
            ++i;
            ++j;
        }
    }
    return merged;
}

// The players' lists merged pairwise, so P players with T statistics in all cost T log P whatever the
// names.
Statistics SumPlayers(std::vector<Statistics>& players) {
    if (players.empty()) return {};
    while (players.size() > 1) {
        std::vector<Statistics> next;
        next.reserve((players.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < players.size(); i += 2)
            next.push_back(MergeSums(players[i], players[i + 1]));
        if (players.size() % 2 != 0) next.push_back(std::move(players.back()));
        players = std::move(next);
    }
    return std::move(players.front());
}

}  // namespace

Api::EndOfGamePlayer ConvertLcdsPlayer(Api::EndOfGameTeam& team,
                                       const Lcds::PlayerParticipantStatsSummary& summary) {
    Statistics added;
    Api::EndOfGamePlayer player = ConvertPlayer(summary, added);
    if (added.empty()) return player;

    // One merge of two key-ordered lists: fields the player lacks are kept as they are.
    const std::span<const Binding::BindingField> existing = team.stats.Fields();
    BindingProperty merged;
    merged.MakeStructure();
    std::size_t e = 0;
    for (const Statistic& statistic : added) {
        for (; e < existing.size() && existing[e].Name() < statistic.name; ++e) {
            merged.WriteField(existing[e].Name()) = existing[e].Value();
        }
        std::int64_t sum = statistic.value;
        if (e < existing.size() && existing[e].Name() == statistic.name) {
            sum = WrappingSum(existing[e].Value().AsSigned(), statistic.value);
            ++e;
        }
        merged.WriteField(statistic.name).SetSigned(sum);
    }
    for (; e < existing.size(); ++e) merged.WriteField(existing[e].Name()) = existing[e].Value();
    team.stats = std::move(merged);
    return player;
}

Api::EndOfGameTeam ConvertLcdsTeam(const Lcds::TeamInfo& info,
                                   const std::vector<Lcds::PlayerParticipantStatsSummary>& players) {
    Api::EndOfGameTeam team;
    team.memberStatusString = info.memberStatusString;
    team.name = info.name;
    team.tag = info.tag;
    team.fullId = info.teamId.fullId;
    if (players.empty()) return team;

    // The same sums as adding player by player, since the sum wraps: they do not depend on the order.
    std::vector<Statistics> statistics(players.size());
    team.players.reserve(players.size());
    for (std::size_t i = 0; i < players.size(); ++i)
        team.players.push_back(ConvertPlayer(players[i], statistics[i]));
    for (const Statistic& sum : SumPlayers(statistics)) team.stats.WriteField(sum.name).SetSigned(sum.value);
    team.teamId = players.front().teamId;
    team.isWinningTeam = team.stats.HasField("WIN");
    return team;
}

void ConvertLcdsEndOfGameStats(Api::EndOfGameStats& target, const Lcds::EndOfGameStats& source) {
    target.difficulty = source.difficulty;
    target.gameId = source.gameId;
    target.gameLength = static_cast<std::int32_t>(source.gameLength);
    target.gameMode = source.gameMode;
    target.gameMutators = source.gameMutators;
    target.gameType = source.gameType;
    target.imbalancedTeamsNoPoints = source.imbalancedTeamsNoPoints;
    target.invalid = source.invalid;
    target.queueType = source.queueType;
    target.ranked = source.ranked;
    target.reportGameId = source.reportGameId;
    target.roomName = source.roomName;
    target.roomPassword = source.roomPassword;
    target.sendStatsToTournamentProvider = source.sendStatsToTournamentProvider;

    target.teams.reserve(2);
    target.teams.push_back(ConvertLcdsTeam(source.myTeamInfo, source.teamPlayerParticipantStats));
    target.teams.push_back(ConvertLcdsTeam(source.otherTeamInfo, source.otherTeamPlayerParticipantStats));
    Api::EndOfGameTeam& mine = target.teams[0];
    Api::EndOfGameTeam& other = target.teams[1];
    mine.isPlayerTeam = true;
    if (other.teamId == 0) {
        switch (mine.teamId) {
            case 1:
                other.teamId = 2;
                break;
            case 2:
                other.teamId = 1;
                break;
            case 100:
                other.teamId = 200;
                break;
            case 200:
                other.teamId = 100;
                break;
            default:
                break;
        }
    }
    if (mine.teamId < other.teamId) {
        mine.isBottomTeam = true;
    } else {
        other.isBottomTeam = true;
    }

    target.myTeamStatus = source.myTeamStatus;
    target.elo = source.elo;
    target.eloChange = source.eloChange;

    target.newSpells.reserve(source.newSpells.size());
    for (const Lcds::Spell& spell : source.newSpells) target.newSpells.push_back(spell.spellId);

    target.zpEarned = source.zpEarned;
    target.skinIndex = source.skinIndex;
    target.summonerName = source.summonerName;
    target.talentPointsGained = source.talentPointsGained;
    target.userId = source.userId;
    target.accountId = source.userId;
    target.basePoints = source.basePoints;
    target.battleBoostIpEarned = source.battleBoostIpEarned;
    target.boostIpEarned = source.boostIpEarned;
    target.firstWinBonus = source.firstWinBonus;
    target.ipEarned = source.ipEarned;
    target.ipTotal = source.ipTotal;
    target.loyaltyBoostIpEarned = source.loyaltyBoostIpEarned;
    target.vornBonusIp = source.vornBonusIp;
    target.partyRewardsBonusIpEarned = source.partyRewardsBonusIpEarned;

    std::vector<NamedValue<double>> penalties;
    penalties.reserve(source.pointsPenalties.size());
    for (const Lcds::PointsPenalty& penalty : source.pointsPenalties) {
        penalties.push_back({penalty.type, penalty.penalty, penalties.size()});
    }
    KeepLastOfEachName(penalties);
    for (const NamedValue<double>& penalty : penalties) {
        target.pointsPenalties.WriteField(penalty.name).SetFloat(penalty.value);
    }

    target.queueBonusEarned = source.queueBonusEarned;
    target.boostXpEarned = source.boostXpEarned;
    target.completionBonusPoints = source.completionBonusPoints;
    target.experienceEarned = source.experienceEarned;
    target.experienceTotal = source.experienceTotal;
    target.loyaltyBoostXpEarned = source.loyaltyBoostXpEarned;
    target.leveledUp = source.leveledUp;
    target.coOpVsAiMinutesLeftToday = source.coOpVsAiMinutesLeftToday;
    target.coOpVsAiMsecsUntilReset = source.coOpVsAiMsecsUntilReset;
    target.customMinutesLeftToday = source.customMinutesLeftToday;
    target.customMsecsUntilReset = source.customMsecsUntilReset;
    target.timeUntilNextFirstWinBonus = source.timeUntilNextFirstWinBonus;
    target.causedEarlySurrender = source.causedEarlySurrender;
    target.earlySurrenderAccomplice = source.earlySurrenderAccomplice;
    target.teamEarlySurrendered = source.teamEarlySurrendered;
    target.gameEndedInEarlySurrender = source.gameEndedInEarlySurrender;
}

}  // namespace Zarn::Client::EndOfGame
