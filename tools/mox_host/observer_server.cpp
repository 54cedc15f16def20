#include "tools/mox_host/observer_server.h"

#include <map>
#include <stdexcept>
#include <thread>
#include <utility>

#include "encodings/json_writer.h"

#if MOX_HOST_HAS_HTTP
#include <httplib.h>

namespace Zarn::MoxHost {

namespace {

struct Answer {
    int status = 200;
    std::string body;
};

}  // namespace

struct ObserverServer::Running {
    std::map<std::string, Answer> answers;  // by "PLATFORM/GAME"; read-only once serving
    httplib::Server server;
    std::thread thread;
};

ObserverServer::ObserverServer(const Binding::BindingProperty& games)
    : running_(std::make_unique<Running>()) {
    for (const auto& game : games.Fields()) {
        Answer answer;
        answer.status = static_cast<int>(game.Value().Field("status").AsUnsigned(200));
        if (game.Value().HasField("body")) answer.body = Encodings::WriteJson(game.Value().Field("body"));
        running_->answers.emplace(std::string(game.Name()), std::move(answer));
    }
    Running& running = *running_;
    running.server.Get(R"(/observer-mode/rest/consumer/endOfGameStats/([^/]+)/([^/]+)/token)",
                       [&running](const httplib::Request& request, httplib::Response& response) {
                           const auto found = running.answers.find(request.matches[1].str() + "/" +
                                                                   request.matches[2].str());
                           if (found == running.answers.end()) {
                               response.status = 404;
                               return;
                           }
                           response.status = found->second.status;
                           if (!found->second.body.empty())
                               response.set_content(found->second.body, "application/json");
                       });
    port_ = running.server.bind_to_any_port(kHost);
    if (port_ <= 0) throw std::runtime_error("the spectator server could not bind a port on 127.0.0.1");
    running.thread = std::thread([&running] { running.server.listen_after_bind(); });
}

ObserverServer::~ObserverServer() {
    running_->server.stop();
    if (running_->thread.joinable()) running_->thread.join();
}

}  // namespace Zarn::MoxHost
#else
namespace Zarn::MoxHost {

struct ObserverServer::Running {};

ObserverServer::ObserverServer(const Binding::BindingProperty&) {
    throw std::runtime_error("mox-host was built without an HTTP server: no spectator service");
}

ObserverServer::~ObserverServer() = default;

}  // namespace Zarn::MoxHost
#endif
