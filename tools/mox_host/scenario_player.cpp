#include "tools/mox_host/scenario_player.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "host/login_peer.h"
#include "host/plugin_host.h"
#include "tools/mox_host/delivery_names.h"
#include "tools/mox_host/http_fetch.h"
#include "tools/mox_host/observer_server.h"
#include "tools/mox_host/transcript_line.h"
#include "tools/mox_host/value_match.h"

namespace Zarn::MoxHost {

using Binding::BindingKind;
using Binding::BindingProperty;
using Host::BoundaryKind;
using Host::BoundaryRecord;
using Host::HostReply;
using Host::HostRequest;

namespace {

// Yields in a row with nothing due before the wait is taken as one that can never end; a few idle
// turns may be a plugin polling once more before it gives up.
constexpr std::size_t kIdleYieldLimit = 1000;

// Operations of a step, in the order they are looked for among its keys.
constexpr std::string_view kOperations[] = {"update",       "create",  "delete",      "lcds",
                                            "serviceProxy", "call",    "expectEvent", "expectRequest",
                                            "expectLog",    "advance", "shutdown"};

// POSTs the client's own plugins accept without a body in reply.
constexpr std::string_view kAcceptedPosts[] = {"/mox-gameflow/*", "/mox-suggested-players/*", "/telemetry/*"};

struct ScenarioError {
    std::string text;
};

std::string Text(const BindingProperty& value) {
    if (value.Kind() == BindingKind::String) return std::string(value.GetString());
    return Encodings::WriteJson(value);
}

std::optional<PluginApiVersion> ParseVersion(std::string_view text) {
    PluginApiVersion version{0, 0, 0};
    std::uint32_t* parts[] = {&version.major, &version.minor, &version.patch};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (std::size_t i = 0; i < 3; ++i) {
        auto [next, error] = std::from_chars(at, end, *parts[i]);
        if (error != std::errc()) return std::nullopt;
        at = next;
        if (i < 2) {
            if (at == end || *at != '.') return std::nullopt;
            ++at;
        }
    }
    if (at != end) return std::nullopt;
    return version;
}

std::optional<std::string> DecodeHex(std::string_view hex) {
    std::string bytes;
    std::string digits;
    for (char c : hex)
        if (c != ' ' && c != '\n' && c != '\t') digits.push_back(c);
    if (digits.size() % 2 != 0) return std::nullopt;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        unsigned value = 0;
        auto [next, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
        if (error != std::errc() || next != digits.data() + i + 2) return std::nullopt;
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

BindingProperty ResourceEvent(std::string_view uri, std::string_view type, BindingProperty data) {
    BindingProperty event;
    event.WriteField("uri").SetString(uri);
    event.WriteField("eventType").SetString(type);
    event.WriteField("data") = std::move(data);
    return event;
}

}  // namespace

struct ScenarioPlayer::State {
    BindingProperty scenario;
    std::string pluginPath;
    Sink sink;
    std::unique_ptr<Host::PluginHost> host;
    std::unique_ptr<Host::LoginPeer> login;
    std::map<std::string, BindingProperty, std::less<>> peers;
    std::map<std::string, std::string, std::less<>> variables;  // ${name} substitutions
    std::unique_ptr<ObserverServer> spectator;
    // Expectations look at the transcript from here: the end of the previous run of expectation
    // steps, so that several expectations in a row check the same happenings.
    std::size_t expectedSince = 0;
    bool windowEnds = false;
    std::size_t faultsSeen = 0;
    bool everFaulted = false;
    std::size_t nextStep = 0;  // the index the next step played is given
    std::size_t idleYields = 0;
    std::function<void()> abandon;

    void Emit(const BindingProperty& object) { sink(object); }

    void EmitStep(std::size_t index, std::string_view op, std::string_view target) {
        BindingProperty line;
        line.WriteField("kind").SetString("step");
        line.WriteField("index").SetUnsigned(index);
        line.WriteField("op").SetString(op);
        line.WriteField("target").SetString(target);
        Emit(line);
    }

    void EmitExpect(bool ok, std::size_t step, const std::string& detail) {
        BindingProperty line;
        line.WriteField("kind").SetString("expect");
        line.WriteField("ok").SetBool(ok);
        line.WriteField("step").SetUnsigned(step);
        line.WriteField("detail").SetString(detail);
        Emit(line);
    }

    // Replaces ${name} in strings; a string that is a single numeric substitution becomes a number.
    BindingProperty Substitute(const BindingProperty& value) const {
        if (variables.empty()) return value;
        switch (value.Kind()) {
            case BindingKind::String: {
                std::string text(value.GetString());
                for (const auto& [name, replacement] : variables) {
                    const std::string pattern = "${" + name + "}";
                    if (text == pattern) {
                        std::uint64_t number = 0;
                        auto [end, error] = std::from_chars(replacement.data(),
                                                            replacement.data() + replacement.size(), number);
                        BindingProperty result;
                        if (error == std::errc() && end == replacement.data() + replacement.size()) {
                            result.SetUnsigned(number);
                        } else {
                            result.SetString(replacement);
                        }
                        return result;
                    }
                    for (std::size_t at = text.find(pattern); at != std::string::npos;
                         at = text.find(pattern, at + replacement.size())) {
                        text.replace(at, pattern.size(), replacement);
                    }
                }
                BindingProperty result;
                result.SetString(text);
                return result;
            }
            case BindingKind::Collection: {
                BindingProperty result;
                result.MakeCollection();
                for (const BindingProperty& element : value.Elements())
                    result.AppendElement() = Substitute(element);
                return result;
            }
            case BindingKind::Structure: {
                BindingProperty result;
                result.MakeStructure();
                for (const auto& field : value.Fields())
                    result.WriteField(field.Name()) = Substitute(field.Value());
                return result;
            }
            default:
                return value;
        }
    }

    void StartSpectator() {
        const BindingProperty& games = scenario.Field("spectator");
        if (games.Kind() == BindingKind::Empty) return;
        if (games.Kind() != BindingKind::Structure)
            throw ScenarioError{"'spectator' is not a mapping of \"PLATFORM/GAME\" to { status, body }"};
        try {
            spectator = std::make_unique<ObserverServer>(games);
        } catch (const std::exception& error) {
            throw ScenarioError{error.what()};
        }
        variables["spectator.host"] = ObserverServer::kHost;
        variables["spectator.port"] = std::to_string(spectator->Port());
    }

    void SetUpPeers() {
        StartSpectator();
        for (const auto& field : scenario.Field("peers").Fields())
            peers[std::string(field.Name())] = Substitute(field.Value());

        // The scenario's own answers come first: the first matching entry wins.
        for (const BindingProperty& rule : scenario.Field("responses").Elements()) {
            const BindingProperty& match = rule.Field("match");
            const BindingProperty respond = rule.Field("respond");
            host->Requests().Add(
                std::string(match.Field("method").GetString()),
                std::string(match.Field("path").GetString("*")), [respond](const HostRequest&) {
                    HostReply reply =
                        HostReply::Status(static_cast<std::uint32_t>(respond.Field("status").AsUnsigned(200)),
                                          std::string(respond.Field("error").GetString()));
                    if (respond.HasField("body")) reply.value = respond.Field("body");
                    return reply;
                });
        }
        login = std::make_unique<Host::LoginPeer>(*host);
        for (const auto& field : scenario.Field("serviceProxy").Fields()) {
            Host::ServiceProxyReply reply;
            reply.status = field.Value().Field("status").GetString("OK");
            reply.payload = field.Value().Field("payload").GetString();
            reply.error = field.Value().Field("error").GetString();
            reply.withheld = field.Value().Field("withheld").GetBool();
            login->SetReply(std::string(field.Name()), std::move(reply));
        }
        for (std::string_view pattern : kAcceptedPosts)
            host->Requests().Add("POST", std::string(pattern),
                                 [](const HostRequest&) { return HostReply::Status(204); });
        host->Requests().Add("GET", "*", [this](const HostRequest& request) {
            const auto peer = peers.find(request.path);
            if (peer == peers.end()) return HostReply::Status(404, "Resource not found");
            return HostReply::Value(peer->second);
        });
        host->Externals().SetDefault(FetchOverHttp);
    }

    // Whether the plugin misbehaved since the last check; its faults are in the transcript.
    bool Faulted() {
        const bool faulted = host->FaultCount() > faultsSeen;
        faultsSeen = host->FaultCount();
        everFaulted = everFaulted || faulted;
        return faulted;
    }

    // Runs `body`, turning what it throws into a status: the scenario's own error, or an
    // exception of the plugin's, out of one of its calls (nothing else on these paths throws).
    template <typename Body>
    int Guarded(std::string& problem, Body&& body) {
        try {
            return body();
        } catch (const ScenarioError& error) {
            problem = error.text;
            return kScenarioUnusable;
        } catch (const std::exception& error) {
            host->RecordFault(std::string("a call of the plugin threw: ") + error.what());
            return kPluginFault;
        } catch (...) {
            host->RecordFault("a call of the plugin threw");
            return kPluginFault;
        }
    }

    // Plays the step with this index: its record, the operation, and the expectation's record.
    int PlayStep(std::size_t index, const BindingProperty& step, std::string& problem) {
        std::string_view op;
        for (std::string_view candidate : kOperations)
            if (step.HasField(candidate)) {
                op = candidate;
                break;
            }
        if (op.empty()) {
            problem =
                "step " + std::to_string(index) + ": no known operation in " + Encodings::WriteJson(step);
            return kScenarioUnusable;
        }
        EmitStep(index, op, Target(op, step));
        std::optional<std::string> mismatch = Step(op, step);
        if (Faulted()) return kPluginFault;
        if (mismatch) {
            problem = "step " + std::to_string(index) + " (" + std::string(op) + " " + Target(op, step) +
                      "): " + *mismatch;
            EmitExpect(false, index, problem);
            return kExpectationFailed;
        }
        if (op.rfind("expect", 0) == 0 || (op == "call" && step.HasField("expect")))
            EmitExpect(true, index, {});
        return kScenarioPassed;
    }

    void RunUntilIdle() { host->RunUntilIdle(); }

    void Resource(std::string_view op, const BindingProperty& step) {
        const std::string address(step.Field(op).GetString());
        if (address.empty()) throw ScenarioError{"'" + std::string(op) + "' needs a resource address"};
        std::string type = op == "update" ? "Update" : op == "create" ? "Create" : "Delete";
        BindingProperty data;
        if (op == "delete") {
            peers.erase(address);
        } else {
            data = Substitute(step.Field("data"));
            peers[address] = data;
        }
        host->Deliver(ResourceEventName(address), ResourceEvent(address, type, std::move(data)));
        RunUntilIdle();
    }

    void Lcds(const BindingProperty& step) {
        const std::string typeName(step.Field("lcds").GetString());
        if (typeName.empty()) throw ScenarioError{"'lcds' needs the message's class name"};
        BindingProperty event;
        event.WriteField("typeName").SetString(typeName);
        event.WriteField("body") = Substitute(step.Field("body"));
        host->Deliver(LcdsEventName(typeName), std::move(event), 1);
        RunUntilIdle();
    }

    void ServiceProxy(const BindingProperty& step) {
        const BindingProperty message = Substitute(step.Field("serviceProxy"));
        const std::string event(message.Field("event").GetString("OnServiceProxyAsyncEvent"));
        Host::ServiceProxyReply reply;
        reply.status = message.Field("status").GetString("OK");
        reply.payload = message.Field("payload").GetString();
        reply.error = message.Field("error").GetString();
        host->Deliver(event, Host::LoginPeer::ReplyPayload(message.Field("uuid").GetString(),
                                                           message.Field("serviceName").GetString(),
                                                           message.Field("methodName").GetString(), reply));
        RunUntilIdle();
    }

    Host::PluginCall MakeCall(const BindingProperty& spec) {
        Host::PluginCall call;
        call.method = spec.Field("method").GetString("GET");
        call.path = spec.Field("path").GetString();
        if (call.path.empty()) throw ScenarioError{"'call' needs a path"};
        if (spec.HasField("body")) {
            call.body = Encodings::WriteJson(spec.Field("body"));
            call.contentType = "application/json";
        } else if (spec.HasField("bodyText")) {
            call.body = std::string(spec.Field("bodyText").GetString());
        } else if (spec.HasField("bodyHex")) {
            std::optional<std::string> bytes = DecodeHex(spec.Field("bodyHex").GetString());
            if (!bytes) throw ScenarioError{"'bodyHex' is not an even run of hexadecimal digits"};
            call.body = std::move(*bytes);
        }
        if (spec.HasField("contentType")) call.contentType = spec.Field("contentType").GetString();
        if (spec.HasField("params")) call.params = spec.Field("params");
        for (const auto& field : spec.Field("query").Fields())
            call.arguments.emplace_back(std::string(field.Name()), Text(field.Value()));
        return call;
    }

    // Returns the mismatch, or nothing when the call's expectation holds (or it has none).
    std::optional<std::string> Call(const BindingProperty& step) {
        const BindingProperty spec = Substitute(step.Field("call"));
        const Host::CallResult result = host->Call(MakeCall(spec));
        RunUntilIdle();
        if (!step.HasField("expect")) return std::nullopt;
        BindingProperty actual;
        actual.WriteField("status").SetUnsigned(Host::EffectiveStatus(result.status, result.error));
        actual.WriteField("error").SetString(result.error);
        actual.WriteField("result") = result.value;
        std::string detail;
        if (ValueMatches(Substitute(step.Field("expect")), actual, detail)) return std::string();
        return detail;
    }

    std::vector<const BoundaryRecord*> Window(BoundaryKind kind) const {
        std::vector<const BoundaryRecord*> found;
        const auto& transcript = host->Transcript();
        for (std::size_t i = expectedSince; i < transcript.size(); ++i)
            if (transcript[i].kind == kind) found.push_back(&transcript[i]);
        return found;
    }

    std::string ExpectEvent(const BindingProperty& expected) const {
        const bool named = expected.HasField("name");
        BindingProperty payloadExpected;
        payloadExpected.MakeStructure();
        for (const auto& field : expected.Fields())
            if (field.Name() != "name") payloadExpected.WriteField(field.Name()) = field.Value();
        std::string closest;
        for (const BoundaryRecord* record : Window(BoundaryKind::kEvent)) {
            if (named ? record->name != expected.Field("name").GetString() : record->name != "OnJsonApiEvent")
                continue;
            std::string detail;
            if (ValueMatches(payloadExpected, record->payload, detail)) return {};
            if (closest.empty()) closest = detail;
        }
        return "no such event was published" +
               (closest.empty() ? std::string() : " (first one: " + closest + ")");
    }

    std::string ExpectRequest(const BindingProperty& expected) const {
        for (const BoundaryRecord* record : Window(BoundaryKind::kRequest)) {
            if (expected.HasField("method") && record->method != expected.Field("method").GetString())
                continue;
            if (expected.HasField("path") && record->path != expected.Field("path").GetString()) continue;
            if (expected.HasField("contains") &&
                record->body.find(expected.Field("contains").GetString()) == std::string::npos) {
                continue;
            }
            if (expected.HasField("status") && record->status != expected.Field("status").AsUnsigned())
                continue;
            if (expected.HasField("body")) {
                Binding::BindingResult body = Encodings::ReadJson(record->body);
                std::string detail;
                if (body.Failed() || !ValueMatches(expected.Field("body"), body.Value(), detail)) continue;
            }
            return {};
        }
        return "no matching request among " + std::to_string(Window(BoundaryKind::kRequest).size()) +
               " since the previous expectation";
    }

    std::string ExpectLog(const BindingProperty& expected) const {
        const std::string text(expected.Kind() == BindingKind::String ? expected.GetString()
                                                                      : expected.Field("text").GetString());
        for (const BoundaryRecord* record : Window(BoundaryKind::kLog)) {
            if (expected.HasField("level") && record->level != expected.Field("level").AsUnsigned()) continue;
            if (record->text.find(text) != std::string::npos) return {};
        }
        return "no log line contains \"" + text + "\"";
    }

    // Runs one step; returns the mismatch of its expectation, if any.
    std::optional<std::string> Step(std::string_view op, const BindingProperty& step) {
        if (op.rfind("expect", 0) != 0 && windowEnds) {
            expectedSince = host->Transcript().size();
            windowEnds = false;
        }
        if (op == "update" || op == "create" || op == "delete") {
            Resource(op, step);
        } else if (op == "lcds") {
            Lcds(step);
        } else if (op == "serviceProxy") {
            ServiceProxy(step);
        } else if (op == "call") {
            std::optional<std::string> mismatch = Call(step);
            if (mismatch) windowEnds = true;
            if (mismatch && mismatch->empty()) return std::nullopt;
            return mismatch;
        } else if (op == "advance") {
            const double seconds = step.Field("advance").Kind() == BindingKind::Float
                                       ? step.Field("advance").GetFloat()
                                       : static_cast<double>(step.Field("advance").AsUnsigned());
            if (!(seconds >= 0) || !std::isfinite(seconds))
                throw ScenarioError{"'advance' needs seconds, not negative"};
            host->Advance(seconds);
        } else if (op == "shutdown") {
            host->Shutdown();
            RunUntilIdle();
        } else {
            const BindingProperty expected = Substitute(step.Field(op));
            std::string mismatch = op == "expectEvent"     ? ExpectEvent(expected)
                                   : op == "expectRequest" ? ExpectRequest(expected)
                                                           : ExpectLog(expected);
            windowEnds = true;
            if (mismatch.empty()) return std::nullopt;
            return mismatch;
        }
        return std::nullopt;
    }

    static std::string Target(std::string_view op, const BindingProperty& step) {
        const BindingProperty& value = step.Field(op);
        if (op == "call")
            return std::string(value.Field("method").GetString("GET")) + " " +
                   std::string(value.Field("path").GetString());
        if (op == "serviceProxy")
            return std::string(value.Field("serviceName").GetString()) + "." +
                   std::string(value.Field("methodName").GetString());
        if (op == "shutdown") return {};
        return Text(value);
    }
};

ScenarioPlayer::ScenarioPlayer(BindingProperty scenario, std::string pluginPath, Sink sink)
    : state_(std::make_unique<State>()) {
    state_->scenario = std::move(scenario);
    state_->pluginPath = std::move(pluginPath);
    state_->sink = std::move(sink);
}

ScenarioPlayer::~ScenarioPlayer() = default;

void ScenarioPlayer::OnStuck(std::function<void()> abandon) { state_->abandon = std::move(abandon); }

void ScenarioPlayer::OnCrash(const char* what) {
    if (state_->host) state_->host->RecordFault(std::string("the plugin crashed the call: ") + what);
    if (state_->abandon) state_->abandon();
}

BindingProperty ScenarioPlayer::Peer(const std::string& address) const {
    const auto peer = state_->peers.find(address);
    return peer == state_->peers.end() ? BindingProperty() : peer->second;
}

int ScenarioPlayer::Play(std::string& problem) {
    const int status = Start(problem);
    const int finished = Finish();
    if (status == kScenarioUnusable) return status;
    return finished == kPluginFault ? finished : status;
}

int ScenarioPlayer::Start(std::string& problem, Host::ClockMode clock) {
    State& s = *state_;
    if (s.scenario.Kind() != BindingKind::Structure) {
        problem = "the scenario is not a mapping";
        return kScenarioUnusable;
    }
    Host::HostOptions options;
    options.clock = clock;
    if (s.scenario.Field("host").HasField("version")) {
        std::optional<PluginApiVersion> version =
            ParseVersion(Text(s.scenario.Field("host").Field("version")));
        if (!version) {
            problem = "host.version is not major.minor.patch";
            return kScenarioUnusable;
        }
        options.version = *version;
    }
    s.host = std::make_unique<Host::PluginHost>(options);
    s.host->SetObserver([&s](const BoundaryRecord& record) {
        s.Emit(TranscriptObject(record));
        if (record.kind != BoundaryKind::kYield || s.host->Loop().HasDueWork()) {
            s.idleYields = 0;
        } else if (++s.idleYields == kIdleYieldLimit) {
            s.host->RecordFault(
                "the plugin waits for something that can never arrive: nothing is queued, "
                "pending or scheduled");
            if (s.abandon) s.abandon();
        }
    });

    return s.Guarded(problem, [&] {
        s.SetUpPeers();
        if (s.host->Load(s.pluginPath).Failed() || !s.host->Initialize()) {
            s.Faulted();
            s.host->RecordFault(s.host->State() == Host::HostState::kEmpty ? "the plugin could not be loaded"
                                                                           : "the plugin did not start");
            return kPluginFault;
        }
        s.RunUntilIdle();
        if (s.Faulted()) return kPluginFault;

        const BindingProperty& steps = s.scenario.Field("steps");
        if (steps.Kind() != BindingKind::Collection && steps.Kind() != BindingKind::Empty) {
            problem = "'steps' is not a list";
            return kScenarioUnusable;
        }
        for (std::size_t index = 0; index < steps.Size(); ++index) {
            const int status = s.PlayStep(index, steps.Element(index), problem);
            if (status != kScenarioPassed) return status;
        }
        s.nextStep = steps.Size();
        return kScenarioPassed;
    });
}

int ScenarioPlayer::Perform(const BindingProperty& step, std::string& problem) {
    State& s = *state_;
    if (!s.host || s.host->State() != Host::HostState::kInitialized) {
        problem = "the plugin is not running";
        return kScenarioUnusable;
    }
    return s.Guarded(problem, [&] { return s.PlayStep(s.nextStep++, step, problem); });
}

Host::CallResult ScenarioPlayer::Call(const Host::PluginCall& call) {
    State& s = *state_;
    Host::CallResult result;
    std::string problem;
    const int status = s.Guarded(problem, [&] {
        result = s.host->Call(call);
        s.RunUntilIdle();
        return kScenarioPassed;
    });
    s.Faulted();
    if (status != kScenarioPassed) {
        result = {};
        result.status = 500;
        result.error = "The plugin's call threw";
    }
    return result;
}

int ScenarioPlayer::Finish() {
    State& s = *state_;
    if (!s.host) return kScenarioPassed;
    int status = kScenarioPassed;
    try {
        if (s.host->State() == Host::HostState::kInitialized) {
            s.EmitStep(s.nextStep, "shutdown", {});
            s.host->Shutdown();
            s.RunUntilIdle();
        }
    } catch (...) {
        s.host->RecordFault("a call of the plugin threw while it shut down");
    }
    s.Faulted();
    if (s.everFaulted) status = kPluginFault;
    if (Host::PluginHost::RepeatedReleases() != 0) {
        s.host->RecordFault(std::to_string(Host::PluginHost::RepeatedReleases()) +
                            " responses were released again after their release");
        status = kPluginFault;
    }
    if (Host::PluginHost::UnreleasedResponses() != 0) {
        s.host->RecordFault(std::to_string(Host::PluginHost::UnreleasedResponses()) +
                            " responses the host filled were never released");
        status = kPluginFault;
    }
    return status;
}

bool ScenarioPlayer::HasFaulted() const {
    state_->Faulted();
    return state_->everFaulted;
}

Host::PluginHost* ScenarioPlayer::RunningHost() const noexcept { return state_->host.get(); }

void ScenarioPlayer::ForgetTranscript() {
    if (!state_->host) return;
    state_->host->ClearTranscript();
    state_->expectedSince = 0;
}

}  // namespace Zarn::MoxHost
