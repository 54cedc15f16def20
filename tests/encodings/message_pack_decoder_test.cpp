#include "encodings/message_pack_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe.h"
#include "encodings/decode_limits.h"

namespace Zarn::Encodings {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Testing::Describe;

MessagePackDecoding Decode(const Bytes& bytes) { return DecodeMessagePack(bytes.data(), bytes.size()); }

struct ValueCase {
    Bytes bytes;
    std::string expected;  // Describe() of the value
    std::size_t consumed;
};

TEST(MessagePackDecoder, DecodesEveryFormat) {
    const ValueCase cases[] = {
        {{}, "null", 0},
        {{0x00}, "s0", 1},
        {{0x7F}, "s127", 1},
        {{0xE0}, "s-32", 1},
        {{0xFF}, "s-1", 1},
        {{0xC0}, "null", 1},
        {{0xC2}, "false", 1},
        {{0xC3}, "true", 1},
        {{0xCC, 0xFF}, "u255", 2},
        {{0xCD, 0x01, 0x00}, "u256", 3},
        {{0xCE, 0xFF, 0xFF, 0xFF, 0xFF}, "u4294967295", 5},
        {{0xCF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "u18446744073709551615", 9},
        {{0xD0, 0xFF}, "s-1", 2},
        {{0xD1, 0xFF, 0x00}, "s-256", 3},
        {{0xD2, 0x80, 0x00, 0x00, 0x00}, "s-2147483648", 5},
        {{0xD3, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "s-9223372036854775808", 9},
        {{0xCA, 0x3F, 0xC0, 0x00, 0x00}, "f1.5", 5},
        {{0xCB, 0xBF, 0xE0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "f-0.5", 9},
        {{0xA0}, "\"\"", 1},
        {{0xA2, 0xC3, 0xA9}, "\"\\xc3\\xa9\"", 3},
        {{0xD9, 0x01, 0x61}, "\"a\"", 3},
        {{0xDA, 0x00, 0x01, 0x61}, "\"a\"", 4},
        {{0xDB, 0x00, 0x00, 0x00, 0x01, 0x00}, "\"\\x00\"", 6},
        {{0xC4, 0x03, 0x61, 0x00, 0xFF}, "blob:6100ff", 5},
        {{0xC5, 0x00, 0x00}, "blob:", 3},
        {{0xC6, 0x00, 0x00, 0x00, 0x01, 0x07}, "blob:07", 6},
        {{0x92, 0x01, 0xA1, 0x78}, "[s1,\"x\"]", 4},
        {{0xDC, 0x00, 0x00}, "[]", 3},
        {{0xDD, 0x00, 0x00, 0x00, 0x01, 0x90}, "[[]]", 6},
        {{0x81, 0xA1, 0x61, 0x01}, "{a:s1}", 4},
        {{0xDE, 0x00, 0x02, 0xA1, 0x62, 0xC0, 0xA1, 0x61, 0x80}, "{a:{},b:null}", 9},
        {{0xDF, 0x00, 0x00, 0x00, 0x00}, "{}", 5},
        // A repeated key keeps the later value, containers included.
        {{0x82, 0xA1, 0x61, 0x91, 0x01, 0xA1, 0x61, 0x91, 0x02}, "{a:[s2]}", 9},
        // Keys in any order give the structure ascending keys give; the later of a repeated key
        // wins in either order.
        {{0x83, 0xA1, 0x63, 0x01, 0xA1, 0x62, 0x02, 0xA1, 0x61, 0x03}, "{a:s3,b:s2,c:s1}", 10},
        {{0x84, 0xA1, 0x62, 0x01, 0xA1, 0x61, 0x02, 0xA1, 0x62, 0x03, 0xA1, 0x61, 0x04}, "{a:s4,b:s3}", 13},
        {{0x83, 0xA1, 0x61, 0x01, 0xA1, 0x62, 0x02, 0xA1, 0x61, 0x81, 0xA1, 0x7A, 0x05},
         "{a:{z:s5},b:s2}",
         13},
        // One value is read; the rest is the caller's.
        {{0xC0, 0xC0}, "null", 1},
        {{0x91, 0x01, 0x02}, "[s1]", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        auto decoding = Decode(c.bytes);
        ASSERT_TRUE(decoding.result.Succeeded()) << decoding.result.Message();
        EXPECT_EQ(Describe(decoding.result.Value()), c.expected);
        EXPECT_EQ(decoding.consumed, c.consumed);
    }
}

struct ErrorCase {
    Bytes bytes;
    std::string message;
};

TEST(MessagePackDecoder, ReportsErrorsWithTheirPositions) {
    const ErrorCase cases[] = {
        {{0xC1}, "Invalid MessagePack data at position 1."},
        {{0xC7, 0x01, 0x05, 0x00}, "Invalid MessagePack data at position 1."},
        {{0xC8, 0x00, 0x01, 0x05, 0x00}, "Invalid MessagePack data at position 1."},
        {{0xC9, 0x00, 0x00, 0x00, 0x01, 0x05, 0x00}, "Invalid MessagePack data at position 1."},
        {{0xD4, 0x01, 0x00}, "Invalid MessagePack data at position 1."},
        {{0xD8, 0x01}, "Invalid MessagePack data at position 1."},
        {{0x91, 0xD6, 0xFF, 0x00, 0x00, 0x00, 0x00}, "Invalid MessagePack data at position 2."},
        {{0x81, 0x01, 0x01}, "Invalid MessagePack data at position 2. Map keys must be strings."},
        {{0x81, 0xC0, 0x01}, "Invalid MessagePack data at position 2. Map keys must be strings."},
        {{0x81, 0xC4, 0x01, 0x61, 0x01}, "Invalid MessagePack data at position 2. Map keys must be strings."},
        {{0x81, 0xA1, 0x61, 0x81, 0x90, 0x01},
         "Invalid MessagePack data at position 5. Map keys must be strings."},
        {{0xCC}, "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
        {{0xCD, 0x01}, "Invalid MessagePack data. 16-bit integer value at position 1 is truncated."},
        {{0xD2, 0x01, 0x02, 0x03},
         "Invalid MessagePack data. 32-bit integer value at position 1 is truncated."},
        {{0xCF, 0x01}, "Invalid MessagePack data. 64-bit integer value at position 1 is truncated."},
        {{0xCA, 0x00}, "Invalid MessagePack data. 32-bit integer value at position 1 is truncated."},
        {{0xCB}, "Invalid MessagePack data. 64-bit integer value at position 1 is truncated."},
        {{0xD9}, "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
        {{0xDC, 0x00}, "Invalid MessagePack data. 16-bit integer value at position 1 is truncated."},
        {{0x91, 0xDF, 0x00}, "Invalid MessagePack data. 32-bit integer value at position 2 is truncated."},
        {{0x81, 0xDA, 0x00}, "Invalid MessagePack data. 16-bit integer value at position 2 is truncated."},
        {{0xA3, 0x61, 0x62}, "Invalid MessagePack data. String of size 3 at position 1 is truncated."},
        {{0xD9, 0x05, 0x61}, "Invalid MessagePack data. String of size 5 at position 2 is truncated."},
        {{0x81, 0xA2, 0x61}, "Invalid MessagePack data. String of size 2 at position 2 is truncated."},
        {{0xC4, 0x05, 0x00}, "Invalid MessagePack data. Raw bytes of size 5 at position 2 are truncated."},
        // Sizes of billions fail as truncated before anything is allocated for them.
        {{0xDB, 0xFF, 0xFF, 0xFF, 0xFF, 0x61},
         "Invalid MessagePack data. String of size 4294967295 at position 5 is truncated."},
        {{0xC6, 0xFF, 0xFF, 0xFF, 0xFF},
         "Invalid MessagePack data. Raw bytes of size 4294967295 at position 5 are truncated."},
        // Input that ends inside open containers is cut short: the innermost one is named, with
        // its declared count and the offset of its header.
        {{0x92, 0x01}, "Invalid MessagePack data. Array of size 2 at position 0 is truncated."},
        {{0x93, 0x91}, "Invalid MessagePack data. Array of size 1 at position 1 is truncated."},
        {{0x92, 0xC0, 0x92, 0xC0}, "Invalid MessagePack data. Array of size 2 at position 2 is truncated."},
        {{0x82, 0xA1, 0x61, 0x01, 0xA1, 0x62},
         "Invalid MessagePack data. Map of size 2 at position 0 is truncated."},
        {{0x82, 0xA1, 0x61, 0x01}, "Invalid MessagePack data. Map of size 2 at position 0 is truncated."},
        {{0x91, 0x81}, "Invalid MessagePack data. Map of size 1 at position 1 is truncated."},
        {{0x81, 0xA1, 0x61, 0xDC, 0x00, 0x03, 0x01},
         "Invalid MessagePack data. Array of size 3 at position 3 is truncated."},
        // A header declaring four billion elements reserves nothing for them.
        {{0xDD, 0xFF, 0xFF, 0xFF, 0xFF},
         "Invalid MessagePack data. Array of size 4294967295 at position 0 is truncated."},
        {{0xDD, 0xFF, 0xFF, 0xFF, 0xFF, 0xC3},
         "Invalid MessagePack data. Array of size 4294967295 at position 0 is truncated."},
        {{0xDF, 0xFF, 0xFF, 0xFF, 0xFF},
         "Invalid MessagePack data. Map of size 4294967295 at position 0 is truncated."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        auto decoding = Decode(c.bytes);
        EXPECT_TRUE(decoding.result.Failed());
        EXPECT_EQ(decoding.result.Message(), c.message);
    }
}

TEST(MessagePackDecoder, BoundsNestingWithoutExhaustingTheStack) {
    Bytes arrays(kMaxDecodeDepth, 0x91);
    arrays.push_back(0xC0);
    EXPECT_TRUE(Decode(arrays).result.Succeeded());

    arrays.insert(arrays.begin(), 0x91);
    EXPECT_EQ(Decode(arrays).result.Message(),
              "Invalid MessagePack data at position 1001. Nesting deeper than 1000 levels is not supported.");

    Bytes maps;
    for (int i = 0; i < 1'000'000; ++i) maps.insert(maps.end(), {0x81, 0xA1, 0x61});
    EXPECT_TRUE(Decode(maps).result.Failed());
    EXPECT_TRUE(Decode(Bytes(1'000'000, 0x91)).result.Failed());
}

}  // namespace
}  // namespace Zarn::Encodings
