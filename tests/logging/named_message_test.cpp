#include "logging/named_message.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Zarn::Logging {
namespace {

using Fields = std::vector<NamedField>;

TEST(FormatNamedMessage, TextAndFields) {
    struct Case {
        const char* format;
        std::vector<NamedValue> values;
        const char* text;
        Fields fields;
    };
    const std::int64_t zero = 0, three = 3;
    const Case cases[] = {
        {"Error response for {method} {url}: {error}",
         {std::string("GET"), std::string("/x"), std::string("boom")},
         "Error response for GET /x: boom",
         {{"method", std::string("GET")}, {"url", std::string("/x")}, {"error", std::string("boom")}}},
        // The name labels, the position selects.
        {"{b} {a}",
         {std::string("first"), std::string("second")},
         "first second",
         {{"b", std::string("first")}, {"a", std::string("second")}}},
        {"{n} {f} {ok} {u}",
         {three, 2.5, true, std::numeric_limits<std::uint64_t>::max()},
         "3 2.5 true 18446744073709551615",
         {{"n", three}, {"f", 2.5}, {"ok", true}, {"u", std::numeric_limits<std::uint64_t>::max()}}},
        // "#" typing.
        {"{#count}{#count_long}{#my_count}{#at_time}",
         {three, three, three, three},
         "3333",
         {{"count_int", three}, {"count_long", three}, {"my_count_int", three}, {"at_time", three}}},
        {"{#ok}{#ratio}{#name}{#size_str}",
         {false, 0.5, std::string("n"), std::string("s")},
         "false0.5ns",
         {{"ok_bool", false},
          {"ratio_float", 0.5},
          {"name_str", std::string("n")},
          {"size_str", std::string("s")}}},
        // "?" leaves empty values out of the map, not out of the text.
        {"{?a}|{?b}|{?c}|{?d}|{?e}",
         {zero, false, 0.0, std::string(), three},
         "0|false|0||3",
         {{"e", three}}},
        // Braces, escapes and options.
        {"{{literal}} } }}", {}, "{literal} } }", {}},
        {"open {brace", {three}, "open {brace", {}},
        {"{a\\}b}", {three}, "3", {{"a}b", three}}},
        {"{x!r}", {three}, "3", {{"x", three}}},
        {"{v:05d}|{w:%.2f}|{z:*d}|{s:x}",
         {std::int64_t{42}, 2.5, three, std::string("str")},
         "00042|2.50|3|str",
         {{"v", std::int64_t{42}}, {"w", 2.5}, {"z", three}, {"s", std::string("str")}}},
        // Placeholders past the last value are dropped; direct specifications take the next value.
        {"{a} and {b}.", {three}, "3 and .", {{"a", three}}},
        {"{a} %d {b} 100%%",
         {std::int64_t{1}, std::int64_t{2}, three},
         "1 2 3 100%",
         {{"a", std::int64_t{1}}, {"b", three}}},
        {"{a} {a}", {std::int64_t{1}, std::int64_t{2}}, "1 2", {{"a", std::int64_t{2}}}},
    };
    for (const Case& c : cases) {
        NamedMessage message = FormatNamedValues(c.format, c.values);
        EXPECT_EQ(message.text, c.text) << c.format;
        EXPECT_EQ(message.fields, c.fields) << c.format;
    }
}

TEST(FormatNamedMessage, TakesNativeValues) {
    NamedMessage message =
        FormatNamedMessage("Failed to convert type {type} ({#size}, {#signed})", "Record", 12u, -4);
    EXPECT_EQ(message.text, "Failed to convert type Record (12, -4)");
    EXPECT_EQ(message.fields, (Fields{{"type", std::string("Record")},
                                      {"size_int", std::uint64_t{12}},
                                      {"signed_int", std::int64_t{-4}}}));
}

}  // namespace
}  // namespace Zarn::Logging
