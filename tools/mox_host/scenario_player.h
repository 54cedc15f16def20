// Plays one scenario through a plugin library: simulated peers with the client's default
// behaviour (and the scenario's overrides), the steps in order with the loop run until idle after
// each, and the expectations checked against what the plugin did since the previous expectation.
// Every transcript object goes to the sink as it happens. Single-threaded.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "binding/binding_property.h"

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
    // expectation naming its step, is written to `problem`.
    int Play(std::string& problem);

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
