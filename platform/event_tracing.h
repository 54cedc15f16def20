// The operating system's event-tracing providers (Event Tracing for Windows): registered at run
// time through functions loaded from "Advapi32.dll", so the library starts on systems without
// them. Elsewhere there is no event tracing and every call does nothing. One thread registers and
// unregisters; writes may come from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace Zarn::Platform {

// A provider's 128-bit identifier, in the layout of a GUID.
struct TraceProviderId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

class EventTracing {
public:
    EventTracing();
    // Unregisters the providers.
    ~EventTracing();
    EventTracing(const EventTracing&) = delete;
    EventTracing& operator=(const EventTracing&) = delete;

    // Registers the providers, in order. False when the system has no event tracing (or its
    // functions could not be loaded); the object then does nothing.
    bool Register(std::span<const TraceProviderId> providers);
    // Whether a session listens to the provider at `index` (of the registered list).
    bool IsEnabled(std::size_t index) const;
    // One event naming a thread, written to the provider at `index`.
    void WriteThreadName(std::size_t index, std::uintptr_t threadId, const char* name);
    void Unregister();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace Zarn::Platform
