#include "tools/mox_host/serve.h"

#include <iostream>

#if MOX_HOST_HAS_HTTP
#include <arpa/inet.h>
#include <httplib.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <deque>
#include <future>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "encodings/message_pack_decoder.h"
#include "encodings/yaml_decoder.h"
#include "host/plugin_host.h"
#include "tools/mox_host/api_description.h"
#include "tools/mox_host/end_of_game_page.h"
#include "tools/mox_host/event_stream.h"
#include "tools/mox_host/http_fetch.h"
#include "tools/mox_host/lockfile.h"
#include "tools/mox_host/loop_inbox.h"
#include "tools/mox_host/scenario_file.h"
#include "tools/mox_host/serve_access.h"
#include "tools/mox_host/transcript_line.h"
#endif

namespace Zarn::MoxHost {

#if MOX_HOST_HAS_HTTP
namespace {

using Binding::BindingKind;
using Binding::BindingProperty;
using Binding::BindingResult;

// Keep-alive connections and event streams each hold a thread while open: enough for a few
// streams beside a handful of busy clients.
constexpr std::size_t kHttpThreads = 16;
// A request whose task the loop has not answered by then gets 504; the plugin is stuck.
constexpr auto kAnswerTimeout = std::chrono::seconds(30);
// An idle event stream sends a comment this often, which also finds clients that went away.
constexpr auto kStreamHeartbeat = std::chrono::seconds(10);
// The loop looks at its timers at least this often.
constexpr auto kLongestWait = std::chrono::milliseconds(250);

constexpr std::string_view kHostPrefix = "/host/v1/";

// A request as the loop thread sees it: plain texts, copied out of the HTTP thread's record.
struct HttpCall {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> query;
    std::string contentType;
    std::string body;
};

struct HttpAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

HttpAnswer Json(int status, const BindingProperty& value) {
    return {status, "application/json", Encodings::WriteJson(value), {}};
}

HttpAnswer Error(int status, std::string_view message) {
    BindingProperty error;
    error.WriteField("status").SetUnsigned(static_cast<std::uint64_t>(status));
    error.WriteField("message").SetString(message);
    return Json(status, error);
}

std::string LowerMediaType(std::string_view contentType) {
    std::string type(contentType.substr(0, contentType.find(';')));
    while (!type.empty() && type.back() == ' ') type.pop_back();
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            decoded.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            decoded.push_back(text[i] == '+' ? ' ' : text[i]);
        }
    }
    return decoded;
}

// The query of the request's target, in its order. The server's own parameter table is not used:
// it also holds the fields of a form-encoded body, which are no query arguments.
std::vector<std::pair<std::string, std::string>> QueryOf(std::string_view target) {
    std::vector<std::pair<std::string, std::string>> query;
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos) return query;
    std::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('&');
        const std::string_view pair = rest.substr(0, end);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            query.emplace_back(
                PercentDecoded(pair.substr(0, equals)),
                equals == std::string_view::npos ? std::string() : PercentDecoded(pair.substr(equals + 1)));
        }
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return query;
}

// A body for one of the host's own endpoints or a peer resource, by its content type; a failure
// carries the status to answer with.
struct DecodedBody {
    BindingResult value;
    int status = 200;
};

DecodedBody DecodeBody(const std::string& contentType, const std::string& body) {
    const std::string type = LowerMediaType(contentType);
    DecodedBody decoded;
    if (type.empty() || type == "application/json" || type == "application/vnd.api+json") {
        decoded.value = Encodings::ReadJson(body);
    } else if (type == "application/x-msgpack") {
        Encodings::MessagePackDecoding read =
            Encodings::DecodeMessagePack(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
        decoded.value = std::move(read.result);
        if (decoded.value.Succeeded() && read.consumed != body.size())
            decoded.value = BindingResult::MakeFailure("bytes left after the MessagePack value");
    } else if (type == "application/x-yaml" || type == "text/x-yaml" || type == "application/yaml") {
        decoded.value = Encodings::DecodeYaml(body);
    } else {
        decoded.value = BindingResult::MakeFailure("Unsupported body content type: " + contentType);
        decoded.status = 415;
        return decoded;
    }
    if (decoded.value.Failed()) decoded.status = 400;
    return decoded;
}

// RFC 7386: objects merge key by key, null removes a key, anything else replaces. The fields are
// put in order once at the end, so a patch of many keys costs O(n log n).
BindingProperty MergePatch(const BindingProperty& target, const BindingProperty& patch) {
    if (patch.Kind() != BindingKind::Structure) return patch;
    BindingProperty merged;
    merged.MakeStructure();
    if (target.Kind() == BindingKind::Structure) {
        for (const auto& field : target.Fields())
            if (!patch.HasField(field.Name())) merged.AppendFieldUnsorted(field.Name()) = field.Value();
    }
    for (const auto& field : patch.Fields()) {
        if (field.Value().Kind() == BindingKind::Empty) continue;
        merged.AppendFieldUnsorted(field.Name()) = MergePatch(target.Field(field.Name()), field.Value());
    }
    merged.SortFields();
    return merged;
}

// The transcript for GET /host/v1/transcript, bounded by bytes: a host left serving for days
// keeps its newest lines.
class TranscriptLines {
public:
    void Add(std::string line) {
        bytes_ += line.size() + 1;
        lines_.push_back(std::move(line));
        while (bytes_ > kMaxServeTranscriptBytes && !lines_.empty()) {
            bytes_ -= lines_.front().size() + 1;
            lines_.pop_front();
            ++dropped_;
        }
    }
    std::string Text() const {
        std::string text;
        text.reserve(bytes_);
        for (const std::string& line : lines_) text.append(line).push_back('\n');
        return text;
    }
    std::size_t Dropped() const noexcept { return dropped_; }

private:
    std::deque<std::string> lines_;
    std::size_t bytes_ = 0;
    std::size_t dropped_ = 0;
};

// Answers requests on the loop thread.
class Dispatcher {
public:
    Dispatcher(ScenarioPlayer& player, LoopInbox& inbox, TranscriptLines& transcript)
        : player_(player), inbox_(inbox), transcript_(transcript) {}

    HttpAnswer Dispatch(const HttpCall& call) {
        try {
            if (call.path.rfind(kHostPrefix, 0) == 0) return HostEndpoint(call);
            return PluginOrPeer(call);
        } catch (const std::exception& error) {
            return Error(500, std::string("mox-host failed: ") + error.what());
        }
    }

    void NoteFault(std::string text) { lastFault_ = std::move(text); }

private:
    Host::PluginHost& HostNow() { return *player_.RunningHost(); }

    // A step played for a request, answered 204 (or `done` when given) when it went well.
    HttpAnswer PlayStep(const BindingProperty& step, HttpAnswer done = {204, {}, {}, {}}) {
        std::string problem;
        const int status = player_.Perform(step, problem);
        if (status == kPluginFault) return Error(500, "the plugin misbehaved: " + lastFault_);
        if (status != kScenarioPassed) {
            if (HostNow().State() != Host::HostState::kInitialized) return Error(503, problem);
            return Error(400, problem);
        }
        return done;
    }

    HttpAnswer HostEndpoint(const HttpCall& call) {
        const std::string_view rest = std::string_view(call.path).substr(kHostPrefix.size());
        auto only = [&](std::string_view method) { return call.method == method; };
        if (rest == "transcript") {
            if (!only("GET")) return Error(405, "GET only");
            HttpAnswer answer{200, "application/x-ndjson", transcript_.Text(), {}};
            answer.headers.emplace_back("X-Transcript-Dropped", std::to_string(transcript_.Dropped()));
            return answer;
        }
        if (rest == "memory") {
            if (!only("GET")) return Error(405, "GET only");
            const MemoryStats stats = HostNow().QueryMemoryStats();
            BindingProperty value;
            value.WriteField("bytesInUse").SetUnsigned(stats.bytesAllocated - stats.bytesFreed);
            value.WriteField("liveAllocations").SetUnsigned(stats.allocations - stats.frees);
            value.WriteField("peakBytes").SetUnsigned(stats.peakBytes);
            value.WriteField("allocationsAtPeak").SetUnsigned(stats.allocationsAtPeak);
            value.WriteField("bytesAllocated").SetUnsigned(stats.bytesAllocated);
            value.WriteField("allocations").SetUnsigned(stats.allocations);
            return Json(200, value);
        }
        if (rest == "api") {
            if (!only("GET")) return Error(405, "GET only");
            if (HostNow().Api() == nullptr) return Error(503, "the plugin is not running");
            BindingProperty description = DescribeApi(*HostNow().Api());
            description.WriteField("name").SetString(HostNow().PluginName());
            return Json(200, description);
        }
        if (rest == "shutdown") {
            if (!only("POST")) return Error(405, "POST only");
            inbox_.RequestStop();
            return {202, {}, {}, {}};
        }
        constexpr std::string_view kLcds = "lcds/";
        constexpr std::string_view kServiceProxy = "service-proxy/";
        const bool lcds = rest.rfind(kLcds, 0) == 0;
        const bool proxy = rest.rfind(kServiceProxy, 0) == 0;
        if (!lcds && !proxy) return Error(404, "No such host endpoint: " + call.path);
        if (!only("POST")) return Error(405, "POST only");
        const std::string name(rest.substr(lcds ? kLcds.size() : kServiceProxy.size()));
        if (name.empty() || name.find('/') != std::string::npos)
            return Error(404, "No such host endpoint: " + call.path);
        BindingProperty body;
        if (!call.body.empty() || lcds) {
            DecodedBody decoded = DecodeBody(call.contentType, call.body);
            if (decoded.value.Failed()) return Error(decoded.status, decoded.value.Message());
            body = std::move(decoded.value.Value());
        }
        BindingProperty step;
        if (lcds) {
            step.WriteField("lcds").SetString(name);
            step.WriteField("body") = std::move(body);
        } else {
            if (body.Kind() != BindingKind::Structure && body.Kind() != BindingKind::Empty)
                return Error(400, "a service-proxy message is an object");
            BindingProperty& message = step.WriteField("serviceProxy");
            message.MakeStructure();
            for (const auto& field : body.Fields()) message.WriteField(field.Name()) = field.Value();
            message.WriteField("event").SetString(name);
        }
        return PlayStep(step);
    }

    HttpAnswer PluginOrPeer(const HttpCall& call) {
        Host::PluginHost& host = HostNow();
        if (host.FindFunction(call.method, call.path) != nullptr) return CallPlugin(call);
        for (std::string_view method : {"GET", "POST", "PUT", "PATCH", "DELETE"})
            if (host.FindFunction(method, call.path) != nullptr)
                return Error(405, "The plugin's " + call.path + " does not take " + call.method);
        return Peer(call);
    }

    HttpAnswer CallPlugin(const HttpCall& call) {
        if (HostNow().State() != Host::HostState::kInitialized)
            return Error(503, "The plugin is not running");
        Host::PluginCall plugin;
        plugin.method = call.method;
        plugin.path = call.path;
        plugin.arguments = call.query;
        if (!call.body.empty()) {
            plugin.body = call.body;
            plugin.contentType = call.contentType.empty() ? "application/json" : call.contentType;
        }
        const Host::CallResult result = player_.Call(plugin);
        const int status = static_cast<int>(Host::EffectiveStatus(result.status, result.error));
        if (!result.error.empty()) return Error(status, result.error);
        HttpAnswer answer;
        answer.status = status;
        for (const auto& [name, value] : result.headers) {
            std::string lower = LowerMediaType(name);
            if (lower == "content-type") {
                answer.contentType = value;
            } else if (lower != "content-length" && lower != "transfer-encoding" && lower != "connection") {
                answer.headers.emplace_back(name, value);
            }
        }
        if (result.streamed) {
            if (result.streamFailed)
                return Error(502, "the plugin's stream failed after " +
                                      std::to_string(result.streamBody.size()) + " bytes");
            answer.body = result.streamBody;
            if (answer.contentType.empty()) answer.contentType = "application/octet-stream";
        } else if (result.value.Kind() != BindingKind::Empty) {
            answer.body = Encodings::WriteJson(result.value);
            answer.contentType = "application/json";
        } else if (answer.status == 200) {
            answer.status = 204;
        }
        return answer;
    }

    HttpAnswer Peer(const HttpCall& call) {
        const BindingProperty current = player_.Peer(call.path);
        const bool present = current.Kind() != BindingKind::Empty;
        if (call.method == "GET") {
            if (!present) return Error(404, "No function or peer resource at " + call.path);
            return Json(200, current);
        }
        BindingProperty step;
        if (call.method == "DELETE") {
            if (!present) return Error(404, "No peer resource at " + call.path);
            step.WriteField("delete").SetString(call.path);
            return PlayStep(step);
        }
        if (call.method != "PUT" && call.method != "POST" && call.method != "PATCH")
            return Error(405, call.method + " is not an operation on a peer resource");
        if (call.body.empty()) return Error(400, call.method + " of a peer resource needs a body");
        DecodedBody decoded = DecodeBody(call.contentType, call.body);
        if (decoded.value.Failed()) return Error(decoded.status, decoded.value.Message());
        BindingProperty data = std::move(decoded.value.Value());
        // PUT sets the value as the client's plugins announce a change (an Update, present before
        // or not); POST announces a new resource (a Create).
        const int status = call.method == "POST" ? 201 : 200;
        if (call.method == "PATCH") {
            if (!present) return Error(404, "No peer resource at " + call.path);
            data = MergePatch(current, data);
        }
        if (data.Kind() == BindingKind::Empty) return Error(400, "A peer resource cannot be null");
        step.WriteField(status == 201 ? "create" : "update").SetString(call.path);
        step.WriteField("data") = data;
        return PlayStep(step, Json(status, data));
    }

    ScenarioPlayer& player_;
    LoopInbox& inbox_;
    TranscriptLines& transcript_;
    std::string lastFault_;
};

void Write(const HttpAnswer& answer, httplib::Response& response) {
    response.status = answer.status;
    for (const auto& [name, value] : answer.headers) response.set_header(name, value);
    if (!answer.body.empty() || !answer.contentType.empty())
        response.set_content(answer.body, answer.contentType.empty() ? "text/plain" : answer.contentType);
}

void WriteError(httplib::Response& response, int status, std::string_view message) {
    Write(Error(status, message), response);
}

// Signals that stop the server are taken by a thread of their own, so the loop can wind down
// in order (the lockfile goes, the plugin shuts down) instead of in a handler.
class StopSignals {
public:
    explicit StopSignals(LoopInbox& inbox) {
        sigemptyset(&set_);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR2}) sigaddset(&set_, signal);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
        thread_ = std::thread([this, &inbox] {
            int signal = 0;
            while (sigwait(&set_, &signal) != 0) {
            }
            if (signal != SIGUSR2) inbox.RequestStop();
        });
    }
    ~StopSignals() {
        pthread_kill(thread_.native_handle(), SIGUSR2);
        thread_.join();
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    sigset_t set_{};
    sigset_t previous_{};
    std::thread thread_;
};

BindingProperty EventMessage(const BindingProperty& record) {
    BindingProperty message;
    message.WriteField("name") = record.Field("name");
    message.WriteField("flag") = record.Field("flag");
    message.WriteField("payload") = record.Field("payload");
    return message;
}

}  // namespace

int Serve(const ServeOptions& options) {
    BindingResult scenario = ReadScenario(options.scenarioPath);
    if (scenario.Failed()) {
        std::cerr << "mox-host: " << scenario.Message() << "\n";
        return kScenarioUnusable;
    }
    // Without a file the client is logged in and waiting for a game: the built-in match is left
    // for the caller to play.
    if (options.scenarioPath.empty()) {
        BindingProperty none;
        none.MakeCollection();
        scenario.Value().WriteField("steps") = std::move(none);
    }

    std::optional<ServeAccess> access = ServeAccess::Make();
    if (!access) {
        std::cerr << "mox-host: the system gave no random bytes for the secret; not serving\n";
        return kScenarioUnusable;
    }
    in6_addr any{};
    if (::inet_pton(AF_INET, options.listen.c_str(), &any) != 1 &&
        ::inet_pton(AF_INET6, options.listen.c_str(), &any) != 1 && options.listen != "localhost") {
        std::cerr << "mox-host: --listen needs an IP address, not " << options.listen << "\n";
        return kScenarioUnusable;
    }
    if (!IsLoopbackAddress(options.listen)) {
        std::cerr << "mox-host: warning: listening on " << options.listen
                  << ", which other machines may reach; the secret is all that guards the plugin\n";
    }

    LoopInbox inbox;
    // Before any thread starts, so that every thread but the signals' own has them blocked.
    StopSignals signals(inbox);
    EventStream events;
    TranscriptLines transcript;
    Lockfile lockfile;
    Dispatcher* dispatcher = nullptr;
    ScenarioPlayer player(
        std::move(scenario.Value()), options.pluginPath, [&](const BindingProperty& object) {
            transcript.Add(TranscriptLine(object));
            const std::string_view kind = object.Field("kind").GetString();
            if (kind == "event") {
                events.Publish(Encodings::WriteJson(EventMessage(object)));
            } else if (kind == "fault") {
                std::cerr << "mox-host: the plugin misbehaved: " << object.Field("text").GetString() << "\n";
                if (dispatcher != nullptr)
                    dispatcher->NoteFault(std::string(object.Field("text").GetString()));
            }
        });
    player.OnStuck([&] {
        lockfile.RemoveNow();
        std::cout.flush();
        std::_Exit(kPluginFault);
    });
    if (options.watch) options.watch(player);

    std::string problem;
    int status = player.Start(problem, Host::ClockMode::kReal);
    if (status != kScenarioPassed) {
        if (!problem.empty()) std::cerr << "mox-host: " << problem << "\n";
        const int finished = player.Finish();
        return status == kScenarioUnusable || finished != kPluginFault ? status : finished;
    }
    if (player.RunningHost()->State() != Host::HostState::kInitialized) {
        std::cerr << "mox-host: the scenario shut the plugin down: nothing left to serve\n";
        return player.Finish();
    }
    player.ForgetTranscript();
    Dispatcher dispatch(player, inbox, transcript);
    dispatcher = &dispatch;

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kHttpThreads); };
    server.set_payload_max_length(kMaxServeBodyBytes);
    server.set_keep_alive_max_count(1000);
    // Small answers on kept-alive connections would otherwise wait for the peer's delayed ACK.
    server.set_tcp_nodelay(true);
    const ServeAccess& secret = *access;
    server.set_pre_routing_handler([&secret](const httplib::Request& request, httplib::Response& response) {
        if (request.method == "GET" && request.path == "/" && request.has_param("token")) {
            // The page's sign-in: the secret moves from the link into a cookie that only this
            // origin's own requests carry, and the address bar loses it.
            if (!secret.Matches(request.get_param_value("token"))) {
                WriteError(response, 401, "Wrong token");
            } else {
                response.status = 303;
                response.set_header("Location", "/");
                response.set_header("Set-Cookie", std::string(ServeAccess::kCookieName) + "=" +
                                                      secret.Secret() +
                                                      "; Path=/; HttpOnly; SameSite=Strict");
            }
            return httplib::Server::HandlerResponse::Handled;
        }
        if (secret.AllowsAuthorization(request.get_header_value("Authorization")) ||
            secret.AllowsCookie(request.get_header_value("Cookie"))) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        WriteError(response, 401,
                   "Authentication required: the secret of the lockfile, as a bearer token or "
                   "as the password of user 'mox'");
        response.set_header("WWW-Authenticate", "Basic realm=\"mox-host\"");
        // The body, if any, was not read: the connection cannot carry another request.
        response.set_header("Connection", "close");
        return httplib::Server::HandlerResponse::Handled;
    });

    auto handle = [&](const httplib::Request& request, httplib::Response& response) {
        if (request.method == "GET" && request.path == "/") {
            response.set_header("Cache-Control", "no-store");
            response.set_content(kEndOfGamePage, "text/html; charset=utf-8");
            return;
        }
        if (request.method == "GET" && request.path == "/host/v1/events") {
            std::shared_ptr<EventStream::Reader> reader = events.Open();
            if (!reader) return WriteError(response, 503, "Too many event streams are open");
            response.set_header("Cache-Control", "no-store");
            response.set_chunked_content_provider(
                "text/event-stream",
                [&events, reader, greeted = false](std::size_t, httplib::DataSink& sink) mutable {
                    std::string message;
                    if (!greeted) {
                        greeted = true;
                        message = "retry: 1000\n\n";
                        return sink.write(message.data(), message.size());
                    }
                    switch (events.Read(*reader, message, kStreamHeartbeat)) {
                        case EventStream::Next::kMessage:
                            return sink.write(message.data(), message.size());
                        case EventStream::Next::kIdle:
                            return sink.write(":\n\n", 3);
                        case EventStream::Next::kEnded:
                            break;
                    }
                    sink.done();
                    return true;
                },
                [&events, reader](bool) { events.Leave(reader); });
            return;
        }
        HttpCall call;
        call.method = request.method;
        call.path = request.path;
        call.query = QueryOf(request.target);
        call.contentType = request.get_header_value("Content-Type");
        call.body = request.body;
        auto answer = std::make_shared<std::promise<HttpAnswer>>();
        std::future<HttpAnswer> future = answer->get_future();
        const bool posted = inbox.Post([&dispatch, call = std::move(call), answer] {
            try {
                answer->set_value(dispatch.Dispatch(call));
            } catch (...) {
                answer->set_value(Error(500, "mox-host failed"));
            }
        });
        if (!posted) return WriteError(response, 503, "mox-host is stopping");
        if (future.wait_for(kAnswerTimeout) != std::future_status::ready)
            return WriteError(response, 504, "The host's loop did not answer in time");
        Write(future.get(), response);
    };
    server.Get(".*", handle);
    server.Post(".*", handle);
    server.Put(".*", handle);
    server.Patch(".*", handle);
    server.Delete(".*", handle);

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.listen);
    } else if (!server.bind_to_port(options.listen, port)) {
        port = -1;
    }
    if (port <= 0) {
        std::cerr << "mox-host: cannot listen on " << options.listen << " port " << options.port << "\n";
        player.Finish();
        return kScenarioUnusable;
    }
    const std::string host =
        options.listen.find(':') != std::string::npos ? "[" + options.listen + "]" : options.listen;
    const std::string url = "http://" + host + ":" + std::to_string(port) + "/";
    const Host::HostResult locked = lockfile.Write(
        options.lockfilePath, "pid=" + std::to_string(::getpid()) + "\nport=" + std::to_string(port) +
                                  "\nuser=" + ServeAccess::kUserName + "\nsecret=" + secret.Secret() +
                                  "\nurl=" + url + "\n");
    if (locked.Failed()) {
        std::cerr << "mox-host: " << locked.Message() << "\n";
        player.Finish();
        return kScenarioUnusable;
    }
    std::atomic<bool> listeningEnded{false};
    std::thread serving([&server, &listeningEnded] {
        server.listen_after_bind();
        listeningEnded = true;
    });
    std::cout << "mox-host: serving " << player.RunningHost()->PluginName() << " on " << url << " (lockfile "
              << options.lockfilePath << ")\n"
              << "mox-host: end-of-game page: " << url << "?token=" << secret.Secret() << std::endl;

    Host::PluginHost& plugin = *player.RunningHost();
    while (!inbox.StopRequested()) {
        auto wait = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kLongestWait);
        if (std::optional<double> due = plugin.Loop().NextDue()) {
            const double seconds = std::max(0.0, *due - plugin.Loop().Now());
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(seconds)));
        }
        std::deque<LoopInbox::Task> tasks = inbox.Take(wait);
        for (LoopInbox::Task& task : tasks) task();
        if (plugin.State() == Host::HostState::kInitialized) plugin.RunUntilIdle();
        if (!tasks.empty()) player.ForgetTranscript();
    }

    events.Close();
    for (LoopInbox::Task& task : inbox.Close()) task();
    // The server ignores a stop that comes before its thread has begun to listen, which would
    // leave the join below waiting for ever: a signal may arrive that early.
    while (!server.is_running() && !listeningEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server.stop();
    serving.join();
    status = player.Finish();
    lockfile.Remove();
    std::cout << "mox-host: stopped" << std::endl;
    return status;
}
#else
int Serve(const ServeOptions&) {
    std::cerr << "mox-host: built without an HTTP server (no cpp-httplib for this architecture): no serve\n";
    return kScenarioUnusable;
}
#endif

}  // namespace Zarn::MoxHost
