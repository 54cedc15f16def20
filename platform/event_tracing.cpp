#include "platform/event_tracing.h"

#ifdef _WIN32

#include <windows.h>

#include <evntprov.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace Zarn::Platform {

namespace {

using EventRegisterFunction = ULONG(WINAPI*)(LPCGUID, PENABLECALLBACK, PVOID, PREGHANDLE);
using EventWriteFunction = ULONG(WINAPI*)(REGHANDLE, PCEVENT_DESCRIPTOR, ULONG, PEVENT_DATA_DESCRIPTOR);
using EventUnregisterFunction = ULONG(WINAPI*)(REGHANDLE);

struct Provider {
    REGHANDLE handle = 0;
    std::atomic<bool> enabled = false;
};

void NTAPI OnEnable(LPCGUID, ULONG isEnabled, UCHAR, ULONGLONG, ULONGLONG, PEVENT_FILTER_DESCRIPTOR,
                    PVOID context) {
    static_cast<Provider*>(context)->enabled = isEnabled != 0;
}

}  // namespace

struct EventTracing::State {
    DynamicLibrary advapi;
    EventRegisterFunction eventRegister = nullptr;
    EventWriteFunction eventWrite = nullptr;
    EventUnregisterFunction eventUnregister = nullptr;
    std::vector<std::unique_ptr<Provider>> providers;
};

EventTracing::EventTracing() = default;

EventTracing::~EventTracing() { Unregister(); }

bool EventTracing::Register(std::span<const TraceProviderId> providers) {
    Unregister();
    auto state = std::make_unique<State>();
    std::string error;
    if (!state->advapi.Open("Advapi32.dll", error)) return false;
    state->eventRegister =
        reinterpret_cast<EventRegisterFunction>(state->advapi.Symbol("EventRegister", error));
    state->eventWrite = reinterpret_cast<EventWriteFunction>(state->advapi.Symbol("EventWrite", error));
    state->eventUnregister =
        reinterpret_cast<EventUnregisterFunction>(state->advapi.Symbol("EventUnregister", error));
    if (!state->eventRegister || !state->eventWrite || !state->eventUnregister) return false;
    for (const TraceProviderId& id : providers) {
        GUID guid;
        static_assert(sizeof guid == sizeof id);
        std::memcpy(&guid, &id, sizeof guid);
        auto provider = std::make_unique<Provider>();
        if (state->eventRegister(&guid, &OnEnable, provider.get(), &provider->handle) != ERROR_SUCCESS) {
            provider->handle = 0;
        }
        state->providers.push_back(std::move(provider));
    }
    state_ = std::move(state);
    return true;
}

bool EventTracing::IsEnabled(std::size_t index) const {
    return state_ && index < state_->providers.size() && state_->providers[index]->enabled;
}

void EventTracing::WriteThreadName(std::size_t index, std::uintptr_t threadId, const char* name) {
    if (!IsEnabled(index) || name == nullptr) return;
    EVENT_DESCRIPTOR descriptor{};
    descriptor.Id = 1;
    descriptor.Level = 4;  // informational
    const ULONG id = static_cast<ULONG>(threadId);
    EVENT_DATA_DESCRIPTOR data[2];
    EventDataDescCreate(&data[0], &id, sizeof id);
    EventDataDescCreate(&data[1], name, static_cast<ULONG>(std::strlen(name) + 1));
    state_->eventWrite(state_->providers[index]->handle, &descriptor, 2, data);
}

void EventTracing::Unregister() {
    if (!state_) return;
    for (const auto& provider : state_->providers) {
        if (provider->handle != 0) state_->eventUnregister(provider->handle);
    }
    state_.reset();
}

}  // namespace Zarn::Platform

#else

namespace Zarn::Platform {

struct EventTracing::State {};

EventTracing::EventTracing() = default;

EventTracing::~EventTracing() = default;

bool EventTracing::Register(std::span<const TraceProviderId>) { return false; }

bool EventTracing::IsEnabled(std::size_t) const { return false; }

void EventTracing::WriteThreadName(std::size_t, std::uintptr_t, const char*) {}

void EventTracing::Unregister() {}

}  // namespace Zarn::Platform

#endif
