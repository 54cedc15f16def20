// The server class names of the records the plugin exchanges over LCDS, and the "__class" fields
// that name them in outgoing call arguments. Filled while the plugin registers its types; read on
// the host's thread when an LCDS call converts its arguments.
//
// Every structure value whose registered type has a class name gets a text field "__class" with
// that name, at every nesting level: the value is walked together with the type descriptor it was
// converted from, so a nested structure is recognised by the record of the field, vector element
// or map entry that produced it, never by guessing from its keys. Values of kind "any" (a
// BindingProperty member) carry no registered type and are left as they are. The walk keeps its
// own stack, so no nesting depth can exhaust the thread's stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/binding_result.h"
#include "binding/native_conversion.h"
#include "binding/type_descriptor.h"
#include "framework/text_hash_map.h"

namespace Zarn::Framework {

inline constexpr std::string_view kLcdsClassField = "__class";

class LcdsClassNames {
public:
    // Enters `className` under the registered name and under the type id; a later call for the same
    // name or id replaces the class name.
    void Set(std::string_view registeredName, std::uint32_t typeId, std::string_view className);

    // Null when the name or id has no class name.
    const std::string* FindByName(std::string_view registeredName) const;
    const std::string* FindByTypeId(std::uint32_t typeId) const;
    bool Empty() const { return byName_.empty(); }

private:
    TextHashMap<std::string> byName_;
    std::unordered_map<std::uint32_t, std::string> byTypeId_;
};

// Adds the "__class" fields to `value`, converted from a native value described by `type`.
void AddLcdsClassFields(Binding::BindingProperty& value, const Binding::TypeDescriptor& type,
                        const LcdsClassNames& classNames);

// Converts `native` for an LCDS call: the registry's conversion, then the "__class" fields.
template <typename T>
void ConvertForLcds(const Binding::BindingRegistry& registry, const LcdsClassNames& classNames,
                    const T& native, Binding::BindingProperty& output, Binding::BindingResult& result) {
    if (result.Failed()) return;
    const Binding::TypeDescriptor type = Binding::DescribeNative<T>(registry);
    Binding::NativeTraits<T>::Convert(registry, type, native, output, result);
    if (result.Succeeded()) AddLcdsClassFields(output, type, classNames);
}

}  // namespace Zarn::Framework
