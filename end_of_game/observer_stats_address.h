// The address of a spectated game's statistics at the spectator service. Its parts come from other
// plugins' resources (the observer server's address and port, the platform id), so they are checked
// before they are put into the address: the host must be a host name or an IP address, and the
// platform id is percent-encoded as one path segment. Nothing in them can point the request at
// another host or another path than the template's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Zarn::Client::EndOfGame {

struct ObserverStatsAddress {
    // The address to request; when the host is not valid, the address as it would have been, with
    // the host percent-encoded, for the log line that says it could not be had.
    std::string url;
    bool valid = false;
};

ObserverStatsAddress BuildObserverStatsAddress(std::string_view host, std::uint16_t port,
                                               std::string_view platformId, std::uint64_t gameId);

// A DNS name (letters, digits, '-' and '.' in labels of 1 to 63 characters), a dotted IPv4 address,
// or an IPv6 address in brackets.
bool IsValidHost(std::string_view host);

// Every byte but ASCII letters, digits, '-', '_' and '~' as %XX, so the text stays one path segment
// (dots too, so that "." and ".." cannot name another directory).
std::string PercentEncodeSegment(std::string_view text);

}  // namespace Zarn::Client::EndOfGame
