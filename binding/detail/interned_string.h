// One entry of a store's string table. Values of kind "string" and structure keys point at
// entries; the text follows the header in the same allocation and ends with a NUL byte (it may
// also hold NUL bytes of its own: the length counts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Zarn::Binding::detail {

struct InternedString {
    InternedString* next;  // the chain of the table's bucket
    std::size_t length;
    std::uint32_t hash;
    std::uint32_t references;  // 0 only for the shared empty string, which is never counted

    const char* Text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
    std::string_view View() const noexcept { return {Text(), length}; }
};

// The one empty string every empty text refers to; it lives outside every store.
InternedString* SharedEmptyString() noexcept;

// Unsigned byte order, a prefix sorting before the longer text.
inline int CompareKeys(std::string_view a, std::string_view b) noexcept {
    // memcmp compares as unsigned char.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (order != 0) return order;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace Zarn::Binding::detail
