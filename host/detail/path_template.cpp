#include "host/detail/path_template.h"

namespace Zarn::Host::detail {
namespace {

// Templates are short, so trying capture lengths from the shortest up finds the cheapest match
// without a regular-expression engine.
std::optional<std::size_t> Match(std::string_view pattern, std::string_view path, int depth) {
    if (depth > 64) return std::nullopt;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == '{') {
            std::size_t close = pattern.find('}', i);
            if (close != std::string_view::npos) {
                char kind = close > i + 1 ? pattern[i + 1] : '\0';
                std::string_view after = pattern.substr(close + 1);
                std::size_t start = 0;
                std::size_t limit = path.size();
                if (kind == '#') {
                    if (path.empty() || path[0] != '#') return std::nullopt;
                    start = 1;
                } else if (kind != '+') {
                    limit = path.find('/');
                    if (limit == std::string_view::npos) limit = path.size();
                }
                for (std::size_t length = 0; start + length <= limit; ++length) {
                    if (auto rest = Match(after, path.substr(start + length), depth + 1))
                        return *rest + length;
                }
                return std::nullopt;
            }
        }
        if (path.empty() || path[0] != pattern[i]) return std::nullopt;
        path.remove_prefix(1);
        ++i;
    }
    if (!path.empty()) return std::nullopt;
    return std::size_t{0};
}

}  // namespace

std::optional<std::size_t> MatchPathTemplate(std::string_view pathTemplate, std::string_view path) {
    return Match(pathTemplate, path, 0);
}

}  // namespace Zarn::Host::detail
