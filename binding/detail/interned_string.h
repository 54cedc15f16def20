// One entry of a store's string table. Values of kind "string" and structure keys point at
// entries; the text follows the header in the same block and ends with a NUL byte (it may also
// hold NUL bytes of its own: the length counts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Zarn::Binding::detail {

// The first eight bytes of a text, big-endian and zero-padded: comparing two prefixes as numbers
// orders the texts by unsigned bytes except where the prefixes are equal.
inline std::uint64_t KeyPrefix(const char* text, std::size_t length) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    auto bigEndian32 = [](const unsigned char* at) -> std::uint64_t {
        return (std::uint64_t{at[0]} << 24) | (std::uint64_t{at[1]} << 16) | (std::uint64_t{at[2]} << 8) |
               at[3];
    };
    if (length >= 8) return (bigEndian32(bytes) << 32) | bigEndian32(bytes + 4);
    if (length >= 4) {
        // Two overlapping words: the bytes they share are the same in both.
        return (bigEndian32(bytes) << 32) | (bigEndian32(bytes + length - 4) << (8 * (8 - length)));
    }
    if (length == 0) return 0;
    return (std::uint64_t{bytes[0]} << 56) | (std::uint64_t{bytes[length / 2]} << (8 * (7 - length / 2))) |
           (std::uint64_t{bytes[length - 1]} << (8 * (8 - length)));
}

// The longest text a store holds: lengths are kept in 32 bits, which keeps the header at 32 bytes.
inline constexpr std::size_t kMaxTextLength = 0xFFFFFFFF;

struct InternedString {
    InternedString* next;  // the chain of the table's bucket
    std::uint32_t length;
    std::uint32_t hash;        // FNV-1a of the text
    std::uint32_t references;  // 0 only for the shared empty string, which is never counted
    std::uint32_t nameId;      // in the table of name_ids.h once a field has the text as its name, else 0
    std::uint64_t prefix;      // KeyPrefix of the text

    const char* Text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
    std::string_view View() const noexcept { return {Text(), length}; }
};

// Whether `entry` holds the text whose KeyPrefix is `prefix`. Equal prefixes and lengths already
// prove texts of up to eight bytes equal; up to sixteen, the last eight bytes settle it without a
// call (most keys and short values are that long).
inline bool SameText(const InternedString* entry, std::uint64_t prefix, const char* text,
                     std::size_t length) noexcept {
    if (entry->length != length || entry->prefix != prefix) return false;
    if (length <= 8) return true;
    if (length <= 16) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, entry->Text() + length - 8, sizeof(a));
        std::memcpy(&b, text + length - 8, sizeof(b));
        return a == b;
    }
    return std::memcmp(entry->Text() + 8, text + 8, length - 8) == 0;
}

// The one empty string every empty text refers to; it lives outside every store and has name id 0.
InternedString* SharedEmptyString() noexcept;

// Unsigned byte order, a prefix sorting before the longer text.
inline int CompareKeys(std::string_view a, std::string_view b) noexcept {
    // memcmp compares as unsigned char.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (order != 0) return order;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The same order, decided by the prefixes where they differ.
inline int CompareKeys(const InternedString* a, std::uint64_t prefix, std::string_view b) noexcept {
    if (a->prefix != prefix) return a->prefix < prefix ? -1 : 1;
    return CompareKeys(a->View(), b);
}

}  // namespace Zarn::Binding::detail
