#include "logging/log_record.h"

namespace Zarn::Logging {

std::string_view LevelName(std::int32_t level) {
    static constexpr std::string_view kNames[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
    if (level < 0 || level > kLevelAlways) return {};
    return kNames[level];
}

}  // namespace Zarn::Logging
