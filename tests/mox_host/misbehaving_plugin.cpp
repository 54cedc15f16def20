// A plugin that breaks the boundary on request, for mox-host's fault handling: GET /throw throws
// out of its invoker, GET /malformed answers a record whose value has an unknown kind and no
// release function, GET /release-twice releases a response of the host a second time.
#include <cstring>
#include <stdexcept>

#include "mox/plugin_abi.h"

namespace {

int context;

const HostServices* services = nullptr;

std::uint8_t MOX_CDECL Initialize(void*, const HostInterface* host) {
    services = host->services;
    return 1;
}
void MOX_CDECL Shutdown(void*) {}
void MOX_CDECL QueryMemoryStats(void*, MemoryStats* stats) { std::memset(stats, 0, sizeof *stats); }

void MOX_CDECL Throw(ApiResponse*, const ApiRequest*) { throw std::runtime_error("the plugin gave up"); }

void MOX_CDECL Malformed(ApiResponse* response, const ApiRequest*) { response->value.tag = 0xEE; }

void MOX_CDECL ReleaseNothing(ApiResponse*) {}

void MOX_CDECL ReleaseTwice(ApiResponse* response, const ApiRequest*) {
    ApiRequest request{};
    request.method = kApiMethodGet;
    request.path = "/mox-gameflow/v1/session";
    ApiResponse answer{};
    services->sendRequest(services, &answer, &request);
    const auto release = answer.release;
    if (release != nullptr) {
        release(&answer);
        release(&answer);
    }
    response->release = &ReleaseNothing;
}

const PluginCallbacks callbacks = {Initialize, Shutdown, QueryMemoryStats};

ApiFunctionRecord functions[3];
ApiDescription api;

}  // namespace

extern "C" __attribute__((visibility("default"))) void MOX_CDECL
load_mox_end_of_game(PluginEntryTable* table) {
    functions[0].next = &functions[1];
    functions[0].name = "Throw";
    functions[0].path = "/throw";
    functions[0].method = kApiMethodGet;
    functions[0].invoker = Throw;
    functions[1].name = "Malformed";
    functions[1].path = "/malformed";
    functions[1].method = kApiMethodGet;
    functions[1].invoker = Malformed;
    functions[1].next = &functions[2];
    functions[2].name = "ReleaseTwice";
    functions[2].path = "/release-twice";
    functions[2].method = kApiMethodGet;
    functions[2].invoker = ReleaseTwice;
    api.functions = functions;
    api.functionCount = 3;
    table->version = {18, 0, 0};
    table->callbacks = &callbacks;
    table->context = &context;
    table->name = "misbehaving";
    table->api = &api;
}
