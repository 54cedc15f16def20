// The spectator service a scenario configures: a real HTTP server on 127.0.0.1 with a port the
// system picks, answering the end-of-game statistics path for each configured "PLATFORM/GAME" key
// with its status and JSON body, and 404 for everything else. It serves from a thread of its own
// until destroyed; what it answers is fixed when it starts.
#pragma once

#include <memory>
#include <string>

#include "binding/binding_property.h"

namespace Zarn::MoxHost {

class ObserverServer {
public:
    // `games` maps "PLATFORM/GAME" to { status, body }. Throws std::runtime_error when no port
    // can be bound.
    explicit ObserverServer(const Binding::BindingProperty& games);
    ~ObserverServer();
    ObserverServer(const ObserverServer&) = delete;
    ObserverServer& operator=(const ObserverServer&) = delete;

    static constexpr const char* kHost = "127.0.0.1";
    int Port() const noexcept { return port_; }

private:
    struct Running;
    std::unique_ptr<Running> running_;
    int port_ = 0;
};

}  // namespace Zarn::MoxHost
