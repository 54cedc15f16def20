// The failure of a request or of an awaited operation: a message for people and an HTTP-style
// status code (0 when there is none). Returned as a value, never thrown.
#pragma once

#include <cstdint>
#include <string>

namespace Zarn {

struct Failure {
    std::string message;
    std::uint32_t status = 0;

    bool operator==(const Failure&) const = default;
};

}  // namespace Zarn
