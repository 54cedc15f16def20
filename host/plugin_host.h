// The host side of the plugin boundary: loads one plugin (from a shared library or through an
// entry function linked in), connects it to the ten host services, runs the event loop those
// services work over, routes the plugin's requests to handlers of the embedding code, calls the
// plugin's API functions, and records everything that crosses the boundary, in order.
//
// Threads: one. Every member is called on the thread that made the host, and the plugin is
// called on that thread only.
//
// Faults of the plugin (malformed records, services called out of turn, unpaired waits, responses
// without a release function) never crash the host: each is recorded as a fault record and the
// offending call is ignored or answered with an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"
#include "host/boundary_record.h"
#include "host/event_loop.h"
#include "host/external_call.h"
#include "host/handler_table.h"
#include "host/host_request.h"
#include "host/host_result.h"
#include "host/plugin_call.h"
#include "host/plugin_library.h"
#include "mox/plugin_abi.h"

namespace Zarn::Host {

struct HostOptions {
    PluginApiVersion version{18, 0, 0};  // announced to the entry
    PluginHandle handle = 1;
    ClockMode clock = ClockMode::kVirtual;
    // Off, records go to the observer only: a long run (a benchmark, many matches) neither grows
    // nor pays for the copy. Faults are counted either way.
    bool keepTranscript = true;
    // Off, the records of delivered and sent events carry no payload: an observer that only counts
    // records spares the copy of every event's value.
    bool recordEventPayloads = true;
};

enum class HostState {
    kEmpty,        // nothing loaded yet
    kLoaded,       // the entry returned and its records were accepted
    kInitialized,  // initialize was called
    kRefused,      // the entry's records were refused; the plugin is not called again
    kShutDown,     // shutdown returned
};

struct Subscription {
    std::uint64_t id = 0;
    std::string name;
    PluginHandle handle = 0;
    HostEventCallback callback = nullptr;
    void* userData = nullptr;
    std::uint32_t flag = 0;
};

struct OpenWait {
    std::string label;
    std::size_t depth = 0;  // plugin calls on the stack when it began
};

class PluginHost {
public:
    using RequestHandlers = HandlerTable<HostRequest, HostReply>;
    using ExternalHandlers = HandlerTable<ExternalCall, ExternalReply>;
    using Observer = std::function<void(const BoundaryRecord&)>;

    explicit PluginHost(HostOptions options = {});
    // Shuts the plugin down if it is still running, then unloads its library.
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Calls the entry with the host's version and checks what it wrote: the plugin's version
    // (same major, not newer than the host), callbacks, context, name and API description, whose
    // arrays are validated. A refused table is a failure and is recorded as a fault.
    HostResult Load(const std::string& libraryPath, const std::string& symbol = MOX_PLUGIN_ENTRY_SYMBOL);
    HostResult Load(PluginEntryFunction entry);
    // Calls initialize once, after Load; returns its result (false when it could not be called).
    bool Initialize();
    // Calls shutdown, now or, when a plugin call is on the stack, as soon as the outermost returns.
    void Shutdown();
    // Zeros when the plugin cannot be asked.
    MemoryStats QueryMemoryStats();

    HostState State() const noexcept { return state_; }
    bool ShutdownPending() const noexcept { return shutdownPending_; }
    const HostOptions& Options() const noexcept { return options_; }

    // What the entry gave, valid while the plugin is loaded.
    const PluginEntryTable& EntryTable() const noexcept { return table_; }
    const std::string& PluginName() const noexcept { return name_; }
    const ApiDescription* Api() const noexcept { return table_.api; }
    const std::vector<const ApiFunctionRecord*>& Functions() const noexcept { return functions_; }
    // The function whose route takes `method` and `path` (the one capturing the fewest characters
    // when several do); null when none does.
    const ApiFunctionRecord* FindFunction(std::string_view method, std::string_view path) const;

    // Where the plugin's local and external requests go. Without a matching handler a local
    // request gets 404 "No handler for <method> <path>" and an external one fails to connect.
    RequestHandlers& Requests() noexcept { return requests_; }
    ExternalHandlers& Externals() noexcept { return externals_; }

    // Queues an event for the subscribers of its exact name; delivered on the next turn.
    void Deliver(std::string name, Binding::BindingProperty payload, std::uint32_t flag = 0);
    const std::vector<Subscription>& Subscriptions() const noexcept { return subscriptions_; }
    bool IsSubscribed(std::string_view name) const;

    // Calls the plugin's function for `call` (FindFunction), or 404 when none takes it.
    CallResult Call(const PluginCall& call);
    CallResult Invoke(const ApiFunctionRecord& function, const PluginCall& call);

    EventLoop& Loop() noexcept { return loop_; }
    // Runs the loop until nothing is due; a loop that never settles is recorded as a fault.
    bool RunUntilIdle();
    // Moves the clock (virtual time) and runs what falls due, in order.
    bool Advance(double seconds);
    // Runs `task` on the next turn (after queued deliveries and due timers).
    void Post(EventLoop::Task task);

    const std::vector<OpenWait>& OpenWaits() const noexcept { return waits_; }

    // Empty when the options keep no transcript.
    const std::vector<BoundaryRecord>& Transcript() const noexcept { return transcript_; }
    void ClearTranscript() { transcript_.clear(); }
    void SetObserver(Observer observer) { observer_ = std::move(observer); }
    std::size_t FaultCount() const noexcept { return faults_; }
    void RecordFault(std::string text);

    // Responses the host filled that were not released yet, process-wide.
    static std::size_t UnreleasedResponses() noexcept;
    // Releases of a response that was already released (or that the host never filled).
    static std::size_t RepeatedReleases() noexcept;

private:
    friend class ServiceCalls;
    class PluginCallScope;
    struct ServiceTable {
        HostServices services;
        PluginHost* host;
    };
    struct ExternalStorage;

    void Record(BoundaryRecord record);
    HostResult Accept(const PluginEntryTable& table);
    HostResult CheckApi(const ApiDescription& api);
    void DeliverNow(const std::string& name, const Binding::BindingProperty& payload, std::uint32_t flag);
    void DoShutdown() noexcept;
    void LeaveCall() noexcept;
    bool ServicesOpen(const char* service);

    HostOptions options_;
    PluginLibrary library_;
    EventLoop loop_;
    ServiceTable services_;
    HostInterface interface_;
    PluginEntryTable table_{};
    PluginCallbacks callbacks_{};
    std::string name_;
    std::vector<const ApiFunctionRecord*> functions_;
    HostState state_ = HostState::kEmpty;
    bool servicesOpen_ = false;
    bool shutdownPending_ = false;
    bool shuttingDown_ = false;
    std::size_t depth_ = 0;
    std::vector<Subscription> subscriptions_;
    std::uint64_t nextSubscription_ = 1;
    std::vector<OpenWait> waits_;
    RequestHandlers requests_;
    ExternalHandlers externals_;
    std::unique_ptr<ExternalStorage> external_;
    std::vector<BoundaryRecord> transcript_;
    Observer observer_;
    std::size_t faults_ = 0;
};

}  // namespace Zarn::Host
