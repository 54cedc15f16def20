// An external request as the host received it from the plugin (copied out of its record), and the
// reply a handler gives, which the host writes into the plugin's external response record.
#pragma once

#include <cstdint>
#include <string>

#include "host/boundary_record.h"

namespace Zarn::Host {

struct ExternalCall {
    std::uint32_t method = 0;
    std::string methodName;  // "GET", the custom name for 8, "" for none
    std::string url;
    TextPairs headers;  // in the plugin's order
    std::string body;
    std::uint32_t timeoutMilliseconds = 0;
};

struct ExternalReply {
    bool failed = false;  // the request could not be made; `message` says why
    std::string message;
    std::uint32_t status = 200;
    TextPairs headers;
    std::string body;

    static ExternalReply Failure(std::string message) {
        ExternalReply reply;
        reply.failed = true;
        reply.status = 0;
        reply.message = std::move(message);
        return reply;
    }
};

}  // namespace Zarn::Host
