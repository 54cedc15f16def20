// Cost of moving one end-of-game statistics record (about 60 scalar fields, two teams of five players with
// 70 named statistics each, the shape of shared/bench-inputs/gen.py) through the binding layer the way an
// event travels: native -> value -> flat host record -> value -> native. Reports time and heap traffic
// (bytes and allocations, every malloc and operator new of the process) per round trip and per leg.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "allocation_counting.h"
#include "binding/binding_registry.h"
#include "binding/flat_binding_property.h"
#include "binding/native_conversion.h"
#include "binding/record_registration.h"

namespace {

using Zarn::Binding::BindingProperty;
using Zarn::Binding::BindingRegistry;
using Zarn::Binding::BindingResult;
using Zarn::Binding::FieldFlags;
using Zarn::Binding::RegisterStruct;

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

struct PlayerStats {
    std::int32_t level = 0;
    std::int64_t userId = 0;
    std::int32_t teamId = 0;
    std::int64_t gameId = 0;
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
    std::map<std::string, std::int64_t> statistics;
};

struct Spell {
    std::int32_t spellId = 0;
};

struct PointsPenalty {
    std::string type;
    double penalty = 0;
};

struct MatchStats {
    std::string difficulty;
    std::int64_t gameId = 0;
    std::int32_t gameLength = 0;
    std::string gameMode;
    std::vector<std::string> gameMutators;
    std::string gameType;
    bool imbalancedTeamsNoPoints = false;
    bool invalid = false;
    std::string queueType;
    bool ranked = false;
    std::int64_t reportGameId = 0;
    std::string roomName;
    std::string roomPassword;
    bool sendStatsToTournamentProvider = false;
    TeamInfo myTeamInfo;
    TeamInfo otherTeamInfo;
    std::vector<PlayerStats> teamPlayerParticipantStats;
    std::vector<PlayerStats> otherTeamPlayerParticipantStats;
    std::string myTeamStatus;
    std::int32_t elo = 0;
    std::int32_t eloChange = 0;
    bool leveledUp = false;
    std::vector<Spell> newSpells;
    std::int32_t previousLevel = 0;
    std::int32_t zpEarned = 0;
    std::int32_t skinIndex = 0;
    std::int32_t skinId = 0;
    std::string summonerName;
    std::int32_t talentPointsGained = 0;
    std::int64_t userId = 0;
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
    std::int32_t previousXpTotal = 0;
    std::int32_t coOpVsAiMinutesLeftToday = 0;
    std::int64_t coOpVsAiMsecsUntilReset = 0;
    std::int32_t customMinutesLeftToday = 0;
    std::int64_t customMsecsUntilReset = 0;
    std::int64_t timeUntilNextFirstWinBonus = 0;
    bool causedEarlySurrender = false;
    bool earlySurrenderAccomplice = false;
    bool teamEarlySurrendered = false;
    bool gameEndedInEarlySurrender = false;
};

void RegisterMatchStats(BindingRegistry& registry) {
    RegisterStruct<TeamId>(registry, "Bench.TeamId").Field("fullId", &TeamId::fullId);
    RegisterStruct<TeamInfo>(registry, "Bench.TeamInfo")
        .Field("teamId", &TeamInfo::teamId)
        .Field("name", &TeamInfo::name)
        .Field("tag", &TeamInfo::tag)
        .Field("secondsUntilEligibleForDeletion", &TeamInfo::secondsUntilEligibleForDeletion)
        .Field("memberStatusString", &TeamInfo::memberStatusString);
    RegisterStruct<PlayerStats>(registry, "Bench.PlayerStats")
        .Field("level", &PlayerStats::level)
        .Field("userId", &PlayerStats::userId)
        .Field("teamId", &PlayerStats::teamId)
        .Field("gameId", &PlayerStats::gameId)
        .Field("leaver", &PlayerStats::leaver)
        .Field("summonerName", &PlayerStats::summonerName)
        .Field("skinName", &PlayerStats::skinName)
        .Field("profileIconId", &PlayerStats::profileIconId)
        .Field("wins", &PlayerStats::wins)
        .Field("leaves", &PlayerStats::leaves)
        .Field("losses", &PlayerStats::losses)
        .Field("eloChange", &PlayerStats::eloChange)
        .Field("elo", &PlayerStats::elo)
        .Field("botPlayer", &PlayerStats::botPlayer)
        .Field("spell1Id", &PlayerStats::spell1Id)
        .Field("spell2Id", &PlayerStats::spell2Id)
        .Field("championId", &PlayerStats::championId)
        .Field("skinIndex", &PlayerStats::skinIndex)
        .Field("statistics", &PlayerStats::statistics);
    RegisterStruct<Spell>(registry, "Bench.Spell").Field("spellId", &Spell::spellId);
    RegisterStruct<PointsPenalty>(registry, "Bench.PointsPenalty")
        .Field("type", &PointsPenalty::type)
        .Field("penalty", &PointsPenalty::penalty);
    RegisterStruct<MatchStats>(registry, "Bench.MatchStats")
        .Field("difficulty", &MatchStats::difficulty)
        .Field("gameId", &MatchStats::gameId)
        .Field("gameLength", &MatchStats::gameLength)
        .Field("gameMode", &MatchStats::gameMode)
        .Field("gameMutators", &MatchStats::gameMutators)
        .Field("gameType", &MatchStats::gameType)
        .Field("imbalancedTeamsNoPoints", &MatchStats::imbalancedTeamsNoPoints)
        .Field("invalid", &MatchStats::invalid)
        .Field("queueType", &MatchStats::queueType)
        .Field("ranked", &MatchStats::ranked)
        .Field("reportGameId", &MatchStats::reportGameId)
        .Field("roomName", &MatchStats::roomName)
        .Field("roomPassword", &MatchStats::roomPassword)
        .Field("sendStatsToTournamentProvider", &MatchStats::sendStatsToTournamentProvider)
        .Field("myTeamInfo", &MatchStats::myTeamInfo)
        .Field("otherTeamInfo", &MatchStats::otherTeamInfo)
        .Field("teamPlayerParticipantStats", &MatchStats::teamPlayerParticipantStats)
        .Field("otherTeamPlayerParticipantStats", &MatchStats::otherTeamPlayerParticipantStats)
        .Field("myTeamStatus", &MatchStats::myTeamStatus)
        .Field("elo", &MatchStats::elo)
        .Field("eloChange", &MatchStats::eloChange)
        .Field("leveledUp", &MatchStats::leveledUp)
        .Field("newSpells", &MatchStats::newSpells)
        .Field("previousLevel", &MatchStats::previousLevel)
        .Field("zpEarned", &MatchStats::zpEarned)
        .Field("skinIndex", &MatchStats::skinIndex)
        .Field("skinId", &MatchStats::skinId)
        .Field("summonerName", &MatchStats::summonerName)
        .Field("talentPointsGained", &MatchStats::talentPointsGained)
        .Field("userId", &MatchStats::userId)
        .Field("basePoints", &MatchStats::basePoints)
        .Field("battleBoostIpEarned", &MatchStats::battleBoostIpEarned)
        .Field("boostIpEarned", &MatchStats::boostIpEarned)
        .Field("firstWinBonus", &MatchStats::firstWinBonus)
        .Field("ipEarned", &MatchStats::ipEarned)
        .Field("ipTotal", &MatchStats::ipTotal)
        .Field("loyaltyBoostIpEarned", &MatchStats::loyaltyBoostIpEarned)
        .Field("vornBonusIp", &MatchStats::vornBonusIp)
        .Field("partyRewardsBonusIpEarned", &MatchStats::partyRewardsBonusIpEarned)
        .Field("pointsPenalties", &MatchStats::pointsPenalties)
        .Field("queueBonusEarned", &MatchStats::queueBonusEarned)
        .Field("boostXpEarned", &MatchStats::boostXpEarned)
        .Field("completionBonusPoints", &MatchStats::completionBonusPoints)
        .Field("experienceEarned", &MatchStats::experienceEarned)
        .Field("experienceTotal", &MatchStats::experienceTotal)
        .Field("loyaltyBoostXpEarned", &MatchStats::loyaltyBoostXpEarned)
        .Field("previousXpTotal", &MatchStats::previousXpTotal)
        .Field("coOpVsAiMinutesLeftToday", &MatchStats::coOpVsAiMinutesLeftToday)
        .Field("coOpVsAiMsecsUntilReset", &MatchStats::coOpVsAiMsecsUntilReset)
        .Field("customMinutesLeftToday", &MatchStats::customMinutesLeftToday)
        .Field("customMsecsUntilReset", &MatchStats::customMsecsUntilReset)
        .Field("timeUntilNextFirstWinBonus", &MatchStats::timeUntilNextFirstWinBonus)
        .Field("causedEarlySurrender", &MatchStats::causedEarlySurrender, "", FieldFlags::kOmitWhenDefault)
        .Field("earlySurrenderAccomplice", &MatchStats::earlySurrenderAccomplice, "",
               FieldFlags::kOmitWhenDefault)
        .Field("teamEarlySurrendered", &MatchStats::teamEarlySurrendered, "", FieldFlags::kOmitWhenDefault)
        .Field("gameEndedInEarlySurrender", &MatchStats::gameEndedInEarlySurrender, "",
               FieldFlags::kOmitWhenDefault);
}

// A fixed pseudo-random sequence, so every run measures the same record.
class Sequence {
public:
    std::int64_t Next(std::int64_t low, std::int64_t high) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return low + static_cast<std::int64_t>((state_ >> 17) % static_cast<std::uint64_t>(high - low + 1));
    }
    const char* Pick(const std::vector<const char*>& options) {
        return options[static_cast<std::size_t>(Next(0, static_cast<std::int64_t>(options.size()) - 1))];
    }

private:
    std::uint64_t state_ = 1;
};

const std::vector<const char*> kNames = {"Nightfall",   "xXSlayerXx",   "Ægir the Bold", "Сергей88",
                                         "달빛 사냥꾼", "quiet storm",  "Pöbel",         "ZeroCool",
                                         "月影",        "Mr \"Quotes\""};
const std::vector<const char*> kAliases = {"Aurel",  "Brisa", "Corvo",  "Dusk", "Ember",
                                           "Fennec", "Galen", "Hollow", "Iris", "Juno"};

PlayerStats MakePlayer(Sequence& sequence, std::int32_t team, bool win) {
    PlayerStats player;
    player.level = static_cast<std::int32_t>(sequence.Next(30, 900));
    player.userId = sequence.Next(1ll << 40, (1ll << 62));
    player.teamId = team;
    player.summonerName = sequence.Pick(kNames);
    player.skinName = sequence.Pick(kAliases);
    player.profileIconId = static_cast<std::int32_t>(sequence.Next(0, 6000));
    player.wins = static_cast<std::int32_t>(sequence.Next(0, 2000));
    player.leaves = static_cast<std::int32_t>(sequence.Next(0, 3));
    player.losses = static_cast<std::int32_t>(sequence.Next(0, 2000));
    player.eloChange = static_cast<std::int32_t>(sequence.Next(-25, 25));
    player.elo = static_cast<std::int32_t>(sequence.Next(800, 2900));
    player.spell1Id = static_cast<std::int32_t>(sequence.Next(1, 14));
    player.spell2Id = static_cast<std::int32_t>(sequence.Next(1, 14));
    player.championId = static_cast<std::int32_t>(sequence.Next(1, 950));
    player.skinIndex = static_cast<std::int32_t>(sequence.Next(0, 40));
    const char* base[] = {"KILLS", "DEATHS", "ASSISTS", "GOLD_EARNED", "GOLD_SPENT", "LEVEL"};
    for (const char* name : base) player.statistics[name] = sequence.Next(0, 250);
    for (int i = 0; i < 7; ++i) player.statistics["ITEM" + std::to_string(i)] = sequence.Next(0, 60000);
    for (int i = 0; i < 56; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "STAT_%02d", i);
        player.statistics[name] = sequence.Next(0, 60000);
    }
    player.statistics[win ? "WIN" : "LOSE"] = 1;
    return player;
}

MatchStats MakeMatch() {
    Sequence sequence;
    MatchStats match;
    match.gameId = sequence.Next(6000000000, 7000000000);
    match.gameLength = static_cast<std::int32_t>(sequence.Next(900, 3000));
    match.gameMode = "STANDARD";
    match.gameMutators = {"fog", "draft"};
    match.gameType = "MATCHMADE";
    match.queueType = "RANKED_TEAM";
    match.ranked = true;
    match.reportGameId = match.gameId;
    match.roomName = "pg-" + std::to_string(sequence.Next(1000000000, 9999999999));
    match.roomPassword = "3f1c9a7e55d20b64";
    match.myTeamInfo.teamId.fullId = "TEAM-5d2e9a01";
    match.otherTeamInfo.teamId.fullId = "";
    for (int i = 0; i < 5; ++i) match.teamPlayerParticipantStats.push_back(MakePlayer(sequence, 100, true));
    for (int i = 0; i < 5; ++i)
        match.otherTeamPlayerParticipantStats.push_back(MakePlayer(sequence, 200, false));
    match.elo = static_cast<std::int32_t>(sequence.Next(800, 2900));
    match.eloChange = static_cast<std::int32_t>(sequence.Next(-25, 25));
    match.newSpells = {Spell{4}};
    match.previousLevel = static_cast<std::int32_t>(sequence.Next(30, 900));
    match.skinIndex = static_cast<std::int32_t>(sequence.Next(0, 40));
    match.summonerName = sequence.Pick(kNames);
    match.userId = sequence.Next(1ll << 40, 1ll << 62);
    match.basePoints = static_cast<std::int32_t>(sequence.Next(0, 200));
    match.ipEarned = static_cast<std::int32_t>(sequence.Next(0, 300));
    match.ipTotal = static_cast<std::int32_t>(sequence.Next(0, 100000));
    match.pointsPenalties = {PointsPenalty{"LEAVER", 1.25}};
    match.completionBonusPoints = static_cast<std::int32_t>(sequence.Next(0, 50));
    match.experienceEarned = static_cast<std::int32_t>(sequence.Next(50, 400));
    match.experienceTotal = static_cast<std::int32_t>(sequence.Next(0, 3000));
    match.previousXpTotal = static_cast<std::int32_t>(sequence.Next(0, 3000));
    match.coOpVsAiMinutesLeftToday = static_cast<std::int32_t>(sequence.Next(0, 180));
    match.coOpVsAiMsecsUntilReset = sequence.Next(0, 86400000);
    match.customMsecsUntilReset = -1;
    match.timeUntilNextFirstWinBonus = sequence.Next(0, 79200000);
    return match;
}

struct Fixture {
    Fixture() : match(MakeMatch()) { RegisterMatchStats(registry); }

    BindingRegistry registry;
    MatchStats match;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// native -> value -> flat -> value -> native; false when a step fails.
bool RoundTrip(const Fixture& fixture, MatchStats& back) {
    BindingResult result;
    BindingProperty value;
    Zarn::Binding::Convert(fixture.registry, fixture.match, value, result);
    FlatBindingProperty flat{};
    if (result.Succeeded()) result = Zarn::Binding::ToFlat(value, flat, &fixture.registry);
    BindingProperty received;
    if (result.Succeeded()) result = Zarn::Binding::FromFlat(flat, received, "<value>");
    Zarn::Binding::ReleaseFlat(flat);
    Zarn::Binding::Assign(fixture.registry, received, back, "<value>", result);
    return result.Succeeded();
}

using Zarn::Bench::AllocationCounters;

void BM_RoundTrip(benchmark::State& state) {
    const Fixture& fixture = Shared();
    {
        MatchStats check;
        BindingProperty original;
        BindingProperty again;
        BindingResult result;
        if (!RoundTrip(fixture, check)) return state.SkipWithError("round trip failed");
        Zarn::Binding::Convert(fixture.registry, fixture.match, original, result);
        Zarn::Binding::Convert(fixture.registry, check, again, result);
        if (!(original == again)) return state.SkipWithError("round trip changed the record");
    }
    AllocationCounters counters;
    for (auto _ : state) {
        MatchStats back;
        if (!RoundTrip(fixture, back)) return state.SkipWithError("round trip failed");
        benchmark::DoNotOptimize(back);
    }
    counters.Report(state);
}
BENCHMARK(BM_RoundTrip);

void BM_NativeToValue(benchmark::State& state) {
    const Fixture& fixture = Shared();
    AllocationCounters counters;
    for (auto _ : state) {
        BindingProperty value;
        BindingResult result;
        Zarn::Binding::Convert(fixture.registry, fixture.match, value, result);
        benchmark::DoNotOptimize(value);
    }
    counters.Report(state);
}
BENCHMARK(BM_NativeToValue);

void BM_ValueToNative(benchmark::State& state) {
    const Fixture& fixture = Shared();
    BindingProperty value;
    BindingResult result;
    Zarn::Binding::Convert(fixture.registry, fixture.match, value, result);
    AllocationCounters counters;
    for (auto _ : state) {
        MatchStats back;
        Zarn::Binding::Assign(fixture.registry, value, back, "<value>", result);
        benchmark::DoNotOptimize(back);
    }
    counters.Report(state);
}
BENCHMARK(BM_ValueToNative);

}  // namespace

BENCHMARK_MAIN();
