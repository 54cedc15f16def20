#include "tools/mox_host/delivery_names.h"

#include <algorithm>
#include <cstddef>

namespace Zarn::MoxHost {

std::string ResourceEventName(std::string_view address) {
    std::string name = "OnJsonApiEvent";
    std::size_t entries = 1;
    std::size_t limit = 4;
    std::size_t start = 0;
    while (start <= address.size() && entries < limit) {
        std::size_t end = address.find('/', start);
        if (end == std::string_view::npos) end = address.size();
        const std::string_view piece = address.substr(start, end - start);
        if (!piece.empty()) {
            if (entries == 1 && piece == "mox-platform-config") limit = 6;
            name.append("_").append(piece);
            ++entries;
        }
        start = end + 1;
    }
    return name;
}

std::string LcdsEventName(std::string_view typeName) {
    std::string name = "OnLcdsEvent_";
    const std::size_t prefix = name.size();
    name.append(typeName);
    std::replace(name.begin() + static_cast<std::ptrdiff_t>(prefix), name.end(), '.', '_');
    return name;
}

}  // namespace Zarn::MoxHost
