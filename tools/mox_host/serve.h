// `mox-host serve`: plays a scenario's peers and steps, then keeps the plugin running on the real
// clock behind a local HTTP API, until POST /host/v1/shutdown, SIGINT or SIGTERM.
//
// Threads: the calling thread runs the host's loop and is the only one that enters the plugin;
// the HTTP server's threads turn each request into a task for that loop and wait for its answer.
// Every request must show the secret written to the lockfile (ServeAccess), else 401.
//
// Routes:
//   GET  /                          the end-of-game page (GET /?token=SECRET signs a browser in)
//   GET  /host/v1/events            Server-Sent Events: each event the plugin sends
//   GET  /host/v1/transcript        the transcript so far, one JSON object a line
//   GET  /host/v1/memory            the plugin's allocation counters
//   GET  /host/v1/api               the plugin's API description
//   POST /host/v1/lcds/{typeName}   an LCDS message, the body being its body
//   POST /host/v1/service-proxy/{event}   a service-proxy message {serviceName, methodName, payload, ...}
//   POST /host/v1/shutdown          stops serving
//   any method and path of one of the plugin's functions: that function
//   GET/PUT/POST/PATCH/DELETE on any other address: the simulated peer resource there
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "tools/mox_host/scenario_player.h"

namespace Zarn::MoxHost {

// Larger request bodies are refused with 413 before they are read.
inline constexpr std::size_t kMaxServeBodyBytes = 1024 * 1024;
// The transcript kept for GET /host/v1/transcript: the oldest lines go first beyond this.
inline constexpr std::size_t kMaxServeTranscriptBytes = 16 * 1024 * 1024;

struct ServeOptions {
    std::string scenarioPath;  // empty: the built-in scenario's peers, without its steps
    std::string pluginPath;
    int port = 0;  // 0: one the system picks
    std::string lockfilePath = "mox-host.lock";
    std::string listen = "127.0.0.1";
    // Called with the player before the plugin is loaded, to watch it for crashes (the player's
    // abandon hook, which a crash handler ends with, removes the lockfile).
    std::function<void(ScenarioPlayer&)> watch;
};

// An exit status of ScenarioPlayer's: 0 stopped cleanly, 1 or 2 the scenario did not play or the
// server could not start, 3 the plugin misbehaved at any time.
int Serve(const ServeOptions& options);

}  // namespace Zarn::MoxHost
