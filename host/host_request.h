// A local request as the host received it from the plugin (copied out of the plugin's record),
// and the reply a handler gives for it, which the host writes into the plugin's response record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"
#include "host/boundary_record.h"
#include "mox/plugin_abi.h"

namespace Zarn::Host {

// "DELETE" .. "PUT" for codes 1 to 7; "" for any other code (8 names itself separately).
std::string_view ApiMethodName(std::uint32_t method) noexcept;
// The code of a method name (exact, upper case); 8 for any other non-empty name, 0 for "".
std::uint32_t ApiMethodCode(std::string_view name) noexcept;

struct HostRequest {
    std::uint32_t method = kApiMethodNone;  // 0 for a code outside 1..8
    std::string methodName;                 // "GET", the custom name for 8, "" for none
    std::string path;
    Binding::BindingProperty params;  // structure of the parameters by name; empty without any
    TextPairs arguments;
    std::string contentType;
    std::string body;
    PluginHandle caller = 0;
};

struct HostReply {
    std::uint32_t status = 200;
    std::string error;  // non-empty makes the response an error
    Binding::BindingProperty value;
    std::string statusText;
    TextPairs headers;
    std::uint8_t raw = 0;
    std::uint32_t form = kApiResponseFormDefault;
    // A streamed body: each chunk is one read (possibly empty); the last read reports no more
    // data. A chunk larger than the reader's buffer is delivered over several reads.
    bool streamed = false;
    std::vector<std::string> chunks;
    // The read with this index (from 0) fails.
    std::optional<std::size_t> failingRead;
    // The length hint; the chunks' total when unset.
    std::optional<std::uint32_t> streamLength;

    static HostReply Status(std::uint32_t status, std::string error = {});
    static HostReply Value(Binding::BindingProperty value, std::uint32_t status = 200);
};

}  // namespace Zarn::Host
