#include "tests/end_of_game/plugin/end_of_game_driver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "framework/host_event_name.h"

namespace Zarn::Client::EndOfGame::Testing {

using Binding::BindingProperty;
using Host::BoundaryKind;
using Host::BoundaryRecord;
using Host::HostReply;
using Host::HostRequest;

BindingProperty Json(std::string_view text) {
    Binding::BindingResult read = Encodings::ReadJson(text);
    EXPECT_TRUE(read.Succeeded()) << read.Message() << " in " << text;
    return std::move(read.Value());
}

std::string ToJson(const BindingProperty& value) { return Encodings::WriteJson(value); }

std::string ReadFixture(std::string_view name) {
    std::ifstream file(std::string(MOX_END_OF_GAME_FIXTURES) + "/" + std::string(name), std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing fixture " << name;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

namespace {

BindingProperty ResourceEvent(std::string_view uri, std::string_view type, BindingProperty data) {
    BindingProperty event;
    event.WriteField("uri").SetString(uri);
    event.WriteField("eventType").SetString(type);
    event.WriteField("data") = std::move(data);
    return event;
}

}  // namespace

EndOfGameDriver::EndOfGameDriver()
    : host_(std::make_unique<Host::PluginHost>()), login_(std::make_unique<Host::LoginPeer>(*host_)) {
    // Posts the client accepts; a task set for the path runs before the reply, while the plugin waits.
    host_->Requests().Add("POST", "*", [this](const HostRequest& request) {
        const auto task = onNextRequest_.find(request.path);
        if (task != onNextRequest_.end()) {
            std::function<void()> run = std::move(task->second);
            onNextRequest_.erase(task);
            run();
        }
        return HostReply::Status(204);
    });
    host_->Requests().Add("GET", "*", [this](const HostRequest& request) {
        const auto peer = peers_.find(request.path);
        if (peer == peers_.end()) return HostReply::Status(404, "Resource not found");
        return HostReply::Value(Json(peer->second));
    });
    host_->Externals().SetDefault([this](const Host::ExternalCall&) {
        Host::ExternalReply reply;
        reply.status = externalStatus_;
        reply.body = externalBody_;
        return reply;
    });
}

EndOfGameDriver::~EndOfGameDriver() { host_.reset(); }

void EndOfGameDriver::SetPeer(std::string_view address, std::string_view json) {
    peers_[std::string(address)] = std::string(json);
}

void EndOfGameDriver::Start() {
    ASSERT_TRUE(host_->Load(MOX_END_OF_GAME_PLUGIN).Succeeded());
    ASSERT_TRUE(host_->Initialize());
    host_->RunUntilIdle();
}

void EndOfGameDriver::Update(std::string_view address, std::string_view json, std::string_view type) {
    peers_[std::string(address)] = std::string(json);
    host_->Deliver(Framework::ResourceEventName(address), ResourceEvent(address, type, Json(json)));
    host_->RunUntilIdle();
}

void EndOfGameDriver::Delete(std::string_view address) {
    peers_.erase(std::string(address));
    host_->Deliver(Framework::ResourceEventName(address),
                   ResourceEvent(address, "Delete", BindingProperty()));
    host_->RunUntilIdle();
}

void EndOfGameDriver::Lcds(std::string_view className, std::string_view json) {
    BindingProperty event;
    event.WriteField("typeName").SetString(className);
    event.WriteField("body") = Json(json);
    host_->Deliver(Framework::LcdsEventName(className), std::move(event), 1);
    host_->RunUntilIdle();
}

Host::CallResult EndOfGameDriver::Call(std::string_view method, std::string_view path, std::string_view body,
                                       std::string_view contentType) {
    Host::PluginCall call;
    call.method = std::string(method);
    call.path = std::string(path);
    if (!body.empty()) {
        call.body = std::string(body);
        call.contentType = std::string(contentType);
    }
    Host::CallResult result = host_->Call(call);
    host_->RunUntilIdle();
    return result;
}

void EndOfGameDriver::Shutdown() {
    host_->Shutdown();
    host_->RunUntilIdle();
}

void EndOfGameDriver::OnNextRequest(std::string_view path, std::function<void()> task) {
    onNextRequest_[std::string(path)] = std::move(task);
}

void EndOfGameDriver::SetExternalReply(std::uint32_t status, std::string body) {
    externalStatus_ = status;
    externalBody_ = std::move(body);
}

std::vector<const BoundaryRecord*> EndOfGameDriver::Records(BoundaryKind kind) const {
    std::vector<const BoundaryRecord*> found;
    for (const BoundaryRecord& record : host_->Transcript())
        if (record.kind == kind) found.push_back(&record);
    return found;
}

std::vector<std::string> EndOfGameDriver::Logs() const {
    std::vector<std::string> texts;
    for (const BoundaryRecord* record : Records(BoundaryKind::kLog)) texts.push_back(record->text);
    return texts;
}

std::vector<std::string> EndOfGameDriver::Traces() const {
    std::vector<std::string> traces;
    for (const std::string& line : Logs()) {
        for (const std::string_view marker :
             {"Entering state '", "Exiting state '", "Resetting end of game."}) {
            const std::size_t at = line.find(marker);
            if (at != std::string::npos) {
                traces.push_back(line.substr(at));
                break;
            }
        }
    }
    return traces;
}

std::vector<std::string> EndOfGameDriver::Published() const {
    std::vector<std::string> published;
    for (const BoundaryRecord* record : Records(BoundaryKind::kEvent)) {
        if (record->name != "OnJsonApiEvent") continue;
        published.push_back(std::string(record->payload.Field("eventType").GetString()) + " " +
                            std::string(record->payload.Field("uri").GetString()));
    }
    return published;
}

BindingProperty EndOfGameDriver::LastPublished(std::string_view uri) const {
    BindingProperty last;
    for (const BoundaryRecord* record : Records(BoundaryKind::kEvent)) {
        if (record->name == "OnJsonApiEvent" && record->payload.Field("uri").GetString() == uri)
            last = record->payload.Field("data");
    }
    return last;
}

std::vector<std::string> EndOfGameDriver::Posted(std::string_view path) const {
    std::vector<std::string> bodies;
    for (const BoundaryRecord* record : Records(BoundaryKind::kRequest))
        if (record->method == "POST" && record->path == path) bodies.push_back(record->body);
    return bodies;
}

}  // namespace Zarn::Client::EndOfGame::Testing
