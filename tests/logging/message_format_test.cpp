#include "logging/message_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Zarn::Logging {
namespace {

TEST(FormatMessage, NumberedTemplates) {
    struct Case {
        const char* format;
        std::vector<MessageArgument> arguments;
        const char* expected;
    };
    const std::int64_t big = 9000000000;
    const Case cases[] = {
        {"100%%", {}, "100%"},
        {"%2 %1", {"a", "b"}, "b a"},
        {"%1x%1", {"a"}, "axa"},
        {"%1$05d", {42}, "00042"},
        {"%1$s", {42}, "42"},
        {"[%1$n]", {42}, "[]"},
        {"%1 %2 %3", {std::int64_t{5}, 1.5, "text"}, "5 1.5 text"},
        // Defaults and the integer types' widths.
        {"%1 %1$d %1$x", {big}, "9000000000 9000000000 218711a00"},
        {"%1 %1$d %1$u", {'A'}, "A 65 65"},
        {"%1$d %1$u", {static_cast<char>(-1)}, "-1 4294967295"},
        {"%1 %1$c %1$X", {std::uint16_t{65535}}, "65535 \xFF FFFF"},
        {"%1", {std::numeric_limits<std::uint64_t>::max()}, "18446744073709551615"},
        {"%1$u %1$d", {std::uint32_t{4000000000u}}, "4000000000 -294967296"},
        {"%1$u %1$ld %1$lld %1$hhd %1$jd %1$zd %1$td", {-1}, "4294967295 -1 -1 -1 -1 -1 -1"},
        {"%1$hhd %1$hd %1$c", {300}, "44 300 ,"},
        // Conversions outside the type's set fall back to its default.
        {"%1$s %1$p %1$f", {42}, "42 42 42"},
        {"%1$d %1$.2f %1$Lf %1$10.3e", {2.5}, "2.5 2.50 2.500000  2.500e+00"},
        {"%1$d|%1$5s|%1$-5s|%1$.1s|%1$05s", {"ab"}, "ab|   ab|ab   |a|   ab"},
        {"%1|%1$10s", {VersionTriple{18, 0, 1}}, "18.0.1|    18.0.1"},
        {"%1", {std::string_view("abcdef", 3)}, "abc"},
        {"%1", {static_cast<const char*>(nullptr)}, "(null)"},
        {"%1 %2", {true, false}, "true false"},
        // Order counter, "*" and the end of formatting.
        {"%s %s", {"a", "b"}, "a b"},
        {"%2 %s", {"a", "b", "c"}, "b b"},
        {"%*d|%-*d|%*d|", {4, 7, 3, 8, -3, 9}, "   7|8  |9  |"},
        {"%.*s|%.*s", {2, "abcdef", -1, "xyz"}, "ab|xyz"},
        {"%2$*d|", {5, 42}, "   42|"},
        {"a%*db", {"x", 42}, "a"},
        {"a %s %s %s b", {"x", "y"}, "a x y "},
        {"%0d|%9$s|", {7}, "7|"},
        {"end%", {"x"}, "end"},
        {"end%1$-", {"x"}, "end"},
        {"%3d|", {"x", "y"}, "  x|"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMessageArguments(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatMessage, OverlongSpecificationEndsFormatting) {
    std::string fits = "<%1$" + std::string(57, '-') + "d>";     // "%" + 57 flags + "d": 59 characters
    std::string tooLong = "<%1$" + std::string(58, '-') + "d>";  // 60 characters
    EXPECT_EQ(FormatMessage(fits, 7), "<7>");
    EXPECT_EQ(FormatMessage(tooLong, 7), "<");
}

TEST(FormatMessage, OutputIsCutAt4095Bytes) {
    std::string chunk(3000, 'x');
    std::string result = FormatMessage("%1%1", chunk);
    EXPECT_EQ(result, std::string(4095, 'x'));
    EXPECT_EQ(FormatMessage("%1$5000d", 1).size(), 4095u);
    EXPECT_EQ(FormatMessage(std::string(5000, 'y')).size(), 4095u);
}

TEST(FormatMessage, AcceptsTheCallersOwnTypes) {
    std::string owned = "owned";
    EXPECT_EQ(
        FormatMessage("%1 %2 %3 %4 %5 %6", owned, std::size_t{7}, short{-3}, 0.25f, 'c', std::int8_t{-2}),
        "owned 7 -3 0.25 c \xFE");
}

}  // namespace
}  // namespace Zarn::Logging
