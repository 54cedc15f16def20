#include "binding/binding_property.h"

#include "binding/binding_store.h"
#include "binding/detail/interned_string.h"

namespace Zarn::Binding {

BindingProperty::~BindingProperty() {}
BindingProperty::BindingProperty(const BindingProperty&) {}
BindingProperty& BindingProperty::operator=(const BindingProperty&) { return *this; }
BindingProperty::BindingProperty(BindingProperty&&) noexcept {}
BindingProperty& BindingProperty::operator=(BindingProperty&&) noexcept { return *this; }
void BindingProperty::Reset() noexcept {}
void BindingProperty::SetBool(bool) {}
void BindingProperty::SetSigned(std::int64_t) {}
void BindingProperty::SetUnsigned(std::uint64_t) {}
void BindingProperty::SetFloat(double) {}
void BindingProperty::SetString(const char*) {}
void BindingProperty::SetString(std::string_view) {}
void BindingProperty::SetBlob(const Blob&) {}
void BindingProperty::SetBlob(const std::uint8_t*, std::size_t) {}
void BindingProperty::SetBlob(Blob&&) {}
void BindingProperty::SetEnum(std::int32_t, std::uint32_t) {}
void BindingProperty::MakeCollection() {}
void BindingProperty::MakeStructure() {}
std::size_t BindingProperty::Size() const noexcept { return 0; }
bool BindingProperty::GetBool(bool d) const noexcept { return d; }
std::int64_t BindingProperty::GetSigned(std::int64_t d) const noexcept { return d; }
std::uint64_t BindingProperty::GetUnsigned(std::uint64_t d) const noexcept { return d; }
double BindingProperty::GetFloat(double d) const noexcept { return d; }
std::string_view BindingProperty::GetString(std::string_view d) const noexcept { return d; }
const BindingProperty::Blob& BindingProperty::GetBlob() const noexcept {
    static const Blob kEmpty;
    return kEmpty;
}
const BindingProperty::Blob& BindingProperty::GetBlob(const Blob& d) const noexcept { return d; }
BindingEnum BindingProperty::GetEnum(BindingEnum d) const noexcept { return d; }
bool BindingProperty::AsBool(bool d) const noexcept { return d; }
std::int64_t BindingProperty::AsSigned(std::int64_t d) const noexcept { return d; }
std::uint64_t BindingProperty::AsUnsigned(std::uint64_t d) const noexcept { return d; }
std::string BindingProperty::AsString(std::string_view d) const { return std::string(d); }
const BindingProperty& BindingProperty::Element(std::size_t) const noexcept {
    static const BindingProperty kEmpty;
    return kEmpty;
}
BindingProperty& BindingProperty::WriteElement(std::size_t) { return *this; }
BindingProperty& BindingProperty::AppendElement() { return *this; }
void BindingProperty::Reserve(std::size_t) {}
std::span<const BindingProperty> BindingProperty::Elements() const noexcept { return {}; }
std::span<BindingProperty> BindingProperty::Elements() noexcept { return {}; }
const BindingProperty& BindingProperty::Field(std::string_view) const noexcept { return Element(0); }
BindingProperty& BindingProperty::WriteField(std::string_view) { return *this; }
bool BindingProperty::HasField(std::string_view) const noexcept { return false; }
std::span<const BindingField> BindingProperty::Fields() const noexcept { return {}; }
bool operator==(const BindingProperty&, const BindingProperty&) noexcept { return false; }
std::string_view BindingField::Name() const noexcept { return {}; }

}  // namespace Zarn::Binding
