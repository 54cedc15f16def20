// 32-bit FNV-1a (offset basis 2166136261, prime 16777619): the hash of every text-keyed map of the
// system and of the registry's index by type id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Zarn::Binding {

inline constexpr std::uint32_t kFnv1aOffsetBasis = 2166136261u;
inline constexpr std::uint32_t kFnv1aPrime = 16777619u;

constexpr std::uint32_t Fnv1a32(std::string_view bytes, std::uint32_t hash = kFnv1aOffsetBasis) noexcept {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnv1aPrime;
    }
    return hash;
}

// The four bytes of an id, least significant first, so the result does not depend on byte order.
constexpr std::uint32_t Fnv1a32OfId(std::uint32_t id, std::uint32_t hash = kFnv1aOffsetBasis) noexcept {
    for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (id >> shift) & 0xFFu;
        hash *= kFnv1aPrime;
    }
    return hash;
}

// Hash functor for text-keyed unordered maps; lookups by std::string_view need no temporary string
// (use it with std::equal_to<>).
struct Fnv1aTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return Fnv1a32(text); }
    std::size_t operator()(const std::string& text) const noexcept { return Fnv1a32(text); }
};

struct Fnv1aIdHash {
    std::size_t operator()(std::uint32_t id) const noexcept { return Fnv1a32OfId(id); }
};

}  // namespace Zarn::Binding
