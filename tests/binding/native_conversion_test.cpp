#include "binding/native_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "binding/record_registration.h"

namespace Zarn::Binding {
namespace {

enum class Team : std::int32_t { None = 0, Blue = 100, Red = 200 };

struct Stats {
    std::int32_t kills = 0;
    std::int32_t deaths = 0;
};

struct Player {
    std::int64_t summonerId = 0;
    std::string name;
    Team team = Team::None;
    bool bot = false;
    double score = 0;
    std::vector<std::int32_t> items;
    std::map<std::string, std::int64_t> stats;
    std::optional<Stats> extra;
    std::vector<std::uint8_t> icon;
    BindingProperty custom;
    std::vector<Stats> history;
};

struct Unregistered {
    int value = 0;
};

struct Holder {
    Unregistered inner;
};

// Registered like the plugin does: structures first, then the enumerations they use.
void RegisterFixtures(BindingRegistry& registry) {
    RegisterStruct<Stats>(registry, "Test.Stats")
        .Field("kills", &Stats::kills, "", FieldFlags::kRequired)
        .Field("deaths", &Stats::deaths);
    RegisterStruct<Player>(registry, "Test.Player")
        .Field("summonerId", &Player::summonerId)
        .Field("name", &Player::name)
        .Field("team", &Player::team)
        .Field("bot", &Player::bot)
        .Field("score", &Player::score)
        .Field("items", &Player::items)
        .Field("stats", &Player::stats)
        .Field("extra", &Player::extra, "", FieldFlags::kOmitWhenDefault)
        .Field("icon", &Player::icon)
        .Field("custom", &Player::custom)
        .Field("history", &Player::history);
    RegisterStruct<Holder>(registry, "Test.Holder").Field("inner", &Holder::inner);
    RegisterEnum<Team>(registry, "Test.Team")
        .Value("None", Team::None)
        .Value("Blue", Team::Blue)
        .Value("Red", Team::Red);
}

BindingProperty Text(std::string_view text) {
    BindingProperty value;
    value.SetString(text);
    return value;
}
BindingProperty Signed(std::int64_t number) {
    BindingProperty value;
    value.SetSigned(number);
    return value;
}
BindingProperty Unsigned(std::uint64_t number) {
    BindingProperty value;
    value.SetUnsigned(number);
    return value;
}
BindingProperty Float(double number) {
    BindingProperty value;
    value.SetFloat(number);
    return value;
}
BindingProperty Bool(bool flag) {
    BindingProperty value;
    value.SetBool(flag);
    return value;
}
BindingProperty Enum(std::int32_t number, std::uint32_t typeId) {
    BindingProperty value;
    value.SetEnum(number, typeId);
    return value;
}
BindingProperty Blob(std::vector<std::uint8_t> bytes) {
    BindingProperty value;
    value.SetBlob(bytes);
    return value;
}
BindingProperty Collection(std::vector<BindingProperty> elements) {
    BindingProperty value;
    value.MakeCollection();
    for (const BindingProperty& element : elements) value.AppendElement() = element;
    return value;
}
BindingProperty Structure(std::vector<std::pair<std::string, BindingProperty>> fields) {
    BindingProperty value;
    value.MakeStructure();
    for (const auto& [key, field] : fields) value.WriteField(key) = field;
    return value;
}

template <typename T>
std::string Render(const T& native) {
    if constexpr (std::is_same_v<T, bool>) {
        return native ? "true" : "false";
    } else if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<std::int32_t>(native));
    } else if constexpr (std::is_floating_point_v<T>) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(native));
        return text;
    } else if constexpr (std::is_integral_v<T>) {
        return std::to_string(native);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return native;
    } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
        std::string text;
        for (std::uint8_t byte : native) text += std::to_string(byte) + ",";
        return text;
    } else if constexpr (std::is_same_v<T, std::vector<std::int32_t>>) {
        std::string text = "[";
        for (std::int32_t element : native) text += std::to_string(element) + ",";
        return text + "]";
    } else {
        return "assigned";
    }
}

using Outcome = std::string (*)(const BindingRegistry&, const BindingProperty&);

// "= <value>" on success, the message on failure.
template <typename T>
std::string AssignOutcome(const BindingRegistry& registry, const BindingProperty& input) {
    T native{};
    BindingResult result;
    Assign(registry, input, native, "field", result);
    return result.Succeeded() ? "= " + Render(native) : std::string(result.Message());
}

class NativeConversionTest : public testing::Test {
protected:
    NativeConversionTest() { RegisterFixtures(registry); }

    const std::uint32_t teamId = StaticType::Of<Team>().Id();
    BindingRegistry registry;
};

TEST_F(NativeConversionTest, AssignScalarsAndTheirMessages) {
    struct Row {
        BindingProperty input;
        Outcome outcome;
        std::string expected;
    };
    const Row rows[] = {
        // bool
        {Text("true"), AssignOutcome<bool>, "= true"},
        {Text("1"), AssignOutcome<bool>, "= true"},
        {Text("0"), AssignOutcome<bool>, "= false"},
        {Text("True"), AssignOutcome<bool>,
         "Value True for 'field' of type bool is in an incorrect format. Options are \"true\", \"false\", "
         "\"1\", \"0\"."},
        {Signed(1), AssignOutcome<bool>,
         "Couldn't assign value to 'field' of type bool because the input is of an invalid type signed."},
        {BindingProperty(), AssignOutcome<bool>, "A value for 'field' is required."},
        // signed integers
        {Text("0x10"), AssignOutcome<std::int32_t>, "= 16"},
        {Text("010"), AssignOutcome<std::int32_t>, "= 8"},
        {Text(" -42"), AssignOutcome<std::int32_t>, "= -42"},
        {Text(""), AssignOutcome<std::int32_t>, "= 0"},
        {Text("12ab"), AssignOutcome<std::int32_t>,
         "Value 12ab for 'field' of type int32 is in an incorrect format"},
        {Text("7 "), AssignOutcome<std::int32_t>,
         "Value 7  for 'field' of type int32 is in an incorrect format"},
        {Text("99999999999999999999"), AssignOutcome<std::int64_t>,
         "Value 99999999999999999999 for 'field' of type int64 is out of range"},
        {Text("128"), AssignOutcome<std::int8_t>, "Value 128 for 'field' of type int8 is out of range"},
        {Signed(-128), AssignOutcome<std::int8_t>, "= -128"},
        {Signed(4294967296), AssignOutcome<std::int32_t>,
         "Value 4294967296 for 'field' of type int32 is out of range"},
        {Unsigned(32767), AssignOutcome<std::int16_t>, "= 32767"},
        {Unsigned(9223372036854775808u), AssignOutcome<std::int64_t>,
         "Value 9223372036854775808 for 'field' of type int64 is out of range"},
        {Float(3.9), AssignOutcome<std::int64_t>, "= 3"},
        {Float(-3.9), AssignOutcome<std::int64_t>, "= -3"},
        {Float(1e300), AssignOutcome<std::int64_t>, "Value 1e+300 for 'field' of type int64 is out of range"},
        {Float(9223372036854775808.0), AssignOutcome<std::int64_t>,
         "Value 9.22337e+18 for 'field' of type int64 is out of range"},
        {Float(NAN), AssignOutcome<std::int32_t>, "Value nan for 'field' of type int32 is out of range"},
        {Enum(200, 0), AssignOutcome<std::int16_t>, "= 200"},
        {Enum(200, 0), AssignOutcome<std::int8_t>, "Value 200 for 'field' of type int8 is out of range"},
        {Blob({1}), AssignOutcome<std::int32_t>,
         "Couldn't assign value to 'field' of type int32 because the input is of an invalid type blob."},
        {Bool(true), AssignOutcome<std::int64_t>,
         "Couldn't assign value to 'field' of type int64 because the input is of an invalid type bool."},
        {BindingProperty(), AssignOutcome<std::int64_t>, "A value for 'field' is required."},
        // unsigned integers
        {Text("-1"), AssignOutcome<std::uint32_t>, "Value -1 for 'field' of type uint32 is out of range"},
        {Text("  -1"), AssignOutcome<std::uint64_t>, "Value   -1 for 'field' of type uint64 is out of range"},
        {Signed(-1), AssignOutcome<std::uint32_t>, "Value -1 for 'field' of type uint32 is out of range"},
        {Unsigned(4294967296), AssignOutcome<std::uint32_t>,
         "Value 4294967296 for 'field' of type uint32 is out of range"},
        {Text("0xFFFFFFFFFFFFFFFF"), AssignOutcome<std::uint64_t>, "= 18446744073709551615"},
        {Text("18446744073709551616"), AssignOutcome<std::uint64_t>,
         "Value 18446744073709551616 for 'field' of type uint64 is out of range"},
        {Text("256"), AssignOutcome<std::uint8_t>, "Value 256 for 'field' of type uint8 is out of range"},
        {Float(2.5), AssignOutcome<std::uint16_t>, "= 2"},
        {Float(-0.5), AssignOutcome<std::uint16_t>, "Value -0.5 for 'field' of type uint16 is out of range"},
        {Float(18446744073709551616.0), AssignOutcome<std::uint64_t>,
         "Value 1.84467e+19 for 'field' of type uint64 is out of range"},
        {Float(NAN), AssignOutcome<std::uint32_t>, "= 0"},
        {Enum(-1, 0), AssignOutcome<std::uint32_t>, "Value -1 for 'field' of type uint32 is out of range"},
        {Collection({}), AssignOutcome<std::uint32_t>,
         "Couldn't assign value to 'field' of type uint32 because the input is of an invalid type "
         "collection."},
        // floating point
        {Text("1.5"), AssignOutcome<double>, "= 1.5"},
        {Text("1e39"), AssignOutcome<float>, "Value 1e39 for 'field' of type float is out of range"},
        {Text("1e400"), AssignOutcome<double>, "Value 1e400 for 'field' of type double is out of range"},
        {Text("1e-400"), AssignOutcome<double>, "Value 1e-400 for 'field' of type double is out of range"},
        {Text("1.5x"), AssignOutcome<double>,
         "Value 1.5x for 'field' of type double is in an incorrect format"},
        {Float(1e39), AssignOutcome<float>, "Value 1e+39 for 'field' of type float is out of range"},
        {Float(INFINITY), AssignOutcome<double>, "Value inf for 'field' of type double is out of range"},
        {Float(NAN), AssignOutcome<double>, "= nan"},
        {Unsigned(18446744073709551615u), AssignOutcome<double>, "= 1.84467e+19"},
        {Enum(-3, 0), AssignOutcome<double>, "= -3"},
        {Bool(false), AssignOutcome<double>,
         "Couldn't assign value to 'field' of type double because the input is of an invalid type bool."},
        // strings
        {Text("abc"), AssignOutcome<std::string>, "= abc"},
        {Enum(200, teamId), AssignOutcome<std::string>, "= Red"},
        {Enum(7, teamId), AssignOutcome<std::string>, "7 is not a valid enumeration value for 'field'."},
        {Signed(1), AssignOutcome<std::string>,
         "Couldn't assign value to 'field' because the input is not a string."},
        {BindingProperty(), AssignOutcome<std::string>, "A value for 'field' is required."},
        // registered enumerations
        {Text("Red"), AssignOutcome<Team>, "= 200"},
        {Text("100"), AssignOutcome<Team>, "= 100"},
        {Text("0x64"), AssignOutcome<Team>, "= 100"},
        {Signed(200), AssignOutcome<Team>, "= 200"},
        {Unsigned(100), AssignOutcome<Team>, "= 100"},
        {Enum(200, 12345), AssignOutcome<Team>, "= 200"},
        {Signed(7), AssignOutcome<Team>, "7 is not a valid Test.Team enumeration value for 'field'."},
        {Signed(4294967396), AssignOutcome<Team>,
         "4294967396 is not a valid Test.Team enumeration value for 'field'."},
        {Text("red"), AssignOutcome<Team>, "red is not a valid Test.Team enumeration value for 'field'."},
        {Text("12ab"), AssignOutcome<Team>, "12ab is not a valid Test.Team enumeration value for 'field'."},
        {Float(100), AssignOutcome<Team>,
         "Couldn't assign value to 'field' of enum type because the input is of an invalid type float."},
        {BindingProperty(), AssignOutcome<Team>, "A value for 'field' is required."},
        // blobs
        {Blob({1, 2, 3}), AssignOutcome<std::vector<std::uint8_t>>, "= 1,2,3,"},
        {Text("AQID"), AssignOutcome<std::vector<std::uint8_t>>, "= 1,2,3,"},
        {Text("AQ=="), AssignOutcome<std::vector<std::uint8_t>>, "= 1,"},
        {Text("AQ="), AssignOutcome<std::vector<std::uint8_t>>,
         "Value AQ= for 'field' of type blob is in an incorrect format"},
        {Signed(1), AssignOutcome<std::vector<std::uint8_t>>,
         "Couldn't assign value to 'field' of type blob because the input is of an invalid type signed."},
        // containers and structures
        {Collection({Signed(1), BindingProperty(), Text("3")}), AssignOutcome<std::vector<std::int32_t>>,
         "= [1,0,3,]"},
        {Collection({Signed(1), Text("x")}), AssignOutcome<std::vector<std::int32_t>>,
         "Value x for 'field' of type int32 is in an incorrect format"},
        {Signed(1), AssignOutcome<std::vector<std::int32_t>>,
         "Couldn't assign value to 'field' of type vector because the input not a collection."},
        {BindingProperty(), AssignOutcome<std::vector<std::int32_t>>,
         "Couldn't assign value to 'field' of type vector because the input not a collection."},
        {Collection({}), AssignOutcome<std::map<std::string, std::int32_t>>,
         "Couldn't assign value to 'field' of type map because the input not a structure."},
        {BindingProperty(), AssignOutcome<Stats>, "A value for 'field' is required."},
        {Signed(1), AssignOutcome<Stats>,
         "Couldn't assign value to 'field' of type Test.Stats because the input not a structure."},
        {Structure({{"deaths", Signed(1)}}), AssignOutcome<Stats>,
         "Couldn't assign value to 'field' of type Test.Stats because the input structure doesn't have "
         "required "
         "field 'kills'."},
        {Structure({{"kills", Text("many")}}), AssignOutcome<Stats>,
         "Value many for 'kills' of type int32 is in an incorrect format"},
        {Structure({{"value", Signed(1)}}), AssignOutcome<Unregistered>,
         "Couldn't assign value to 'field' because the input is an unregistered structure or not a structure "
         "at "
         "all."},
        {Structure({{"inner", Structure({})}}), AssignOutcome<Holder>,
         "Couldn't assign value to 'inner' because the input is an unregistered structure or not a structure "
         "at "
         "all."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.outcome(registry, row.input), row.expected);
    }
}

TEST_F(NativeConversionTest, StructureAssignKeepsMissingFieldsAndStopsAtTheFirstFailure) {
    Stats stats{5, 6};
    BindingResult result;
    Assign(registry, Structure({{"kills", Signed(9)}, {"unknown", Signed(1)}}), stats, "stats", result);
    EXPECT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(stats.kills, 9);
    EXPECT_EQ(stats.deaths, 6);

    Player player;
    player.score = 1.5;
    player.items = {4};
    const BindingProperty input = Structure({{"summonerId", Signed(77)},
                                             {"name", Signed(1)},
                                             {"team", Text("Bogus")},
                                             {"score", Float(9)},
                                             {"items", Collection({Signed(8)})}});
    Assign(registry, input, player, "player", result);
    EXPECT_EQ(result.Message(), "Couldn't assign value to 'name' because the input is not a string.");
    EXPECT_EQ(player.summonerId, 77);  // before the failure
    EXPECT_EQ(player.score, 1.5);      // after it
    EXPECT_EQ(player.items, std::vector<std::int32_t>{4});

    // A failed result stops every later conversion.
    Assign(registry, Structure({{"kills", Signed(1)}}), stats, "stats", result);
    EXPECT_EQ(stats.kills, 9);
    EXPECT_EQ(result.Message(), "Couldn't assign value to 'name' because the input is not a string.");
}

TEST_F(NativeConversionTest, ConvertThenAssignGivesTheRecordBack) {
    Player player;
    player.summonerId = -5;
    player.name = "Nightfall";
    player.team = Team::Red;
    player.bot = true;
    player.score = 2.25;
    player.items = {1, 2};
    player.stats = {{"KILLS", 3}, {"ASSISTS", 0}};
    player.extra = Stats{1, 2};
    player.icon = {0, 255};
    player.custom = Collection({Text("x"), Signed(1)});
    player.history = {Stats{1, 1}, Stats{2, 2}};

    BindingProperty value;
    BindingResult result;
    Convert(registry, player, value, result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(value.Field("team").GetEnum(), (BindingEnum{200, teamId}));
    EXPECT_EQ(value.Field("summonerId").Kind(), BindingKind::Signed);
    EXPECT_EQ(value.Field("icon").Kind(), BindingKind::Blob);
    EXPECT_EQ(value.Field("stats").Field("KILLS").GetSigned(), 3);
    EXPECT_EQ(value.Field("extra").Field("deaths").GetSigned(), 2);
    EXPECT_EQ(value.Field("history").Element(1).Field("kills").GetSigned(), 2);

    Player back;
    Assign(registry, value, back, "player", result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(back.summonerId, player.summonerId);
    EXPECT_EQ(back.name, player.name);
    EXPECT_EQ(back.team, player.team);
    EXPECT_EQ(back.bot, player.bot);
    EXPECT_EQ(back.score, player.score);
    EXPECT_EQ(back.items, player.items);
    EXPECT_EQ(back.stats, player.stats);
    ASSERT_TRUE(back.extra.has_value());
    EXPECT_EQ(back.extra->deaths, 2);
    EXPECT_EQ(back.icon, player.icon);
    EXPECT_EQ(back.custom, player.custom);
    ASSERT_EQ(back.history.size(), 2u);
    EXPECT_EQ(back.history[1].kills, 2);
}

TEST_F(NativeConversionTest, OptionalStructures) {
    Player player;
    BindingProperty value;
    BindingResult result;
    Convert(registry, player, value, result);
    EXPECT_FALSE(value.HasField("extra"));  // absent and omitted when default

    // Assigning into an engaged optional keeps the fields the input does not name.
    player.extra = Stats{1, 2};
    Assign(registry, Structure({{"extra", Structure({{"kills", Signed(7)}})}}), player, "player", result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(player.extra->kills, 7);
    EXPECT_EQ(player.extra->deaths, 2);

    std::optional<Stats> standalone = Stats{1, 2};
    Assign(registry, BindingProperty(), standalone, "stats", result);
    EXPECT_FALSE(standalone.has_value());
    Convert(registry, standalone, value, result);
    EXPECT_EQ(value.Kind(), BindingKind::Empty);
    EXPECT_TRUE(result.Succeeded());
}

struct Toggle {
    bool on = false;
};

struct Defaults {
    bool flag = false;
    std::int32_t number = 0;
    double real = 0;
    std::string text;
    Team team = Team::None;
    std::vector<std::int32_t> list;
    std::map<std::string, std::string> dictionary;
    BindingProperty any;
    Toggle nested;
    std::optional<Stats> maybe;
};

TEST_F(NativeConversionTest, OmitWhenDefault) {
    constexpr FieldFlags omit = FieldFlags::kOmitWhenDefault;
    RegisterStruct<Toggle>(registry, "Test.Toggle").Field("on", &Toggle::on, "", omit);
    RegisterStruct<Defaults>(registry, "Test.Defaults")
        .Field("flag", &Defaults::flag, "", omit)
        .Field("number", &Defaults::number, "", omit)
        .Field("real", &Defaults::real, "", omit)
        .Field("text", &Defaults::text, "", omit)
        .Field("team", &Defaults::team, "", omit)
        .Field("list", &Defaults::list, "", omit)
        .Field("dictionary", &Defaults::dictionary, "", omit)
        .Field("any", &Defaults::any, "", omit)
        .Field("nested", &Defaults::nested, "", omit)
        .Field("maybe", &Defaults::maybe, "", omit);

    Defaults defaults;
    BindingProperty value;
    BindingResult result;
    Convert(registry, defaults, value, result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(value.Kind(), BindingKind::Structure);
    EXPECT_EQ(value.Size(), 0u);

    defaults.real = NAN;  // a NaN is not a default
    defaults.any.SetString("");
    defaults.maybe = Stats{};
    Convert(registry, defaults, value, result);
    EXPECT_TRUE(value.HasField("real"));
    EXPECT_FALSE(value.HasField("any"));
    EXPECT_TRUE(value.HasField("maybe"));

    struct Row {
        void (*set)(Defaults&);
        const char* key;
    };
    const Row rows[] = {
        {[](Defaults& d) { d.flag = true; }, "flag"},
        {[](Defaults& d) { d.number = -1; }, "number"},
        {[](Defaults& d) { d.text = "x"; }, "text"},
        {[](Defaults& d) { d.team = Team::Blue; }, "team"},
        {[](Defaults& d) { d.list = {0}; }, "list"},
        {[](Defaults& d) {
             d.dictionary = {{"", ""}};
         },
         "dictionary"},
        {[](Defaults& d) { d.any.SetSigned(2); }, "any"},
        {[](Defaults& d) { d.nested.on = true; }, "nested"},
    };
    for (const Row& row : rows) {
        Defaults changed;
        row.set(changed);
        Convert(registry, changed, value, result);
        EXPECT_EQ(value.Size(), 1u) << row.key;
        EXPECT_TRUE(value.HasField(row.key)) << row.key;
    }
}

TEST_F(NativeConversionTest, ConvertFailures) {
    Holder holder;
    BindingProperty value;
    BindingResult result;
    Convert(registry, holder, value, result);
    EXPECT_EQ(result.Message(), "Couldn't convert native value because it's an unregistered structure.");

    BindingResult direct;
    Convert(registry, std::vector<Unregistered>(2), value, direct);
    EXPECT_EQ(direct.Message(), "Couldn't convert native value because it's an unregistered structure.");
}

TEST_F(NativeConversionTest, MapsBothWays) {
    std::map<std::string, std::vector<std::int32_t>> native = {{"b", {1}}, {"a", {}}};
    BindingProperty value;
    BindingResult result;
    Convert(registry, native, value, result);
    ASSERT_TRUE(result.Succeeded());
    ASSERT_EQ(value.Size(), 2u);
    EXPECT_EQ(value.Fields()[0].Name(), "a");
    EXPECT_EQ(value.Field("b").Element(0).GetSigned(), 1);

    std::map<std::string, std::vector<std::int32_t>> back = {{"stale", {9}}};
    Assign(registry, Structure({{"x", Collection({Text("4")})}, {"y", BindingProperty()}}), back, "m",
           result);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(back, (std::map<std::string, std::vector<std::int32_t>>{{"x", {4}}, {"y", {}}}));

    Assign(registry, Structure({{"x", Collection({Text("z")})}}), back, "m", result);
    EXPECT_EQ(result.Message(), "Value z for 'm' of type int32 is in an incorrect format");
}

// An event as the host delivers it: a small envelope around a document of any size.
struct Envelope {
    std::string uri;
    BindingProperty data;
    BindingProperty note;
};

TEST_F(NativeConversionTest, TakingDocumentsGivesWhatCopyingGivesWithoutTheCopy) {
    constexpr FieldFlags omit = FieldFlags::kOmitWhenDefault;
    RegisterStruct<Envelope>(registry, "Test.Envelope")
        .Field("uri", &Envelope::uri)
        .Field("data", &Envelope::data, "", FieldFlags::kRequired)
        .Field("note", &Envelope::note, "", omit);
    const BindingProperty document =
        Structure({{"players", Collection({Structure({{"name", Text("Ana")}}), Text("x")})}});
    struct Row {
        const char* what;
        BindingProperty input;
    };
    const Row rows[] = {
        {"document and note", Structure({{"uri", Text("/a")}, {"data", document}, {"note", Signed(3)}})},
        {"default note", Structure({{"uri", Text("/a")}, {"data", document}, {"note", Bool(false)}})},
        {"scalar document", Structure({{"data", Signed(0)}})},
        {"no document", Structure({{"uri", Text("/a")}})},
        {"not a structure", Text("/a")},
    };
    for (const Row& row : rows) {
        Envelope copied, taken;
        BindingResult copiedResult, takenResult;
        Assign(registry, row.input, copied, "e", copiedResult);
        {
            BindingProperty input = row.input;
            AssignTakingDocuments(registry, input, taken, "e", takenResult);
        }  // the taken values outlive the tree they came from
        EXPECT_EQ(takenResult.Message(), copiedResult.Message()) << row.what;
        if (copiedResult.Failed()) continue;
        EXPECT_EQ(taken.uri, copied.uri) << row.what;
        EXPECT_EQ(taken.data, copied.data) << row.what;
        EXPECT_EQ(taken.note, copied.note) << row.what;

        BindingProperty convertedCopy, convertedTaken;
        Convert(registry, copied, convertedCopy, copiedResult);
        ConvertTakingDocuments(registry, taken, convertedTaken, takenResult);
        ASSERT_TRUE(takenResult.Succeeded()) << row.what;
        EXPECT_EQ(convertedTaken, convertedCopy) << row.what;
        std::vector<std::string> copiedNames, takenNames;
        for (const BindingField& field : convertedCopy.Fields()) copiedNames.emplace_back(field.Name());
        for (const BindingField& field : convertedTaken.Fields()) takenNames.emplace_back(field.Name());
        EXPECT_EQ(takenNames, copiedNames) << row.what;
    }

    BindingProperty input = Structure({{"uri", Text("/a")}, {"data", document}});
    Envelope taken;
    BindingResult result;
    AssignTakingDocuments(registry, input, taken, "e", result);
    EXPECT_EQ(taken.data, document);
    EXPECT_NE(input.Field("data"), document);  // moved, not copied
}

}  // namespace
}  // namespace Zarn::Binding
