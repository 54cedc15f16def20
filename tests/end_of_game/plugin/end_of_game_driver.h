// Drives the end-of-game plugin library through the host library as the client would: peer
// resources that answer the plugin's reads and deliver their changes, LCDS messages, the login
// plugin's service proxy, an external server for the spectator path, and calls of the plugin's
// endpoints. What the plugin did is read back from the host's transcript.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"
#include "host/login_peer.h"
#include "host/plugin_host.h"

namespace Zarn::Client::EndOfGame::Testing {

// A JSON text as a value; fails the test when it does not parse.
Binding::BindingProperty Json(std::string_view text);
// A value as compact JSON.
std::string ToJson(const Binding::BindingProperty& value);
// The text of a fixture file of tests/end_of_game.
std::string ReadFixture(std::string_view name);

class EndOfGameDriver {
public:
    EndOfGameDriver();
    ~EndOfGameDriver();

    // Resources present before the plugin starts (read by its observers as Create).
    void SetPeer(std::string_view address, std::string_view json);
    // Loads the plugin library, initializes it and runs the loop until idle.
    void Start();

    // A peer resource changes ("Create", "Update") or goes away; the event is delivered.
    void Update(std::string_view address, std::string_view json, std::string_view type = "Update");
    void Delete(std::string_view address);
    void Lcds(std::string_view className, std::string_view json);
    // Calls an endpoint; `body` is sent as JSON when given.
    Host::CallResult Call(std::string_view method, std::string_view path, std::string_view body = {},
                          std::string_view contentType = "application/json");
    void Shutdown();

    // Runs `task` when the plugin next posts `path` (once), inside the request, as a host that keeps
    // serving while the plugin waits for its reply would.
    void OnNextRequest(std::string_view path, std::function<void()> task);
    // The spectator service's answer to every external request.
    void SetExternalReply(std::uint32_t status, std::string body);

    // What crossed the boundary since the last ClearTranscript (or the start).
    std::vector<std::string> Logs() const;
    // Log lines that contain one of the machine's traces or the reset line, in order.
    std::vector<std::string> Traces() const;
    // "Create <uri>", "Update <uri>", "Delete <uri>" for each resource the plugin published.
    std::vector<std::string> Published() const;
    // The payload's data of the last published event for `uri`.
    Binding::BindingProperty LastPublished(std::string_view uri) const;
    // The bodies the plugin posted to `path`, as JSON texts.
    std::vector<std::string> Posted(std::string_view path) const;
    std::vector<const Host::BoundaryRecord*> Records(Host::BoundaryKind kind) const;
    void ClearTranscript() { host_->ClearTranscript(); }

    Host::PluginHost& Host() { return *host_; }
    Host::LoginPeer& Login() { return *login_; }
    MemoryStats Memory() { return host_->QueryMemoryStats(); }

private:
    std::unique_ptr<Host::PluginHost> host_;
    std::unique_ptr<Host::LoginPeer> login_;
    std::map<std::string, std::string, std::less<>> peers_;
    std::map<std::string, std::function<void()>, std::less<>> onNextRequest_;
    std::uint32_t externalStatus_ = 404;
    std::string externalBody_;
};

}  // namespace Zarn::Client::EndOfGame::Testing
