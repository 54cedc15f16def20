// Fills the host's response record from a handler's reply, and the functions that travel with
// it: the release function and the read and close functions of a streamed body. Everything the
// record owns is allocated with malloc and freed by the release function alone.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/routes/route_result.h"
#include "mox/plugin_abi.h"

namespace Zarn::Binding {
class EnumeratorNames;
}

namespace Zarn::Framework::detail {

// Releases what the record holds through the release function stored in it (whoever filled
// it), zeroes it and stores this module's release function.
void PrepareResponse(ApiResponse& response) noexcept;

// Writes `reply` into a prepared record: the error text of a failure, or the value in flat form
// (enumerators named through `names`; a value that cannot be flattened gives status 400 and its
// message), then the raw flag, form code, status, status text, headers and stream.
void WriteReply(RouteReply& reply, ApiResponse& response, const Binding::EnumeratorNames* names);

// Replaces whatever the record holds by a bare failure. Allocates nothing but the texts.
void WriteFailure(ApiResponse& response, std::uint32_t status, std::string_view message) noexcept;

void MOX_CDECL ReleaseResponse(ApiResponse* response) noexcept;

}  // namespace Zarn::Framework::detail
