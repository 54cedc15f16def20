#include "framework/address_pattern.h"

#include <cstddef>

namespace Zarn::Framework {

// One left-to-right pass without backtracking: a "*" takes characters up to the next "/" (or the
// end), so the work is linear in the two lengths whatever the input.
bool MatchesAddressPattern(std::string_view pattern, std::string_view address) {
    std::size_t p = 0;
    std::size_t a = 0;
    while (p < pattern.size() && a < address.size()) {
        if (pattern[p] != '*') {
            if (pattern[p] != address[a]) return false;
            ++p;
            ++a;
        } else if (address[a] != '/') {
            ++a;
            if (a == address.size()) ++p;
        } else {
            ++p;
        }
    }
    return p == pattern.size() && a == address.size();
}

}  // namespace Zarn::Framework
