// Plays one scenario through a plugin library: simulated peers with the client's default
// behaviour (and the scenario's overrides), the steps in order with the loop run until idle after
// each, and the expectations checked against what the plugin did since the previous expectation.
// Every transcript object goes to the sink as it happens. Single-threaded.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "binding/binding_property.h"
#include "host/event_loop.h"
#include "host/plugin_call.h"

namespace Zarn::Host {
class PluginHost;
}

namespace Zarn::MoxHost {

// Exit statuses of `run`.
inline constexpr int kScenarioPassed = 0;
inline constexpr int kExpectationFailed = 1;
inline constexpr int kScenarioUnusable = 2;
inline constexpr int kPluginFault = 3;

class ScenarioPlayer {
public:
    using Sink = std::function<void(const Binding::BindingProperty& transcriptObject)>;

    ScenarioPlayer(Binding::BindingProperty scenario, std::string pluginPath, Sink sink);
    ~ScenarioPlayer();
    ScenarioPlayer(const ScenarioPlayer&) = delete;
    ScenarioPlayer& operator=(const ScenarioPlayer&) = delete;

    // One of the exit statuses above; the scenario's own problem, or the failed
    // expectation naming its step, is written to `problem`. Start and then Finish.
    int Play(std::string& problem);

    // Loads and starts the plugin and plays the scenario's steps, leaving it running (unless a
    // step shut it down). Anything but kScenarioPassed means the run is over: Finish still checks
    // the releases but the plugin is not to be driven further.
    int Start(std::string& problem, Host::ClockMode clock = Host::ClockMode::kVirtual);
    // One step of the scenario's form ({update: ADDRESS, data: ...}, {lcds: ...}, ...), played as
    // if it came next in the file; its status as above.
    int Perform(const Binding::BindingProperty& step, std::string& problem);
    // Calls the plugin's function for `call` and runs the loop until idle.
    Host::CallResult Call(const Host::PluginCall& call);
    // Shuts the plugin down if it is running and checks that every response was released once.
    int Finish();
    // Whether the plugin misbehaved at any time so far.
    bool HasFaulted() const;

    // The host once Start has made it (null before).
    Host::PluginHost* RunningHost() const noexcept;
    // Drops the transcript the host kept for expectations: a long-running host keeps only what
    // the sink took.
    void ForgetTranscript();

    // Called when the plugin waits for something that can never arrive (it yields while nothing
    // is queued, pending or scheduled): the plugin cannot be returned to, so the hook ends the
    // process with kPluginFault after flushing what it wrote. The fault record precedes it.
    void OnStuck(std::function<void()> abandon);

    // Called from a handler of a fatal signal raised while the plugin ran (a crash, or an
    // exception its own runtime could not deliver): records the fault and abandons as OnStuck does.
    void OnCrash(const char* what);

    // The scenario's peer resource at `address` as it stands now; empty when absent.
    Binding::BindingProperty Peer(const std::string& address) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace Zarn::MoxHost
