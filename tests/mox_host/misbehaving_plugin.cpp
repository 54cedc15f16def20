// A plugin that breaks the boundary on request, for mox-host's fault handling: GET /throw throws
// out of its invoker, GET /malformed answers a record whose value has an unknown kind and no
// release function.
#include <cstring>
#include <stdexcept>

#include "mox/plugin_abi.h"

namespace {

int context;

std::uint8_t MOX_CDECL Initialize(void*, const HostInterface*) { return 1; }
void MOX_CDECL Shutdown(void*) {}
void MOX_CDECL QueryMemoryStats(void*, MemoryStats* stats) { std::memset(stats, 0, sizeof *stats); }

void MOX_CDECL Throw(ApiResponse*, const ApiRequest*) { throw std::runtime_error("the plugin gave up"); }

void MOX_CDECL Malformed(ApiResponse* response, const ApiRequest*) { response->value.tag = 0xEE; }

const PluginCallbacks callbacks = {Initialize, Shutdown, QueryMemoryStats};

ApiFunctionRecord functions[2];
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
    api.functions = functions;
    api.functionCount = 2;
    table->version = {18, 0, 0};
    table->callbacks = &callbacks;
    table->context = &context;
    table->name = "misbehaving";
    table->api = &api;
}
