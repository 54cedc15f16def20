#include "host/plugin_host.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "binding/flat_binding_property.h"
#include "host/detail/path_template.h"
#include "host/detail/response_records.h"

namespace Zarn::Host {

using Binding::BindingProperty;

// Every call into the plugin runs inside one: it counts the plugin frames on the stack, checks
// that the waits the call opened are closed when it returns, and runs a shutdown that was asked
// for meanwhile once the outermost call has returned.
class PluginHost::PluginCallScope {
public:
    explicit PluginCallScope(PluginHost& host) : host_(host), waits_(host.waits_.size()) { ++host_.depth_; }
    ~PluginCallScope() {
        auto& waits = host_.waits_;
        if (waits.size() > waits_) {
            try {
                for (std::size_t i = waits_; i < waits.size(); ++i) {
                    host_.RecordFault("the wait '" + waits[i].label +
                                      "' was still open when the plugin's call returned");
                }
            } catch (...) {
                ++host_.faults_;
            }
            waits.erase(waits.begin() + static_cast<std::ptrdiff_t>(waits_), waits.end());
        }
        host_.LeaveCall();
    }
    PluginCallScope(const PluginCallScope&) = delete;
    PluginCallScope& operator=(const PluginCallScope&) = delete;

private:
    PluginHost& host_;
    std::size_t waits_;
};

struct PluginHost::ExternalStorage {
    std::vector<std::string> texts;
    std::vector<TextPair> headers;
    std::string body;
};

// The ten services. Each recovers its host from the table, catches everything (nothing may cross
// the C boundary) and turns a malformed argument into a fault.
class ServiceCalls {
public:
    static PluginHost* HostOf(const HostServices* services) {
        if (services == nullptr) return nullptr;
        return reinterpret_cast<const PluginHost::ServiceTable*>(services)->host;
    }

    template <typename Body>
    static void Guard(PluginHost* host, const char* service, Body&& body) noexcept {
        if (host == nullptr) return;
        try {
            if (!host->ServicesOpen(service)) return;
            body(*host);
        } catch (const std::exception& error) {
            Fault(*host, std::string(service) + " failed in the host: " + error.what());
        } catch (...) {
            Fault(*host, std::string(service) + " failed in the host");
        }
    }

    static void Fault(PluginHost& host, std::string text) noexcept {
        try {
            host.RecordFault(std::move(text));
        } catch (...) {
            ++host.faults_;
        }
    }

    static HostResult ReadRequest(const ApiRequest& request, HostRequest& out) {
        out.method = request.method <= kApiMethodCustom ? request.method : 0u;
        if (out.method == kApiMethodCustom) {
            if (request.customMethod == nullptr)
                return HostResult::Failure("a custom method without its name");
            out.methodName = request.customMethod;
        } else {
            out.methodName = ApiMethodName(out.method);
        }
        if (request.path == nullptr) return HostResult::Failure("the path is null");
        out.path = request.path;
        if (request.parameterCount != 0) {
            if (request.parameters == nullptr) return HostResult::Failure("the parameter array is null");
            out.params.MakeStructure();
            for (std::uint32_t i = 0; i < request.parameterCount; ++i) {
                const ApiParameter& parameter = request.parameters[i];
                if (parameter.name == nullptr) return HostResult::Failure("a parameter has no name");
                Binding::BindingResult read =
                    Binding::FromFlat(parameter.value, out.params.WriteField(parameter.name), parameter.name);
                if (read.Failed()) return HostResult::Failure(std::string(read.Message()));
            }
        }
        if (HostResult pairs = detail::ReadTextPairs(request.arguments, request.argumentCount, out.arguments);
            pairs.Failed()) {
            return pairs;
        }
        if (request.contentType != nullptr) out.contentType = request.contentType;
        if (request.body != nullptr) {
            const char* body = reinterpret_cast<const char*>(request.body);
            out.body = request.bodyLength != 0 ? std::string(body, request.bodyLength) : std::string(body);
        }
        out.caller = request.caller;
        return HostResult::Success();
    }

    static void MOX_CDECL SendRequest(const HostServices* services, ApiResponse* response,
                                      const ApiRequest* request) {
        Guard(HostOf(services), "sendRequest", [&](PluginHost& host) {
            if (response == nullptr || request == nullptr) {
                return Fault(host, "sendRequest with a null record");
            }
            BoundaryRecord record;
            record.kind = BoundaryKind::kRequest;
            HostRequest copy;
            HostResult read = ReadRequest(*request, copy);
            record.method = copy.methodName;
            record.path = copy.path;
            HostReply reply;
            if (read.Failed()) {
                Fault(host, "sendRequest with a malformed request: " + read.Message());
                reply = HostReply::Status(400, "Malformed request: " + read.Message());
            } else if (const auto* handler = host.requests_.Find(copy.methodName, copy.path)) {
                try {
                    reply = (*handler)(copy);
                } catch (const std::exception& error) {
                    Fault(host,
                          "the handler of " + copy.methodName + " " + copy.path + " failed: " + error.what());
                    reply = HostReply::Status(500, "Host handler failed");
                }
            } else {
                reply = HostReply::Status(404, "No handler for " + copy.methodName + " " + copy.path);
            }
            record.params = std::move(copy.params);
            record.contentType = std::move(copy.contentType);
            record.body = std::move(copy.body);
            record.status = reply.status;
            record.error = reply.error;
            host.Record(std::move(record));
            detail::FillResponse(*response, reply);
        });
    }

    static void MOX_CDECL SendExternalRequest(const HostServices* services, ExternalResponseRecord* response,
                                              const ExternalRequestRecord* request) {
        Guard(HostOf(services), "sendExternalRequest", [&](PluginHost& host) {
            if (response == nullptr || request == nullptr) {
                return Fault(host, "sendExternalRequest with a null record");
            }
            std::memset(static_cast<void*>(response), 0, sizeof(ExternalResponseRecord));
            ExternalCall call;
            call.method = request->method <= kApiMethodCustom ? request->method : 0u;
            call.methodName = call.method == kApiMethodCustom && request->customMethod != nullptr
                                  ? std::string(request->customMethod)
                                  : std::string(ApiMethodName(call.method));
            std::string problem;
            if (request->url == nullptr) problem = "the URL is null";
            if (problem.empty() && request->bodyLength != 0 && request->body == nullptr)
                problem = "the body is null";
            if (problem.empty()) {
                HostResult headers =
                    detail::ReadTextPairs(request->headers, request->headerCount, call.headers);
                if (headers.Failed()) problem = headers.Message();
            }
            if (request->url != nullptr) call.url = request->url;
            if (problem.empty() && request->body != nullptr) {
                call.body.assign(reinterpret_cast<const char*>(request->body), request->bodyLength);
            }
            call.timeoutMilliseconds = request->timeoutMilliseconds;

            ExternalReply reply;
            if (!problem.empty()) {
                Fault(host, "sendExternalRequest with a malformed request: " + problem);
                reply = ExternalReply::Failure("Malformed request: " + problem);
            } else if (const auto* handler = host.externals_.Find(call.methodName, call.url)) {
                try {
                    reply = (*handler)(call);
                } catch (const std::exception& error) {
                    Fault(host,
                          "the handler of " + call.methodName + " " + call.url + " failed: " + error.what());
                    reply = ExternalReply::Failure("Host handler failed");
                }
            } else {
                reply = ExternalReply::Failure("No handler for " + call.methodName + " " + call.url);
            }

            BoundaryRecord record;
            record.kind = BoundaryKind::kExternal;
            record.method = call.methodName;
            record.url = call.url;
            record.headers = call.headers;
            record.body = call.body;
            record.status = reply.failed ? 0 : reply.status;
            record.error = reply.failed ? reply.message : std::string();
            host.Record(std::move(record));

            // The previous answer's storage goes now: the plugin copied it before calling again.
            auto storage = std::make_unique<PluginHost::ExternalStorage>();
            if (reply.failed) {
                storage->body = std::move(reply.message);
                response->failed = 1;
            } else {
                response->status = reply.status;
                storage->texts.reserve(reply.headers.size() * 2);
                for (auto& [name, value] : reply.headers) {
                    storage->texts.push_back(std::move(name));
                    storage->texts.push_back(std::move(value));
                }
                for (std::size_t i = 0; i < storage->texts.size(); i += 2) {
                    storage->headers.push_back({storage->texts[i].c_str(), storage->texts[i + 1].c_str()});
                }
                storage->body = std::move(reply.body);
                response->headers = storage->headers.empty() ? nullptr : storage->headers.data();
                response->headerCount = static_cast<std::uint32_t>(storage->headers.size());
            }
            response->body = reinterpret_cast<const std::uint8_t*>(storage->body.data());
            response->bodyLength = static_cast<std::uint32_t>(storage->body.size());
            host.external_ = std::move(storage);
        });
    }

    static void MOX_CDECL SendEvent(const HostServices* services, const HostEvent* event) {
        Guard(HostOf(services), "sendEvent", [&](PluginHost& host) {
            if (event == nullptr || event->name == nullptr)
                return Fault(host, "sendEvent without an event name");
            BoundaryRecord record;
            record.kind = BoundaryKind::kEvent;
            record.name = event->name;
            record.flag = event->flag;
            BindingProperty payload;
            Binding::BindingResult read = Binding::FromFlat(event->payload, payload, "<payload>");
            if (read.Failed()) {
                return Fault(host, "sendEvent " + record.name +
                                       " with a malformed payload: " + std::string(read.Message()));
            }
            if (host.options_.recordEventPayloads) record.payload = payload;
            host.Deliver(record.name, std::move(payload), record.flag);
            host.Record(std::move(record));
        });
    }

    static void MOX_CDECL SubscribeEvent(const HostServices* services, const char* name, PluginHandle handle,
                                         HostEventCallback callback, void* userData, std::uint32_t flag) {
        Guard(HostOf(services), "subscribeEvent", [&](PluginHost& host) {
            if (name == nullptr || callback == nullptr)
                return Fault(host, "subscribeEvent without a name or callback");
            if (handle != host.options_.handle)
                return Fault(host, std::string("subscribeEvent ") + name + " with a foreign handle");
            BoundaryRecord record;
            record.kind = BoundaryKind::kSubscribe;
            record.name = name;
            record.flag = flag;
            // One subscription per name and plugin: subscribing again replaces it.
            auto& list = host.subscriptions_;
            auto it = std::find_if(list.begin(), list.end(), [&](const Subscription& s) {
                return s.name == name && s.handle == handle;
            });
            if (it == list.end()) {
                list.push_back({host.nextSubscription_++, name, handle, callback, userData, flag});
            } else {
                it->callback = callback;
                it->userData = userData;
                it->flag = flag;
            }
            host.Record(std::move(record));
        });
    }

    static void MOX_CDECL UnsubscribeEvent(const HostServices* services, const char* name,
                                           PluginHandle handle) {
        Guard(HostOf(services), "unsubscribeEvent", [&](PluginHost& host) {
            if (name == nullptr) return Fault(host, "unsubscribeEvent without a name");
            BoundaryRecord record;
            record.kind = BoundaryKind::kUnsubscribe;
            record.name = name;
            auto& list = host.subscriptions_;
            std::erase_if(list, [&](const Subscription& s) { return s.name == name && s.handle == handle; });
            host.Record(std::move(record));
        });
    }

    static void MOX_CDECL ScheduleCallback(const HostServices* services, const char* label,
                                           TimerCallback callback, void* userData, double delaySeconds,
                                           std::uint32_t /*flag*/) {
        Guard(HostOf(services), "scheduleCallback", [&](PluginHost& host) {
            if (callback == nullptr) return Fault(host, "scheduleCallback without a callback");
            BoundaryRecord record;
            record.kind = BoundaryKind::kTimer;
            record.label = label != nullptr ? label : "";
            record.delay = delaySeconds;
            host.Record(std::move(record));
            host.loop_.Schedule(delaySeconds, [&host, callback, userData] {
                if (host.state_ != HostState::kInitialized) return;
                PluginHost::PluginCallScope scope(host);
                callback(userData);
            });
        });
    }

    static void MOX_CDECL Yield(const HostServices* services) {
        Guard(HostOf(services), "yield", [&](PluginHost& host) {
            BoundaryRecord record;
            record.kind = BoundaryKind::kYield;
            host.Record(std::move(record));
            host.loop_.Turn();
        });
    }

    static void MOX_CDECL BeginWait(const HostServices* services, const char* label, std::uint32_t /*word*/) {
        Guard(HostOf(services), "beginWait", [&](PluginHost& host) {
            BoundaryRecord record;
            record.kind = BoundaryKind::kWait;
            record.label = label != nullptr ? label : "";
            host.waits_.push_back({record.label, host.depth_});
            host.Record(std::move(record));
        });
    }

    static void MOX_CDECL EndWait(const HostServices* services) {
        Guard(HostOf(services), "endWait", [&](PluginHost& host) {
            if (host.waits_.empty() || host.waits_.back().depth != host.depth_) {
                return Fault(host, "endWait without a matching beginWait");
            }
            BoundaryRecord record;
            record.kind = BoundaryKind::kEndWait;
            record.label = std::move(host.waits_.back().label);
            host.waits_.pop_back();
            host.Record(std::move(record));
        });
    }

    static std::uint8_t MOX_CDECL Log(const HostServices* services, std::uint32_t level, const char* text) {
        bool taken = false;
        Guard(HostOf(services), "log", [&](PluginHost& host) {
            if (text == nullptr) return Fault(host, "log without a text");
            BoundaryRecord record;
            record.kind = BoundaryKind::kLog;
            record.level = level;
            record.text = text;
            host.Record(std::move(record));
            taken = true;
        });
        return taken ? 1 : 0;
    }
};

PluginHost::PluginHost(HostOptions options)
    : options_(options),
      loop_(options.clock),
      services_{
          HostServices{&ServiceCalls::SendRequest, &ServiceCalls::SendExternalRequest,
                       &ServiceCalls::SendEvent, &ServiceCalls::SubscribeEvent,
                       &ServiceCalls::UnsubscribeEvent, &ServiceCalls::ScheduleCallback, &ServiceCalls::Yield,
                       &ServiceCalls::BeginWait, &ServiceCalls::EndWait, &ServiceCalls::Log},
          this},
      interface_{&services_.services, options.handle} {}

PluginHost::~PluginHost() {
    if ((state_ == HostState::kLoaded || state_ == HostState::kInitialized) && depth_ == 0) DoShutdown();
}

HostResult PluginHost::Load(const std::string& libraryPath, const std::string& symbol) {
    if (state_ != HostState::kEmpty) return HostResult::Failure("a plugin is already loaded");
    HostResult opened = library_.Open(libraryPath, symbol);
    if (opened.Failed()) return opened;
    return Load(library_.Entry());
}

HostResult PluginHost::Load(PluginEntryFunction entry) {
    if (state_ != HostState::kEmpty) return HostResult::Failure("a plugin is already loaded");
    if (entry == nullptr) return HostResult::Failure("the entry function is null");
    PluginEntryTable table{};
    table.version = options_.version;
    entry(&table);
    table_ = table;
    HostResult accepted = Accept(table);
    if (accepted.Failed()) {
        state_ = HostState::kRefused;
        RecordFault(accepted.Message());
        return accepted;
    }
    state_ = HostState::kLoaded;
    BoundaryRecord record;
    record.kind = BoundaryKind::kLoad;
    record.version = {table.version.major, table.version.minor, table.version.patch};
    record.name = name_;
    for (const ApiFunctionRecord* function : functions_)
        record.functions.push_back(std::string(function->name));
    Record(std::move(record));
    return HostResult::Success();
}

HostResult PluginHost::Accept(const PluginEntryTable& table) {
    if (table.callbacks == nullptr) return HostResult::Failure("The plugin's entry returned no callbacks");
    callbacks_ = *table.callbacks;
    if (callbacks_.initialize == nullptr || callbacks_.shutdown == nullptr ||
        callbacks_.queryMemoryStats == nullptr) {
        return HostResult::Failure("The plugin's callback table has a null function");
    }
    const PluginApiVersion& plugin = table.version;
    const PluginApiVersion& host = options_.version;
    bool compatible =
        plugin.major == host.major &&
        (plugin.minor < host.minor || (plugin.minor == host.minor && plugin.patch <= host.patch));
    if (!compatible) {
        return HostResult::Failure("The plugin's interface version " + std::to_string(plugin.major) + "." +
                                   std::to_string(plugin.minor) + "." + std::to_string(plugin.patch) +
                                   " is not compatible with the host's");
    }
    if (table.context == nullptr) return HostResult::Failure("The plugin's entry returned no context");
    if (table.name == nullptr) return HostResult::Failure("The plugin's entry returned no name");
    if (table.api == nullptr) return HostResult::Failure("The plugin's entry returned no API description");
    name_ = table.name;
    return CheckApi(*table.api);
}

HostResult PluginHost::CheckApi(const ApiDescription& api) {
    auto fail = [](const std::string& what) {
        return HostResult::Failure("The plugin's API description " + what);
    };
    if (api.functionCount != 0 && api.functions == nullptr) return fail("has a null function array");
    if (api.typeCount != 0 && api.types == nullptr) return fail("has a null type array");
    if (api.eventCount != 0 && api.events == nullptr) return fail("has a null event array");
    for (std::uint32_t i = 0; i < api.functionCount; ++i) {
        const ApiFunctionRecord& function = api.functions[i];
        const ApiFunctionRecord* next = i + 1 < api.functionCount ? &api.functions[i + 1] : nullptr;
        std::string at = "function " + std::to_string(i);
        if (function.next != next) return fail(at + " does not link to the next record");
        if (function.name == nullptr || function.path == nullptr) return fail(at + " has no name or path");
        if (function.invoker == nullptr) return fail(at + " has no invoker");
        if (function.argumentCount != 0 && (function.arguments == nullptr || function.locations == nullptr)) {
            return fail(at + " has null argument arrays");
        }
        for (std::uint32_t a = 0; a < function.argumentCount; ++a) {
            if (function.arguments[a].name == nullptr || function.locations[a].name == nullptr) {
                return fail(at + " has an argument without a name");
            }
        }
        if (function.segmentCount != 0 && function.segments == nullptr)
            return fail(at + " has a null segment array");
        if (function.tagCount != 0 && function.tags == nullptr) return fail(at + " has a null tag array");
    }
    for (std::uint32_t i = 0; i < api.typeCount; ++i) {
        const ApiTypeRecord& type = api.types[i];
        const ApiTypeRecord* next = i + 1 < api.typeCount ? &api.types[i + 1] : nullptr;
        std::string at = "type " + std::to_string(i);
        if (type.next != next) return fail(at + " does not link to the next record");
        if (type.name == nullptr) return fail(at + " has no name");
        if (type.memberCount != 0 && type.members == nullptr) return fail(at + " has a null member array");
        for (std::uint32_t m = 0; m < type.memberCount; ++m) {
            if (type.members[m].name == nullptr) return fail(at + " has a member without a name");
        }
        if (type.tagCount != 0 && type.tags == nullptr) return fail(at + " has a null tag array");
    }
    for (std::uint32_t i = 0; i < api.eventCount; ++i) {
        const ApiEventRecord& event = api.events[i];
        const ApiEventRecord* next = i + 1 < api.eventCount ? &api.events[i + 1] : nullptr;
        std::string at = "event " + std::to_string(i);
        if (event.next != next) return fail(at + " does not link to the next record");
        if (event.name == nullptr) return fail(at + " has no name");
        if (event.tagCount != 0 && event.tags == nullptr) return fail(at + " has a null tag array");
    }
    functions_.clear();
    for (std::uint32_t i = 0; i < api.functionCount; ++i) functions_.push_back(&api.functions[i]);
    return HostResult::Success();
}

bool PluginHost::Initialize() {
    if (state_ != HostState::kLoaded) {
        RecordFault("initialize asked for a plugin that is not freshly loaded");
        return false;
    }
    state_ = HostState::kInitialized;
    servicesOpen_ = true;
    PluginCallScope scope(*this);
    bool started = callbacks_.initialize(table_.context, &interface_) != 0;
    BoundaryRecord record;
    record.kind = BoundaryKind::kInitialize;
    record.result.SetBool(started);
    Record(std::move(record));
    return started;
}

void PluginHost::Shutdown() {
    if (state_ != HostState::kLoaded && state_ != HostState::kInitialized) return;
    if (depth_ != 0 || shuttingDown_) {
        shutdownPending_ = true;
        return;
    }
    DoShutdown();
}

void PluginHost::LeaveCall() noexcept {
    --depth_;
    if (depth_ == 0 && shutdownPending_ && !shuttingDown_) DoShutdown();
}

void PluginHost::DoShutdown() noexcept {
    shutdownPending_ = false;
    shuttingDown_ = true;
    servicesOpen_ = true;  // Finalizing unsubscribes and may log.
    ++depth_;
    callbacks_.shutdown(table_.context);
    --depth_;
    servicesOpen_ = false;
    shuttingDown_ = false;
    shutdownPending_ = false;
    state_ = HostState::kShutDown;
    try {
        BoundaryRecord record;
        record.kind = BoundaryKind::kShutdown;
        Record(std::move(record));
        for (const OpenWait& wait : waits_) RecordFault("the wait '" + wait.label + "' was never ended");
    } catch (...) {
        ++faults_;
    }
    // Whatever is still queued refers to the plugin, which is gone.
    waits_.clear();
    subscriptions_.clear();
    loop_.Clear();
    external_.reset();
    functions_.clear();
}

MemoryStats PluginHost::QueryMemoryStats() {
    MemoryStats stats{};
    if (state_ != HostState::kLoaded && state_ != HostState::kInitialized) return stats;
    PluginCallScope scope(*this);
    callbacks_.queryMemoryStats(table_.context, &stats);
    return stats;
}

const ApiFunctionRecord* PluginHost::FindFunction(std::string_view method, std::string_view path) const {
    const std::uint32_t code = ApiMethodCode(method);
    const ApiFunctionRecord* best = nullptr;
    std::size_t bestCaptured = 0;
    for (const ApiFunctionRecord* function : functions_) {
        if (function->method != kApiMethodNone) {
            if (function->method != code) continue;
            if (code == kApiMethodCustom &&
                (function->customMethod == nullptr || method != std::string_view(function->customMethod))) {
                continue;
            }
        }
        auto captured = detail::MatchPathTemplate(function->path, path);
        if (captured && (best == nullptr || *captured < bestCaptured)) {
            best = function;
            bestCaptured = *captured;
        }
    }
    return best;
}

bool PluginHost::IsSubscribed(std::string_view name) const {
    return std::any_of(subscriptions_.begin(), subscriptions_.end(),
                       [&](const Subscription& s) { return s.name == name; });
}

void PluginHost::Deliver(std::string name, BindingProperty payload, std::uint32_t flag) {
    loop_.QueueDelivery([this, name = std::move(name), payload = std::move(payload), flag] {
        DeliverNow(name, payload, flag);
    });
}

void PluginHost::DeliverNow(const std::string& name, const BindingProperty& payload, std::uint32_t flag) {
    std::vector<std::uint64_t> targets;
    for (const Subscription& subscription : subscriptions_) {
        if (subscription.name == name) targets.push_back(subscription.id);
    }
    if (targets.empty()) return;
    FlatBindingProperty flat{};
    Binding::BindingResult written = Binding::ToFlat(payload, flat);
    if (written.Failed())
        return RecordFault("the event " + name + " has no flat form: " + std::string(written.Message()));
    for (std::uint64_t id : targets) {
        if (state_ != HostState::kInitialized) break;
        auto it = std::find_if(subscriptions_.begin(), subscriptions_.end(),
                               [&](const Subscription& s) { return s.id == id; });
        // A subscriber called earlier may have ended this subscription.
        if (it == subscriptions_.end()) continue;
        HostEvent event{};
        event.name = name.c_str();
        event.payload = flat;
        event.flag = flag;
        event.userData = it->userData;
        HostEventCallback callback = it->callback;
        BoundaryRecord record;
        record.kind = BoundaryKind::kDeliver;
        record.name = name;
        record.flag = flag;
        if (options_.recordEventPayloads) record.payload = payload;
        Record(std::move(record));
        PluginCallScope scope(*this);
        callback(&event);
    }
    Binding::ReleaseFlat(flat);
}

CallResult PluginHost::Call(const PluginCall& call) {
    if (const ApiFunctionRecord* function = FindFunction(call.method, call.path))
        return Invoke(*function, call);
    CallResult result;
    result.status = 404;
    result.error = "No function takes " + call.method + " " + call.path;
    BoundaryRecord record;
    record.kind = BoundaryKind::kCall;
    record.method = call.method;
    record.path = call.path;
    record.status = result.status;
    record.error = result.error;
    Record(std::move(record));
    return result;
}

CallResult PluginHost::Invoke(const ApiFunctionRecord& function, const PluginCall& call) {
    CallResult result;
    BoundaryRecord record;
    record.kind = BoundaryKind::kCall;
    record.method = call.method;
    record.path = call.path;
    if (state_ != HostState::kLoaded && state_ != HostState::kInitialized) {
        result.status = 503;
        result.error = "The plugin is not running";
    } else {
        std::vector<std::string> names;
        std::vector<ApiParameter> parameters;
        bool converted = true;
        for (const Binding::BindingField& field : call.params.Fields()) names.emplace_back(field.Name());
        parameters.resize(names.size());
        std::size_t index = 0;
        for (const Binding::BindingField& field : call.params.Fields()) {
            ApiParameter& parameter = parameters[index];
            parameter.name = names[index++].c_str();
            Binding::BindingResult written = Binding::ToFlat(field.Value(), parameter.value);
            if (written.Failed()) {
                result.status = 400;
                result.error = "Parameter " + std::string(field.Name()) +
                               " has no flat form: " + std::string(written.Message());
                converted = false;
                break;
            }
        }
        std::vector<TextPair> arguments;
        for (const auto& [name, value] : call.arguments) arguments.push_back({name.c_str(), value.c_str()});
        if (converted) {
            ApiRequest request{};
            request.method = ApiMethodCode(call.method);
            request.customMethod = request.method == kApiMethodCustom ? call.method.c_str() : nullptr;
            request.path = call.path.c_str();
            request.parameters = parameters.empty() ? nullptr : parameters.data();
            request.parameterCount = static_cast<std::uint32_t>(parameters.size());
            request.function = &function;
            request.arguments = arguments.empty() ? nullptr : arguments.data();
            request.argumentCount = static_cast<std::uint32_t>(arguments.size());
            request.contentType = call.contentType.empty() ? nullptr : call.contentType.c_str();
            if (call.body) {
                request.body = reinterpret_cast<const std::uint8_t*>(call.body->data());
                request.bodyLength = static_cast<std::uint32_t>(call.body->size());
            }
            ApiResponse response{};
            // One scope for the call, the reading and the release: a shutdown asked for meanwhile
            // waits until the plugin's response is gone.
            PluginCallScope scope(*this);
            function.invoker(&response, &request);
            HostResult read = detail::ReadPluginResponse(response, result);
            if (read.Failed())
                RecordFault("the response of " + std::string(function.name) +
                            " is malformed: " + read.Message());
            if (response.release != nullptr) {
                response.release(&response);
            } else if (response.value.tag != kFlatKindEmpty || response.error.message != nullptr ||
                       response.headers != nullptr || response.statusText != nullptr ||
                       response.streamContext != nullptr) {
                RecordFault("the response of " + std::string(function.name) + " has no release function");
            }
        }
        for (ApiParameter& parameter : parameters) Binding::ReleaseFlat(parameter.value);
    }
    record.status = result.status;
    record.error = result.error;
    record.result = result.value;
    Record(std::move(record));
    return result;
}

bool PluginHost::RunUntilIdle() {
    if (loop_.RunUntilIdle()) return true;
    RecordFault("the host's loop never went idle");
    return false;
}

bool PluginHost::Advance(double seconds) {
    if (loop_.Advance(seconds)) return true;
    RecordFault("the host's loop never went idle");
    return false;
}

void PluginHost::Post(EventLoop::Task task) { loop_.Post(std::move(task)); }

void PluginHost::RecordFault(std::string text) {
    ++faults_;
    BoundaryRecord record;
    record.kind = BoundaryKind::kFault;
    record.text = std::move(text);
    Record(std::move(record));
}

void PluginHost::Record(BoundaryRecord record) {
    if (!options_.keepTranscript) {
        if (observer_) observer_(record);
        return;
    }
    transcript_.push_back(std::move(record));
    if (observer_) observer_(transcript_.back());
}

bool PluginHost::ServicesOpen(const char* service) {
    if (servicesOpen_) return true;
    RecordFault(std::string(service) + " called while the plugin is not connected");
    return false;
}

std::size_t PluginHost::UnreleasedResponses() noexcept { return detail::LiveHostResponses(); }
std::size_t PluginHost::RepeatedReleases() noexcept { return detail::RepeatedHostReleases(); }

}  // namespace Zarn::Host
