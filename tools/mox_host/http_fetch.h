// The plugin's external requests made for real, over HTTP, as the client would make them. Only
// loopback addresses are contacted: scenarios are played against local servers (the spectator
// server), and a scenario naming another address must not reach out of the machine.
#pragma once

#include <string>

#include "host/external_call.h"

namespace Zarn::MoxHost {

// Connect and read each give up after this long, or after the plugin's timeout when shorter.
inline constexpr unsigned kHttpTimeoutMilliseconds = 5000;

// "localhost", an address of 127.0.0.0/8 or ::1.
bool IsLoopbackAddress(const std::string& host);

// The reply the server gave, or a failure saying why none came (refused address, unreadable URL,
// connection error, timeout).
Host::ExternalReply FetchOverHttp(const Host::ExternalCall& call);

}  // namespace Zarn::MoxHost
