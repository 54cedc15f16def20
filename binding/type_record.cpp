#include "binding/type_record.h"

#include <algorithm>

#include "binding/static_type.h"

namespace Zarn::Binding {

TypeRecord::TypeRecord(const BindingRegistry& registry, std::uint32_t nativeSize, std::string name,
                       const StaticType& staticType, bool isEnumeration)
    : registry_(&registry),
      nativeSize_(nativeSize),
      isEnumeration_(isEnumeration),
      name_(std::move(name)),
      typeId_(staticType.Id()),
      staticType_(&staticType) {}

const EnumeratorRecord* TypeRecord::FindValue(std::int32_t value) const {
    for (const auto& [name, enumerator] : values_) {
        if (enumerator.value == value) return &enumerator;
    }
    return nullptr;
}

const EnumeratorRecord* TypeRecord::FindValue(std::string_view name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &found->second;
}

std::vector<const EnumeratorRecord*> TypeRecord::ValuesByNumber() const {
    std::vector<const EnumeratorRecord*> ordered;
    ordered.reserve(values_.size());
    for (const auto& entry : values_) ordered.push_back(&entry.second);
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const EnumeratorRecord* a, const EnumeratorRecord* b) { return a->value < b->value; });
    return ordered;
}

}  // namespace Zarn::Binding
