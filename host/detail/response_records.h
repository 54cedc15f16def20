// Filling response records with memory the host owns (and the release function that frees it),
// and reading the response records and flat values the plugin hands out, which may be malformed.
#pragma once

#include <cstddef>

#include "host/external_call.h"
#include "host/host_request.h"
#include "host/host_result.h"
#include "host/plugin_call.h"
#include "mox/plugin_abi.h"

namespace Zarn::Host::detail {

// The host's release function for the records FillResponse fills.
void MOX_CDECL ReleaseHostResponse(ApiResponse* response);

// Writes `reply` into the zeroed `response` with memory the host owns and stores
// ReleaseHostResponse. A value that has no flat form becomes a 500 error. Never throws; when
// memory runs out the record is left empty with status 500.
void FillResponse(ApiResponse& response, const HostReply& reply) noexcept;

// Host-filled responses not yet released, process-wide.
std::size_t LiveHostResponses() noexcept;
// Calls of ReleaseHostResponse on a record that was already released (or never filled by the
// host), process-wide.
std::size_t RepeatedHostReleases() noexcept;

// Reads a response the plugin filled: the value, error, status, headers and the whole stream (read
// in 4096-byte steps, then closed). Fails with the reason on a malformed record (unknown tag,
// null array with a count, a stream that never ends); `result` then holds what was read before.
HostResult ReadPluginResponse(ApiResponse& response, CallResult& result);

// The text pairs of a record; fails on a null array with a count or a null text.
HostResult ReadTextPairs(const TextPair* pairs, std::uint32_t count, TextPairs& out);

}  // namespace Zarn::Host::detail
