// 32-bit FNV-1a, the hash of every text-keyed and id-keyed index of the registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Zarn::Binding::detail {

inline constexpr std::uint32_t kFnvOffsetBasis = 2166136261u;
inline constexpr std::uint32_t kFnvPrime = 16777619u;

constexpr std::uint32_t Fnv1a(std::string_view bytes, std::uint32_t hash = kFnvOffsetBasis) {
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

// Hashes the four bytes of an id, least significant first, so the result does not depend on byte order.
constexpr std::uint32_t Fnv1aOfId(std::uint32_t id, std::uint32_t hash = kFnvOffsetBasis) {
    for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (id >> shift) & 0xFFu;
        hash *= kFnvPrime;
    }
    return hash;
}

struct TypeIdHash {
    std::size_t operator()(std::uint32_t id) const { return Fnv1aOfId(id); }
};

}  // namespace Zarn::Binding::detail
