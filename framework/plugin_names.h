// The names a plugin goes by: its full name (the library file is named after it), its short name
// (the first piece of its resource addresses), its kind and the kind's variant. Computed once
// during the entry.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Framework {

// What the plugin is: "backend" or "frontend", and a variant text (empty for this plugin).
struct PluginKind {
    std::string type;
    std::string variant;
};

struct PluginNames {
    std::string fullName;
    std::string shortName;
    std::string kind;
    std::string kindVariant;
};

// "zcp-be-" for the kind "backend", "zcp-fe-" for "frontend" (exact, case-sensitive), followed by
// the short name. Any other kind gets "zcp-xx-" and an error is logged, since a host would not find
// a plugin under that name.
PluginNames GetFullNameFromShortNameAndType(std::string_view shortName, const PluginKind& kind);

}  // namespace Zarn::Framework
