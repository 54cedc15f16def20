#include "binding/binding_store.h"

namespace Zarn::Binding {

std::size_t BindingStore::BlocksInUse() const noexcept { return 0; }
std::size_t BindingStore::PageCount() const noexcept { return 0; }
std::uint32_t Fnv1a32(std::string_view) noexcept { return 0; }

}  // namespace Zarn::Binding
