#include "fake_plugin.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace Zarn::Host::Testing {
namespace {

char* Duplicate(const char* text) {
    std::size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

struct Depth {
    explicit Depth(FakePlugin& plugin) : plugin(plugin) { ++plugin.depth; }
    ~Depth() { --plugin.depth; }
    FakePlugin& plugin;
};

}  // namespace

FakePlugin* FakePlugin::current = nullptr;

FakePlugin::FakePlugin() {
    std::memset(static_cast<void*>(functions), 0, sizeof(functions));
    const char* names[2] = {"GetMoxFakeV1ItemsById", "GetMoxFakeV1ItemsSpecial"};
    const char* paths[2] = {"/mox-fake/v1/items/{id}", "/mox-fake/v1/items/special"};
    for (int i = 0; i < 2; ++i) {
        functions[i].next = i == 0 ? &functions[1] : nullptr;
        functions[i].context = this;
        functions[i].name = names[i];
        functions[i].path = paths[i];
        functions[i].method = kApiMethodGet;
        functions[i].invoker = &Invoke;
    }
    api.functions = functions;
    api.functionCount = 2;
    callbacks = {&Initialize, &Shutdown, &QueryMemoryStats};
}

void MOX_CDECL FakePlugin::Entry(PluginEntryTable* table) {
    FakePlugin& plugin = *current;
    if (table->version.major != 18) return;
    table->version = {18, 0, 0};
    table->callbacks = &plugin.callbacks;
    table->context = &plugin;
    table->name = "mox-fake";
    table->api = &plugin.api;
    if (plugin.tamper) plugin.tamper(*table);
}

std::uint8_t MOX_CDECL FakePlugin::Initialize(void* context, const HostInterface* host) {
    auto& plugin = *static_cast<FakePlugin*>(context);
    Depth depth(plugin);
    plugin.host = host;
    if (plugin.onInitialize) plugin.onInitialize();
    return 1;
}

void MOX_CDECL FakePlugin::Shutdown(void* context) {
    auto& plugin = *static_cast<FakePlugin*>(context);
    plugin.shutdownInsideCall = plugin.depth != 0;
    plugin.shutDown = true;
}

void MOX_CDECL FakePlugin::QueryMemoryStats(void*, MemoryStats* stats) {
    std::memset(stats, 0, sizeof(MemoryStats));
    stats->allocations = 3;
    stats->frees = 1;
}

void MOX_CDECL FakePlugin::OnEvent(const HostEvent* event) {
    auto& plugin = *static_cast<FakePlugin*>(event->userData);
    Depth depth(plugin);
    std::string text = "?";
    if (event->payload.tag == kFlatKindString || event->payload.tag == kFlatKindOwnedString) {
        text = event->payload.payload.text.data;
    }
    plugin.events.push_back(std::string(event->name) + ":" + text);
    if (plugin.onEvent) plugin.onEvent(*event);
}

void MOX_CDECL FakePlugin::OnTimer(void* userData) {
    auto& timer = *static_cast<Timer*>(userData);
    Depth depth(*timer.plugin);
    timer.action();
}

void MOX_CDECL FakePlugin::Invoke(ApiResponse* response, const ApiRequest* request) {
    auto& plugin = *static_cast<FakePlugin*>(request->function->context);
    Depth depth(plugin);
    plugin.calls.push_back(std::to_string(request->method) + " " + request->path);
    if (plugin.respond) return plugin.respond(*response, *request);
    Fill(*response, 200, request->function->name);
}

void FakePlugin::Subscribe(const char* name, std::uint32_t flag) {
    Services()->subscribeEvent(Services(), name, host->handle, &OnEvent, this, flag);
}

void FakePlugin::Unsubscribe(const char* name) {
    Services()->unsubscribeEvent(Services(), name, host->handle);
}

void FakePlugin::Schedule(const char* label, double delay, std::function<void()> action) {
    timers_.push_back({this, std::move(action)});
    Services()->scheduleCallback(Services(), label, &OnTimer, &timers_.back(), delay, 0);
}

void FakePlugin::SendText(const char* name, const char* text) {
    HostEvent event{};
    event.name = name;
    event.payload.tag = kFlatKindOwnedString;
    event.payload.payload.text.data = Duplicate(text);
    event.payload.payload.text.length = static_cast<std::uint32_t>(std::strlen(text));
    Services()->sendEvent(Services(), &event);
    std::free(const_cast<char*>(event.payload.payload.text.data));
}

void FakePlugin::Fill(ApiResponse& response, std::uint32_t status, const char* text, const char* error) {
    Release(&response);
    response.release = &Release;
    response.status = status;
    response.value.tag = kFlatKindOwnedString;
    response.value.payload.text.data = Duplicate(text);
    response.value.payload.text.length = static_cast<std::uint32_t>(std::strlen(text));
    if (error != nullptr) {
        response.error.message = Duplicate(error);
        response.error.ownsMessage = 1;
    }
}

void MOX_CDECL FakePlugin::Release(ApiResponse* response) {
    if (response->release == nullptr) return;
    if (current != nullptr) ++current->releases;
    if (response->value.tag == kFlatKindOwnedString)
        std::free(const_cast<char*>(response->value.payload.text.data));
    if (response->error.ownsMessage != 0) std::free(const_cast<char*>(response->error.message));
    std::memset(static_cast<void*>(response), 0, sizeof(ApiResponse));
}

}  // namespace Zarn::Host::Testing
