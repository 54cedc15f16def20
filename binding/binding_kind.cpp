#include "binding/binding_kind.h"

namespace Zarn::Binding {

const char* BindingKindName(BindingKind kind) noexcept {
    static const char* const kNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                         "string", "blob", "enum",   "collection", "structure"};
    const auto index = static_cast<std::uint8_t>(kind);
    return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : "";
}

}  // namespace Zarn::Binding
