// The outcome of a host operation that can fail: success, or a failure with its message. Host
// operations report failures this way instead of throwing.
#pragma once

#include <string>
#include <utility>

namespace Zarn::Host {

class HostResult {
public:
    static HostResult Success() { return HostResult(); }
    static HostResult Failure(std::string message) {
        HostResult result;
        result.failed_ = true;
        result.message_ = std::move(message);
        return result;
    }

    bool Succeeded() const noexcept { return !failed_; }
    bool Failed() const noexcept { return failed_; }
    // "" on success.
    const std::string& Message() const noexcept { return message_; }

private:
    bool failed_ = false;
    std::string message_;
};

}  // namespace Zarn::Host
