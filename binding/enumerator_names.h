// Names of enumerators, for writers that show an enum value by its registered name (the flat
// form, JSON). The type registry implements it; callers pass it optionally, so a value can
// always be written without one.
#pragma once

#include <cstdint>

namespace Zarn::Binding {

class EnumeratorNames {
public:
    virtual ~EnumeratorNames() = default;

    // The registered name of `value` in the enum type `typeId`, or null when the type or the
    // value is unknown. The text stays valid as long as the provider lives.
    virtual const char* EnumeratorName(std::uint32_t typeId, std::int32_t value) const = 0;
};

}  // namespace Zarn::Binding
