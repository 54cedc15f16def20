// A small plugin written against the boundary header alone (no framework, no binding library on
// its side), so that the host library is tested across the real records. Tests script it through
// the hooks; it keeps what it saw.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "mox/plugin_abi.h"

namespace Zarn::Host::Testing {

struct FakePlugin {
    FakePlugin();
    FakePlugin(const FakePlugin&) = delete;
    FakePlugin& operator=(const FakePlugin&) = delete;

    // The entry answers for `current`.
    static void MOX_CDECL Entry(PluginEntryTable* table);
    static FakePlugin* current;

    // Hooks, run inside the corresponding plugin callback.
    std::function<void(PluginEntryTable&)> tamper;  // after the entry wrote the table
    std::function<void()> onInitialize;
    std::function<void(const HostEvent&)> onEvent;
    std::function<void(ApiResponse&, const ApiRequest&)> respond;

    // Services, as the plugin calls them.
    const HostServices* Services() const { return host->services; }
    void Subscribe(const char* name, std::uint32_t flag = 0);
    void Unsubscribe(const char* name);
    void Schedule(const char* label, double delay, std::function<void()> action);
    // Sends an event with an owned string payload, freed right after the call.
    void SendText(const char* name, const char* text);

    // Fills a response with an owned string value (and an owned error when `error` is set) and the
    // plugin's release function.
    static void Fill(ApiResponse& response, std::uint32_t status, const char* text,
                     const char* error = nullptr);
    static void MOX_CDECL Release(ApiResponse* response);

    const HostInterface* host = nullptr;
    int depth = 0;
    bool shutDown = false;
    bool shutdownInsideCall = false;
    int releases = 0;
    std::vector<std::string> events;  // "name:text" of each delivery
    std::vector<std::string> calls;   // "method path" of each invocation

    ApiFunctionRecord functions[2];
    ApiDescription api{};
    PluginCallbacks callbacks{};

private:
    struct Timer {
        FakePlugin* plugin;
        std::function<void()> action;
    };
    static std::uint8_t MOX_CDECL Initialize(void* context, const HostInterface* host);
    static void MOX_CDECL Shutdown(void* context);
    static void MOX_CDECL QueryMemoryStats(void* context, MemoryStats* stats);
    static void MOX_CDECL OnEvent(const HostEvent* event);
    static void MOX_CDECL OnTimer(void* userData);
    static void MOX_CDECL Invoke(ApiResponse* response, const ApiRequest* request);

    std::deque<Timer> timers_;
};

}  // namespace Zarn::Host::Testing
