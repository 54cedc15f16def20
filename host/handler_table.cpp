#include "host/handler_table.h"

namespace Zarn::Host {

bool PathMatches(std::string_view pattern, std::string_view path) noexcept {
    if (!pattern.empty() && pattern.back() == '*') {
        pattern.remove_suffix(1);
        return path.substr(0, pattern.size()) == pattern;
    }
    return pattern == path;
}

}  // namespace Zarn::Host
