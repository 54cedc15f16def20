// The records of outgoing requests as the module builds and reads them: parameter entries with
// their flat values, the release of a response the host filled, the reading of a streamed
// response, and the copying of an external response. Internal to the framework.
//
// Everything read here comes from the host and is checked before use: null texts are read as
// empty, null arrays with non-zero counts and oversized chunks are failures, never reads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "binding/binding_property.h"
#include "binding/binding_result.h"
#include "binding/enumerator_names.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework::detail {

// The parameter array of a request, owning the flat values (released by the destructor).
class ParameterEntries {
public:
    ParameterEntries() = default;
    ~ParameterEntries();
    ParameterEntries(const ParameterEntries&) = delete;
    ParameterEntries& operator=(const ParameterEntries&) = delete;

    // One entry per field of `fields` (a structure; an empty value gives none), in key order.
    Binding::BindingResult Build(const Binding::BindingProperty& fields,
                                 const Binding::EnumeratorNames* names);

    const ApiParameter* Data() const { return entries_.empty() ? nullptr : entries_.data(); }
    std::uint32_t Count() const { return static_cast<std::uint32_t>(entries_.size()); }

private:
    std::vector<std::string> names_;
    std::vector<ApiParameter> entries_;
};

// Releases a response record the host filled through its release function, once.
class ResponseRelease {
public:
    explicit ResponseRelease(ApiResponse& response) : response_(response) {}
    ~ResponseRelease();
    ResponseRelease(const ResponseRelease&) = delete;
    ResponseRelease& operator=(const ResponseRelease&) = delete;

private:
    ApiResponse& response_;
};

// The stream reading loop: chunks of up to kStreamChunkBytes appended to `text`; after a short
// chunk with more data pending `yieldOnce` lets the host make progress. The close function runs
// whatever happens. Fails with "Stream read error" when a read fails or claims more bytes than
// the buffer holds.
inline constexpr std::uint32_t kStreamChunkBytes = 4096;
// The expected length is only a capacity hint from the host; no more than this is reserved up
// front, so a wrong hint cannot exhaust memory.
inline constexpr std::uint32_t kMaxStreamReserve = 16u << 20;
Binding::BindingResult ReadStream(const ApiResponse& response, const std::function<void()>& yieldOnce,
                                  std::string& text);

// A text the host lent: "" for null.
inline std::string BorrowedText(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace Zarn::Framework::detail
