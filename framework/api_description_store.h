// The ApiDescription the entry hands to the host, and everything its records point to: the
// function records of the plugin's routes (made by the route table, passed in), and type and
// event records made from the BindingRegistry's entries in the registry's order. Built once,
// during the entry, after the plugin registered its API; read-only afterwards and valid as long
// as the store.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "mox/plugin_abi.h"

namespace Zarn::Binding {
class BindingRegistry;
class TypeDescriptor;
}  // namespace Zarn::Binding

namespace Zarn::Framework {

class ApiDescriptionStore {
public:
    ApiDescriptionStore() = default;
    ApiDescriptionStore(const ApiDescriptionStore&) = delete;
    ApiDescriptionStore& operator=(const ApiDescriptionStore&) = delete;

    // Replaces the description: `functions` (owned by the caller, already linked) and one type
    // record per registered structure or enumeration and one event record per registered event.
    void Build(const Binding::BindingRegistry& registry, const ApiFunctionRecord* functions,
               std::uint32_t functionCount);

    const ApiDescription& Description() const { return description_; }

private:
    const char* Keep(std::string_view text);
    const char* const* KeepTags(const std::vector<std::string>& tags);
    // The registered name of an enumeration or structure, or of a vector's or map's element.
    const char* TypeNameOf(const Binding::TypeDescriptor& type);

    ApiDescription description_{};
    std::deque<std::string> texts_;
    std::deque<std::vector<const char*>> tagLists_;
    std::deque<std::vector<ApiMemberRecord>> memberLists_;
    std::vector<ApiTypeRecord> types_;
    std::vector<ApiEventRecord> events_;
};

}  // namespace Zarn::Framework
