#include "end_of_game/lcds/lcds_stats_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "binding/native_conversion.h"
#include "end_of_game_test_support.h"

namespace Zarn::Client::EndOfGame {
namespace {

using Binding::BindingProperty;
using Binding::BindingResult;
using Testing::Mismatch;
using Testing::ParseJson;
using Testing::RegisteredRecords;

// Reads `input` (the server's statistics message) through the registry and reshapes it: the published
// value, or the conversion's failure message.
std::string ConvertMessage(const RegisteredRecords& records, const BindingProperty& input,
                           BindingProperty& output) {
    Lcds::EndOfGameStats source;
    BindingResult result;
    Binding::Assign(records.registry, input, source, "<result>", result);
    if (result.Failed()) return std::string(result.Message());
    Api::EndOfGameStats target;
    ConvertLcdsEndOfGameStats(target, source);
    output = Testing::ToValue(records.registry, target);
    return "";
}

// Reads {"team": EndOfGameTeam, "summary": summary} and adds one player to that team: {"team", "player"}.
std::string ConvertOnePlayer(const RegisteredRecords& records, const BindingProperty& input,
                             BindingProperty& output) {
    Api::EndOfGameTeam team;
    Lcds::PlayerParticipantStatsSummary summary;
    BindingResult result;
    Binding::Assign(records.registry, input.Field("team"), team, "team", result);
    Binding::Assign(records.registry, input.Field("summary"), summary, "summary", result);
    if (result.Failed()) return std::string(result.Message());
    const Api::EndOfGamePlayer player = ConvertLcdsPlayer(team, summary);
    output.WriteField("player") = Testing::ToValue(records.registry, player);
    output.WriteField("team") = Testing::ToValue(records.registry, team);
    return "";
}

struct ReshapingRow {
    std::string_view name;
    std::string_view input;
    // The keys it names must match; "stats" and "pointsPenalties" are compared whole.
    std::string_view expected;
    std::string_view error = {};
    bool onePlayer = false;
};

const std::vector<ReshapingRow> kReshaping = {
    {"both player lists empty", R"({})",
     R"({"teams": [{"players": [], "stats": null, "teamId": 0, "isPlayerTeam": true, "isBottomTeam": false,
                    "isWinningTeam": false},
                   {"players": [], "stats": null, "teamId": 0, "isPlayerTeam": false, "isBottomTeam": true,
                    "isWinningTeam": false}]})"},
    {"first team 200, other team empty",
     R"({"teamPlayerParticipantStats": [{"teamId": 200}], "myTeamInfo": {"name": "Ferns", "teamId": {"fullId": "F1"}},
         "otherTeamInfo": {"tag": "GH"}})",
     R"({"teams": [{"teamId": 200, "isBottomTeam": false, "name": "Ferns", "fullId": "F1"},
                   {"teamId": 100, "isBottomTeam": true, "players": [], "tag": "GH"}]})"},
    {"first team 1 gives the other 2", R"({"teamPlayerParticipantStats": [{"teamId": 1}]})",
     R"({"teams": [{"teamId": 1, "isBottomTeam": true}, {"teamId": 2, "isBottomTeam": false}]})"},
    {"first team 7 leaves the other 0", R"({"teamPlayerParticipantStats": [{"teamId": 7}]})",
     R"({"teams": [{"teamId": 7, "isBottomTeam": false}, {"teamId": 0, "isBottomTeam": true}]})"},
    {"100 versus 200",
     R"({"teamPlayerParticipantStats": [{"teamId": 100}], "otherTeamPlayerParticipantStats": [{"teamId": 200}]})",
     R"({"teams": [{"teamId": 100, "isBottomTeam": true}, {"teamId": 200, "isBottomTeam": false}]})"},
    {"WIN with value 0 still wins",
     R"({"teamPlayerParticipantStats": [{"statistics": [{"statTypeName": "WIN", "value": 0}]}],
         "otherTeamPlayerParticipantStats": [{"statistics": [{"statTypeName": "LOSE", "value": 1}]}]})",
     R"({"teams": [{"isWinningTeam": true, "stats": {"WIN": 0}}, {"isWinningTeam": false, "stats": {"LOSE": 1}}]})"},
    {"item slots 0 and 3, low 32 bits",
     R"({"teamPlayerParticipantStats": [{"statistics": [
           {"statTypeName": "ITEM3", "value": 3303}, {"statTypeName": "RUNE_LOST", "value": 2},
           {"statTypeName": "ITEM0", "value": 4294967297}, {"statTypeName": "ITEM7", "value": 77}]}]})",
     R"({"teams": [{"stats": {"RUNE_LOST": 2, "ITEM7": 77},
                    "players": [{"items": [1, 0, 0, 3303, 0, 0, 0], "stats": {"RUNE_LOST": 2, "ITEM7": 77}}]},
                   {}]})"},
    {"sums of 5 and 7, a statistic of one player, a repeated name keeps its last value",
     R"({"teamPlayerParticipantStats": [
           {"statistics": [{"statTypeName": "MOSS", "value": 1}, {"statTypeName": "MOSS", "value": 5}]},
           {"statistics": [{"statTypeName": "MOSS", "value": 7}, {"statTypeName": "SPARK", "value": 3}]}]})",
     R"({"teams": [{"stats": {"MOSS": 12, "SPARK": 3},
                    "players": [{"stats": {"MOSS": 5}}, {"stats": {"MOSS": 7, "SPARK": 3}}]}, {}]})"},
    {"team sums wrap at 64 bits",
     R"({"teamPlayerParticipantStats": [
           {"statistics": [{"statTypeName": "ORB", "value": 9223372036854775807}]},
           {"statistics": [{"statTypeName": "ORB", "value": 1}]}]})",
     R"({"teams": [{"stats": {"ORB": -9223372036854775808}}, {}]})"},
    {"statistics given as strings",
     R"({"teamPlayerParticipantStats": [{"statistics": [
           {"statTypeName": "HEX", "value": "0x10"}, {"statTypeName": "NEG", "value": " -7"}]}]})",
     R"({"teams": [{"stats": {"HEX": 16, "NEG": -7}}, {}]})"},
    {"a statistic beyond 64 bits fails the LCDS conversion",
     R"({"teamPlayerParticipantStats": [{"statistics": [{"statTypeName": "BIG", "value": "99999999999999999999"}]}]})",
     "", "Value 99999999999999999999 for 'value' of type int64 is out of range"},
    {"player fields; the summary's championId is not used",
     R"({"teamPlayerParticipantStats": [{"championId": 1, "userId": 18446744073709551615, "summonerName": "Vantwick",
           "skinName": "Halvard", "teamId": 100, "level": 77, "botPlayer": true, "spell1Id": 4, "spell2Id": 12,
           "elo": 1402, "eloChange": -9, "gameId": 55, "leaver": true, "leaves": 2, "losses": 3, "wins": 4,
           "profileIconId": 900, "skinIndex": 6}]})",
     R"({"teams": [{"players": [{"championId": 0, "userId": 18446744073709551615, "summonerId": 18446744073709551615,
           "summonerName": "Vantwick", "skinName": "Halvard", "teamId": 100, "level": 77, "botPlayer": true,
           "spell1Id": 4, "spell2Id": 12, "elo": 1402, "eloChange": -9, "gameId": 55, "leaver": true, "leaves": 2,
           "losses": 3, "wins": 4, "profileIconId": 900, "skinIndex": 6, "isReportingDisabled": false}]}, {}]})"},
    {"a player without statistics", R"({"teamPlayerParticipantStats": [{"teamId": 100}]})",
     R"({"teams": [{"stats": null, "isWinningTeam": false,
                    "players": [{"stats": null, "items": [0, 0, 0, 0, 0, 0, 0]}]}, {}]})"},
    {"no penalties", R"({"pointsPenalties": []})", R"({"pointsPenalties": null})"},
    {"two penalties of one type: the later one",
     R"({"pointsPenalties": [{"type": "SLOW", "penalty": 1}, {"type": "EARLY", "penalty": 1.5},
                             {"type": "EARLY", "penalty": 2.5}]})",
     R"({"pointsPenalties": {"EARLY": 2.5, "SLOW": 1.0}})"},
    {"gameLength above 2147483647", R"({"gameLength": 4294967295})", R"({"gameLength": -1})"},
    {"plain fields and the ones built here",
     R"({"userId": 12345678901, "gameId": 9, "reportGameId": 10, "gameMutators": ["fog", "dusk"], "elo": 3,
         "newSpells": [{"spellId": 12}, {"spellId": 3}], "skinId": 4, "previousLevel": 5, "previousXpTotal": 6,
         "leveledUp": true, "customMsecsUntilReset": -1, "gameEndedInEarlySurrender": true})",
     R"({"userId": 12345678901, "accountId": 12345678901, "summonerId": 0, "gameId": 9, "reportGameId": 10,
         "gameMutators": ["fog", "dusk"], "elo": 3, "newSpells": [12, 3], "skinId": 0, "previousLevel": 0,
         "previousXpTotal": 0, "leveledUp": true, "customMsecsUntilReset": -1, "gameEndedInEarlySurrender": true,
         "teamBoost": null, "championId": 0})"},
    {"one player into a team whose sums are strings: the lenient signed reading",
     R"({"team": {"stats": {"A": "0x10", "B": " -7", "C": "99999999999999999999", "D": 4, "E": true}},
         "summary": {"statistics": [{"statTypeName": "A", "value": 1}, {"statTypeName": "B", "value": 1},
                                    {"statTypeName": "C", "value": 1}, {"statTypeName": "E", "value": 1},
                                    {"statTypeName": "F", "value": 1}]}})",
     R"({"team": {"stats": {"A": 17, "B": -6, "C": -9223372036854775808, "D": 4, "E": 2, "F": 1}},
         "player": {"stats": {"A": 1, "B": 1, "C": 1, "E": 1, "F": 1}}})",
     {},
     true},
    {"one player without statistics leaves the team as it was",
     R"({"team": {"stats": {"A": "text"}}, "summary": {}})",
     R"({"team": {"stats": {"A": "text"}}})",
     {},
     true},
};

TEST(LcdsStatsConversionTest, Reshaping) {
    RegisteredRecords records;
    for (const ReshapingRow& row : kReshaping) {
        SCOPED_TRACE(std::string(row.name));
        BindingProperty output;
        const BindingProperty input = ParseJson(row.input);
        const std::string error =
            row.onePlayer ? ConvertOnePlayer(records, input, output) : ConvertMessage(records, input, output);
        EXPECT_EQ(error, row.error);
        if (!row.error.empty()) continue;
        EXPECT_EQ(Mismatch(output, ParseJson(row.expected), false), "");
        if (!row.onePlayer) {
            ASSERT_EQ(output.Field("teams").Size(), 2u);
            EXPECT_EQ(output.Field("teams").Element(0).Field("isBottomTeam").GetBool() +
                          output.Field("teams").Element(1).Field("isBottomTeam").GetBool(),
                      1);
        }
    }
}

TEST(LcdsStatsConversionTest, FixtureConvertsIntoTheExpectedBlock) {
    RegisteredRecords records;
    BindingProperty output;
    ASSERT_EQ(ConvertMessage(records, ParseJson(Testing::ReadFixture("lcds_end_of_game_stats.json")), output),
              "");
    EXPECT_EQ(Mismatch(output, ParseJson(Testing::ReadFixture("expected_end_of_game_stats.json")), true), "");
    EXPECT_EQ(output.Size(), 64u);
}

// An incoming field of the wrong kind fails the whole message with the binding layer's message, which
// names the field.
TEST(LcdsStatsConversionTest, WrongKindInTheMessageFails) {
    struct Row {
        std::string_view path;
        std::string_view value;
        std::string_view message;
    };
    const std::vector<Row> rows = {
        {"ranked", R"([true])",
         "Couldn't assign value to 'ranked' of type bool because the input is of an invalid type "
         "collection."},
        {"gameLength", R"("long")", "Value long for 'gameLength' of type uint32 is in an incorrect format"},
        {"myTeamInfo", R"("mine")",
         "Couldn't assign value to 'myTeamInfo' of type EndOfGameLcdsTeamInfo because the input not a "
         "structure."},
        {"pointsPenalties", R"({"type": "EARLY"})",
         "Couldn't assign value to 'pointsPenalties' of type vector because the input not a collection."},
        {"summonerName", R"(7)",
         "Couldn't assign value to 'summonerName' because the input is not a string."},
        {"player.statistics", R"({})",
         "Couldn't assign value to 'statistics' of type vector because the input not a collection."},
    };
    RegisteredRecords records;
    const BindingProperty fixture = ParseJson(Testing::ReadFixture("lcds_end_of_game_stats.json"));
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.path));
        BindingProperty input = fixture;
        BindingProperty& player = input.WriteField("otherTeamPlayerParticipantStats").WriteElement(3);
        if (row.path == "player.statistics") {
            player.WriteField("statistics") = ParseJson(row.value);
        } else {
            input.WriteField(row.path) = ParseJson(row.value);
        }
        BindingProperty output;
        EXPECT_EQ(ConvertMessage(records, input, output), row.message);
    }
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame
