#include "encodings/yaml_decoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "describe.h"
#include "encodings/decode_limits.h"

namespace Zarn::Encodings {
namespace {

using Testing::Describe;

struct ValueCase {
    std::string text;
    std::string expected;  // Describe() of the value
};

TEST(YamlDecoder, TypesPlainScalarsAndHonoursCoreTags) {
    const ValueCase cases[] = {
        {"", "null"},
        {"# only a comment\n", "null"},
        {"a: 1", "{a:u1}"},
        {"[-1, 1.5, 1e3, +5, .5, 2.0, -0, 0x1F, -0x10, 1e30, -1e30]",
         "[s-1,f1.5,u1000,u5,f0.5,u2,u0,u31,s-16,f1e+30,f-1e+30]"},
        // Integers are read exactly, not through a double.
        {"[5764607523034234887, 18446744073709551615, -9223372036854775808, 18446744073709551616]",
         "[u5764607523034234887,u18446744073709551615,s-9223372036854775808,f18446744073709551616]"},
        {"[yes, On, TRUE, n, off, No, 'yes', \"no\", yEs]",
         "[true,true,true,false,false,false,\"yes\",\"no\",\"yEs\"]"},
        {"[~, null, Null, NULL, '~', nil, '']", "[null,null,null,null,\"~\",\"nil\",\"\"]"},
        {"a: ~\nb:\n", "{a:null,b:null}"},
        {"a: |\n  42\nb: >-\n  x\n  y\n", "{a:u42,b:\"x y\"}"},
        {"[inf, nan, .inf, 1_000, 0x, 12abc, 1.2.3]",
         "[\"inf\",\"nan\",\".inf\",\"1_000\",\"0x\",\"12abc\",\"1.2.3\"]"},
        {"[!!str 1, !!str yes, !!int 0x10, !!int -5, !!int 017, !!int '', !!float 1, !!float -2.5e1, !!bool "
         "yes, "
         "!!bool OFF]",
         "[\"1\",\"yes\",u16,s-5,u15,u0,f1,f-25,true,false]"},
        {"{b: 1, a: {c: [x, {d: e}]}, B: []}", "{B:[],a:{c:[\"x\",{d:\"e\"}]},b:u1}"},
        {"'': 1\n\"k k\": 2", "{:u1,k k:u2}"},
        {"!!str key: 1", "{key:u1}"},
        // A repeated key keeps the later value, containers included.
        {"a: [1, 2]\na: [3]", "{a:[u3]}"},
        {"c: 1\nb: {z: 1, y: 2}\nc: 3\na: 4", "{a:u4,b:{y:u2,z:u1},c:u3}"},
        // Aliases copy their anchor; anchored keys are strings.
        {"a: &x [1, {b: c}]\nb: *x", "{a:[u1,{b:\"c\"}],b:[u1,{b:\"c\"}]}"},
        {"- &s 5\n- *s\n- &m {k: v}\n- *m", "[u5,u5,{k:\"v\"},{k:\"v\"}]"},
        {"{&k key: 1, other: *k, *k : 2}", "{key:u2,other:\"key\"}"},
        {"--- 1\n...\n", "u1"},
        {"--- ~\n--- 2\n", "u2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto result = DecodeYaml(c.text);
        ASSERT_TRUE(result.Succeeded()) << result.Message();
        EXPECT_EQ(Describe(result.Value()), c.expected);
    }
}

struct ErrorCase {
    std::string text;
    std::string message;
};

TEST(YamlDecoder, ReportsErrorsWithTheirPositions) {
    const ErrorCase cases[] = {
        {"a: !!int abc", "Value abc for 'yaml' of type uint64_t is in an incorrect format"},
        {"!!int '12 '", "Value 12  for 'yaml' of type uint64_t is in an incorrect format"},
        {"!!int 18446744073709551616",
         "Value 18446744073709551616 for 'yaml' of type uint64_t is out of range"},
        {"!!int -9223372036854775809",
         "Value -9223372036854775809 for 'yaml' of type int64_t is out of range"},
        {"!!int -1x", "Value -1x for 'yaml' of type int64_t is in an incorrect format"},
        {"!!int ' -1'", "Value  -1 for 'yaml' of type uint64_t is out of range"},
        {"!!float 1.5x", "Value 1.5x for 'yaml' of type double is in an incorrect format"},
        {"!!float 1e999", "Value 1e999 for 'yaml' of type double is out of range"},
        // Below the smallest double, as a text assigned to a double is.
        {"!!float 1e-400", "Value 1e-400 for 'yaml' of type double is out of range"},
        {"a: !!float -1e-400", "Value -1e-400 for 'yaml' of type double is out of range"},
        // Reported rather than leaving a null where a boolean was promised.
        {"!!bool maybe", "Value maybe for 'yaml' of type bool is in an incorrect format"},
        {"a: !!timestamp 2001-12-14", "Unsupported YAML tag 'tag:yaml.org,2002:timestamp'."},
        {"!!null ~", "Unsupported YAML tag 'tag:yaml.org,2002:null'."},
        {"! a", "Unsupported YAML tag '!'."},
        {"[a]: b", "Unexpected start of sequence. At line: 1 col: 1"},
        {"x:\n  {a: 1}: b", "Unexpected start of mapping. At line: 2 col: 3"},
        {"!!int 1: b", "Invalid mapping key. Only string scalar keys are allowed. At line: 1 col: 1"},
        {"- &n 1\n- {*n : x}", "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 4"},
        {"a: *x", "Undefined alias encountered: \"x\". At line: 1 col: 4"},
        {"&x [1, *x]", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 1 col: 8"},
        {"&x {a: {b: *x}}", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 1 col: 12"},
        {"a: &x 1\nb: &x 2", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
        {"a: &x [1]\nb: &x [2]", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
        {"&x key: &x 1", "Duplicate occurrence of anchor \"x\". At line: 1 col: 9"},
        {"1\n--- 2", "Multi-document YAML is not supported."},
        // libyaml's own marks count from 0; it places the end of the text on a line of its own.
        {"[1, 2", "YAML parser error: did not find expected ',' or ']'. At line: 1 col: 0"},
        {"a: b: c", "YAML parser error: mapping values are not allowed in this context. At line: 0 col: 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto result = DecodeYaml(c.text);
        EXPECT_TRUE(result.Failed());
        EXPECT_EQ(result.Message(), c.message);
    }
}

TEST(YamlDecoder, BoundsValuesCopiedThroughAliases) {
    // Nine levels of ten aliases would expand to a billion values.
    std::string laughs = "a: &a [lol, lol, lol, lol, lol, lol, lol, lol, lol, lol]\n";
    for (char level = 'b'; level <= 'i'; ++level) {
        std::string previous(1, static_cast<char>(level - 1));
        laughs += std::string(1, level) + ": &" + level + " [";
        for (int i = 0; i < 10; ++i) laughs += (i ? ", *" : "*") + previous;
        laughs += "]\n";
    }
    auto result = DecodeYaml(laughs);
    EXPECT_TRUE(result.Failed());
    EXPECT_TRUE(result.Message().starts_with("Anchors and aliases copy more than 1000000 values. At line: "))
        << result.Message();
}

std::string Nested(std::size_t depth, std::string_view open, std::string_view close) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) text += open;
    for (std::size_t i = 0; i < depth; ++i) text += close;
    return text;
}

TEST(YamlDecoder, BoundsNestingWithoutExhaustingTheStackOrTheClock) {
    EXPECT_TRUE(DecodeYaml(Nested(kMaxDecodeDepth, "[", "]")).Succeeded());
    EXPECT_EQ(DecodeYaml(Nested(kMaxDecodeDepth + 1, "[", "]")).Message(),
              "Nesting deeper than 1000 levels is not supported. At line: 1 col: 1001");

    // Aliases cannot smuggle depth past the bound either.
    std::string deepAnchor =
        "a: &x " + Nested(600, "[", "]") + "\nb: " + Nested(500, "[", "") + "*x" + Nested(500, "]", "");
    EXPECT_TRUE(
        DecodeYaml(deepAnchor).Message().starts_with("Nesting deeper than 1000 levels is not supported."));

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(DecodeYaml(Nested(1'000'000, "[", "]")).Failed());
    EXPECT_TRUE(DecodeYaml(Nested(1'000'000, "{a: ", "}")).Failed());
    std::string block;
    for (int i = 0; i < 1'000'000; ++i) block += "- ";
    EXPECT_TRUE(DecodeYaml(block + "x").Failed());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace Zarn::Encodings
