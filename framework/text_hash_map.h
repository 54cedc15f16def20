// The module's maps keyed by text (addresses, host event names, type names): 32-bit FNV-1a over
// the bytes, 8 buckets to start and at most one entry per bucket on average. Lookups by
// std::string_view need no temporary string. Not locked: each owner says what guards it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "binding/fnv1a.h"

namespace Zarn::Framework {

template <typename Value>
class TextHashMap : public std::unordered_map<std::string, Value, Binding::Fnv1aTextHash, std::equal_to<>> {
public:
    static constexpr std::size_t kInitialBuckets = 8;

    TextHashMap()
        : std::unordered_map<std::string, Value, Binding::Fnv1aTextHash, std::equal_to<>>(kInitialBuckets) {
        this->max_load_factor(1.0f);
    }
};

}  // namespace Zarn::Framework
