#include "binding/flat_binding_property.h"

namespace Zarn::Binding {

const char* FlatKindName(std::uint32_t) noexcept { return ""; }
BindingResult ToFlat(const BindingProperty&, FlatBindingProperty&, const EnumeratorNames*) { return {}; }
BindingResult FromFlat(const FlatBindingProperty&, BindingProperty&, std::string_view) { return {}; }
bool FromFlat(const FlatBindingProperty&, BindingProperty&, std::string_view, FlatError&) { return true; }
void ReleaseFlat(FlatBindingProperty&) noexcept {}
void ReleaseFlatError(FlatError&) noexcept {}

}  // namespace Zarn::Binding
