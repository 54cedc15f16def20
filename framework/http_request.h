// A request to an outside server that the host carries out for the plugin, and its response.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Zarn::Framework {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::uint32_t method = 2;  // an ApiMethod code (mox/plugin_abi.h); GET
    std::string customMethod;  // the name, when `method` is 8
    std::string url;
    HeaderList headers;                     // sent in this order, after the user agent when that is added
    std::string body;                       // bytes
    std::uint32_t timeoutMilliseconds = 0;  // 0: the host's default
};

struct HttpResponse {
    std::uint32_t status = 0;
    HeaderList headers;
    std::string body;  // bytes
};

}  // namespace Zarn::Framework
