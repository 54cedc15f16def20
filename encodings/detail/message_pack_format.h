// The classification of MessagePack's 256 format bytes: what each produces and how wide the
// length, count or number after it is.
#pragma once

#include <array>
#include <cstdint>

namespace Zarn::Encodings::detail {

enum class MessagePackClass : std::uint8_t {
    Invalid,  // 0xC1 and the ext/fixext formats
    Nil,
    False,
    True,
    PositiveFixInt,
    NegativeFixInt,
    FixMap,
    FixArray,
    FixString,
    Binary,
    String,
    Array,
    Map,
    Unsigned,
    Signed,
    Float32,
    Float64,
};

struct MessagePackFormat {
    MessagePackClass kind = MessagePackClass::Invalid;
    std::uint8_t width = 0;  // bytes of the field after the format byte; 0 for the fix formats
};

inline constexpr std::array<MessagePackFormat, 256> kMessagePackFormats = [] {
    using C = MessagePackClass;
    std::array<MessagePackFormat, 256> table{};
    for (int b = 0x00; b <= 0x7F; ++b) table[b] = {C::PositiveFixInt, 0};
    for (int b = 0x80; b <= 0x8F; ++b) table[b] = {C::FixMap, 0};
    for (int b = 0x90; b <= 0x9F; ++b) table[b] = {C::FixArray, 0};
    for (int b = 0xA0; b <= 0xBF; ++b) table[b] = {C::FixString, 0};
    table[0xC0] = {C::Nil, 0};
    table[0xC2] = {C::False, 0};
    table[0xC3] = {C::True, 0};
    table[0xC4] = {C::Binary, 1};
    table[0xC5] = {C::Binary, 2};
    table[0xC6] = {C::Binary, 4};
    table[0xCA] = {C::Float32, 4};
    table[0xCB] = {C::Float64, 8};
    table[0xCC] = {C::Unsigned, 1};
    table[0xCD] = {C::Unsigned, 2};
    table[0xCE] = {C::Unsigned, 4};
    table[0xCF] = {C::Unsigned, 8};
    table[0xD0] = {C::Signed, 1};
    table[0xD1] = {C::Signed, 2};
    table[0xD2] = {C::Signed, 4};
    table[0xD3] = {C::Signed, 8};
    table[0xD9] = {C::String, 1};
    table[0xDA] = {C::String, 2};
    table[0xDB] = {C::String, 4};
    table[0xDC] = {C::Array, 2};
    table[0xDD] = {C::Array, 4};
    table[0xDE] = {C::Map, 2};
    table[0xDF] = {C::Map, 4};
    for (int b = 0xE0; b <= 0xFF; ++b) table[b] = {C::NegativeFixInt, 0};
    return table;
}();

}  // namespace Zarn::Encodings::detail
