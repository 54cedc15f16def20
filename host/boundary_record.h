// One thing that crossed the boundary between the host and the plugin, as the host saw it. The
// host keeps them in order (PluginHost::Transcript) and hands each to its observer as it happens;
// the fields are those of the transcript lines, and a record fills only the ones of its kind.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/binding_property.h"

namespace Zarn::Host {

enum class BoundaryKind {
    kLoad,         // version, name, functions
    kInitialize,   // result (bool)
    kDeliver,      // name, flag, payload
    kSubscribe,    // name, flag
    kUnsubscribe,  // name
    kEvent,        // name, flag, payload
    kRequest,      // method, path, params, contentType, body, status, error
    kExternal,     // method, url, headers, body, status, error
    kTimer,        // label, delay
    kWait,         // label
    kEndWait,      // label (of the wait it ends)
    kYield,
    kLog,    // level, text
    kCall,   // method, path, status, result, error
    kFault,  // text
    kShutdown,
};

// "load", "initialize", "deliver", ... as written in transcripts.
std::string_view BoundaryKindName(BoundaryKind kind) noexcept;

using TextPairs = std::vector<std::pair<std::string, std::string>>;

struct BoundaryRecord {
    BoundaryKind kind = BoundaryKind::kFault;
    std::string name;
    std::uint32_t flag = 0;
    Binding::BindingProperty payload;
    std::string method;  // "GET", a custom name, or "" for no method
    std::string path;
    std::string url;
    Binding::BindingProperty params;  // a structure of the request's parameters, by name
    std::string contentType;
    std::string body;  // bytes
    TextPairs headers;
    std::uint32_t status = 0;
    std::string error;
    std::string label;
    double delay = 0.0;
    std::uint32_t level = 0;
    std::string text;
    std::array<std::uint32_t, 3> version{};
    std::vector<std::string> functions;
    Binding::BindingProperty result;
};

}  // namespace Zarn::Host
