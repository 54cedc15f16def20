#include "encodings/json_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "describe.h"
#include "encodings/decode_limits.h"

namespace Zarn::Encodings {
namespace {

using Testing::Describe;

struct ReadCase {
    std::string text;
    std::string expected;  // Describe() of the value
};

TEST(JsonReader, TypesValuesByTheirJsonForm) {
    const ReadCase cases[] = {
        {"", "null"},
        {" \t\r\n", "null"},
        {"null", "null"},
        {"[1,-1,1.5]", "[u1,s-1,f1.5]"},
        {"18446744073709551615", "u18446744073709551615"},
        {"18446744073709551616", "f18446744073709551616"},
        {"-9223372036854775808", "s-9223372036854775808"},
        {"-9223372036854775809", "f-9223372036854775808"},
        {"-0", "s0"},
        {"1e2", "f100"},
        {"2.50", "f2.5"},
        // Conversions the tokenizer's own number parser gets wrong.
        {"0.000000000000000000000000000000", "f0"},
        {"-0.000000000000000000000000000000e5", "f-0"},
        {"[1e-400,-1e-400,4.9406564584124654e-324]", "[f0,f-0,f5e-324]"},
        {"[1.7976931348623157e308,0.1e-5]", "[f1.7976931348623157e+308,f1e-06]"},
        {" [true,false,null] \n", "[true,false,null]"},
        {R"("\u00e9\ud83d\ude00\"\\\/\b\f\n\r\t")",
         R"("\xc3\xa9\xf0\x9f\x98\x80\x22\x5c/\x08\x0c\x0a\x0d\x09")"},
        {R"({"b":1,"a":{"":null},"B":[]})", "{B:[],a:{:null},b:u1}"},
        {R"({"a":1,"a":"x"})", R"({a:"x"})"},
        // A repeated key replaces a container instead of adding to it.
        {R"({"a":[1,2],"a":[3]})", "{a:[u3]}"},
        {R"({"a":{"x":1},"a":{"y":2}})", "{a:{y:u2}}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto result = ReadJson(c.text);
        ASSERT_TRUE(result.Succeeded()) << result.Message();
        EXPECT_EQ(Describe(result.Value()), c.expected);
    }
}

// Fields are put in key order once, as their object closes: any order of keys gives the value
// that ascending keys give, and a repeated key keeps its later value wherever it comes.
TEST(JsonReader, KeysInAnyOrderGiveTheSameStructure) {
    const ReadCase cases[] = {
        {R"({"c":1,"b":2,"a":3})", "{a:u3,b:u2,c:u1}"},
        {R"({"b":1,"c":2,"a":3})", "{a:u3,b:u1,c:u2}"},
        {R"({"a":1,"b":2,"a":3})", "{a:u3,b:u2}"},
        {R"({"b":2,"a":1,"b":3,"a":4})", "{a:u4,b:u3}"},
        {R"({"c":{"z":1,"y":2},"b":[{"q":1,"p":2}],"c":{"x":3,"w":4}})", "{b:[{p:u2,q:u1}],c:{w:u4,x:u3}}"},
        {R"({"b":0,"a":[1,2],"a":[3]})", "{a:[u3],b:u0}"},
        {R"({"ab":1,"a":2,"B":3,"é":4,"":5})", "{:u5,B:u3,a:u2,ab:u1,\xc3\xa9:u4}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto result = ReadJson(c.text);
        ASSERT_TRUE(result.Succeeded()) << result.Message();
        EXPECT_EQ(Describe(result.Value()), c.expected);
    }

    const auto object = [](int first, int last, int step) {
        std::string text = "{";
        for (int key = first; key != last; key += step) {
            char field[32];
            std::snprintf(field, sizeof field, "%s\"k%05d\":%d", text.size() > 1 ? "," : "", key, key);
            text += field;
        }
        return text + "}";
    };
    auto ascending = ReadJson(object(0, 5000, 1));
    auto descending = ReadJson(object(4999, -1, -1));
    ASSERT_TRUE(ascending.Succeeded() && descending.Succeeded());
    EXPECT_EQ(descending.Value(), ascending.Value());
    EXPECT_EQ(descending.Value().Size(), 5000u);
    EXPECT_EQ(descending.Value().Field("k00042").GetUnsigned(), 42u);
    EXPECT_EQ(descending.Value().Field("k04999").GetUnsigned(), 4999u);
}

struct ErrorCase {
    std::string text;
    std::string message;
};

TEST(JsonReader, ReportsTheFirstErrorWithItsOffset) {
    const ErrorCase cases[] = {
        {"{} x", "Error: The document root must not be followed by other values. at offset 3."},
        {"[1,]", "Error: Invalid value. at offset 3."},
        {"nul", "Error: Invalid value. at offset 3."},
        {"[NaN]", "Error: Invalid value. at offset 1."},
        {"{1:2}", "Error: Missing a name for object member. at offset 1."},
        {R"({"a" 1})", "Error: Missing a colon after a name of object member. at offset 5."},
        {R"({"a":1 "b":2})", "Error: Missing a comma or '}' after an object member. at offset 7."},
        {"[1 2]", "Error: Missing a comma or ']' after an array element. at offset 3."},
        {R"("\u12G4")", "Error: Incorrect hex digit after \\u escape in string. at offset 1."},
        {R"("\ud800\u0041")", "Error: The surrogate pair in string is invalid. at offset 1."},
        {R"("\x")", "Error: Invalid escape character in string. at offset 1."},
        {R"("abc)", "Error: Missing a closing quotation mark in string. at offset 4."},
        {"1e400", "Error: Number too big to be stored in double. at offset 0."},
        {"[1,-2e308]", "Error: Number too big to be stored in double. at offset 3."},
        {"1.", "Error: Miss fraction part in number. at offset 2."},
        {"1e+", "Error: Miss exponent in number. at offset 3."},
        {"[1,2", "Error: Missing a comma or ']' after an array element. at offset 4."},
        {"[1] // comment", "Error: The document root must not be followed by other values. at offset 4."},
        // The text is length-counted: a NUL byte is content, not its end.
        {std::string("[1]\0", 4),
         "Error: The document root must not be followed by other values. at offset 3."},
        {std::string(" \0", 2), "Error: Invalid value. at offset 1."},
        {std::string("\"a\0b\"", 5), "Error: Missing a closing quotation mark in string. at offset 2."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto result = ReadJson(c.text);
        EXPECT_TRUE(result.Failed());
        EXPECT_EQ(result.Message(), c.message);
    }
}

// The default number parser of the tokenizer is one unit in the last place off for some
// decimals; every value must be the double that strtod gives for the same text.
TEST(JsonReader, ReadsDecimalsToTheNearestDouble) {
    std::string text = "[";
    for (int i = 0; i < 20000; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%d.%03d", i ? "," : "", i / 1000, i % 1000);
        text += number;
    }
    text +=
        ",2.2250738585072014e-308,4.9406564584124654e-324,1.7976931348623157e308,0.1e-5,"
        "123456789012345678901.5]";
    auto result = ReadJson(text);
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    const char* p = text.c_str() + 1;
    int mismatches = 0;
    for (const auto& element : result.Value().Elements()) {
        char* end = nullptr;
        double expected = std::strtod(p, &end);
        double actual = element.GetFloat();
        if (std::memcmp(&expected, &actual, sizeof actual) != 0) ++mismatches;
        p = end + 1;
    }
    EXPECT_EQ(mismatches, 0);
}

std::string Nested(std::size_t depth, std::string_view open, std::string_view inner, std::string_view close) {
    std::string text;
    text.reserve(depth * (open.size() + close.size()) + inner.size());
    for (std::size_t i = 0; i < depth; ++i) text += open;
    text += inner;
    for (std::size_t i = 0; i < depth; ++i) text += close;
    return text;
}

TEST(JsonReader, BoundsNestingWithoutExhaustingTheStack) {
    EXPECT_TRUE(ReadJson(Nested(kMaxDecodeDepth, "[", "", "]")).Succeeded());
    EXPECT_TRUE(ReadJson(Nested(kMaxDecodeDepth, R"({"a":)", "1", "}")).Succeeded());

    // The offset is that of the bracket that opens one level too many.
    const std::string tooDeep = "Error: Nesting deeper than 1000 levels is not supported. at offset 1000.";
    EXPECT_EQ(ReadJson(Nested(kMaxDecodeDepth + 1, "[", "", "]")).Message(), tooDeep);
    EXPECT_EQ(ReadJson(Nested(1'000'000, "[", "", "]")).Message(), tooDeep);
    EXPECT_TRUE(ReadJson(Nested(1'000'000, R"({"a":)", "1", "}")).Failed());
    EXPECT_TRUE(ReadJson(Nested(1'000'000, "[", "", "")).Failed());
}

}  // namespace
}  // namespace Zarn::Encodings
