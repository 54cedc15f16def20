// A call of one of the plugin's API functions made by the host, and what the plugin answered,
// copied out of its response record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "binding/binding_property.h"
#include "host/boundary_record.h"

namespace Zarn::Host {

struct PluginCall {
    std::string method;  // "GET" ... "PUT", any other name is sent as a custom method
    std::string path;
    Binding::BindingProperty params;  // a structure: each field becomes one request parameter
    TextPairs arguments;              // text arguments (the query)
    std::string contentType;
    std::optional<std::string> body;
};

struct CallResult {
    std::uint32_t status = 0;
    std::string error;
    Binding::BindingProperty value;
    std::string statusText;
    TextPairs headers;
    std::uint8_t raw = 0;
    std::uint32_t form = 0;
    bool streamed = false;
    std::string streamBody;
    bool streamFailed = false;  // a read reported an error; `streamBody` holds what came before
};

// The HTTP-style status of an answer: its own, or, when the plugin gave none, 200 without an
// error and 500 with one.
inline std::uint32_t EffectiveStatus(std::uint32_t status, const std::string& error) {
    if (status != 0) return status;
    return error.empty() ? 200 : 500;
}

}  // namespace Zarn::Host
