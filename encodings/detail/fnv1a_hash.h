// 32-bit FNV-1a over the bytes of a text: the hash of every text-keyed map of the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Zarn::Encodings::detail {

struct Fnv1aHash {
    using is_transparent = void;  // lookups by string_view need no temporary string

    std::size_t operator()(std::string_view text) const noexcept {
        std::uint32_t hash = 2166136261u;
        for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
        return hash;
    }
    std::size_t operator()(const std::string& text) const noexcept { return (*this)(std::string_view(text)); }
};

}  // namespace Zarn::Encodings::detail
