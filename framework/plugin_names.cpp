#include "framework/plugin_names.h"

#include "logging/logger.h"
#include "logging/message_format.h"

namespace Zarn::Framework {

PluginNames GetFullNameFromShortNameAndType(std::string_view shortName, const PluginKind& kind) {
    std::string_view prefix = "zcp-xx-";
    if (kind.type == "backend") {
        prefix = "zcp-be-";
    } else if (kind.type == "frontend") {
        prefix = "zcp-fe-";
    } else {
        const std::string message = Logging::FormatMessage(
            "GetFullNameFromShortNameAndType(\"%1\", \"%2\") called with an unknown type", shortName,
            kind.type);
        Logging::Log(Logging::kLevelError, Logging::kGroupDbg, "            Plugin Manager| %s",
                     message.c_str());
    }
    PluginNames names;
    names.fullName.append(prefix).append(shortName);
    names.shortName = shortName;
    names.kind = kind.type;
    names.kindVariant = kind.variant;
    return names;
}

}  // namespace Zarn::Framework
