/* A plugin written in C against the boundary header alone, built as a shared library so that the
 * host loads it the way it loads a real plugin. It subscribes to "Ping" and logs each delivered
 * text. */
#include <string.h>

#include "mox/plugin_abi.h"

static const HostInterface* connected;
static int context;
static const ApiDescription api;

static void MOX_CDECL OnPing(const HostEvent* event) {
    const char* text = "?";
    if (event->payload.tag == kFlatKindString || event->payload.tag == kFlatKindOwnedString) {
        text = event->payload.payload.text.data;
    }
    connected->services->log(connected->services, 3, text);
}

static uint8_t MOX_CDECL Initialize(void* self, const HostInterface* host) {
    connected = host;
    host->services->subscribeEvent(host->services, "Ping", host->handle, OnPing, self, 0);
    return 1;
}

static void MOX_CDECL Shutdown(void* self) {
    (void)self;
    if (connected != NULL)
        connected->services->unsubscribeEvent(connected->services, "Ping", connected->handle);
    connected = NULL;
}

static void MOX_CDECL QueryMemoryStats(void* self, MemoryStats* stats) {
    (void)self;
    memset(stats, 0, sizeof *stats);
    stats->allocations = 7;
}

static const PluginCallbacks callbacks = {Initialize, Shutdown, QueryMemoryStats};

__attribute__((visibility("default"))) void MOX_CDECL load_mox_end_of_game(PluginEntryTable* table) {
    if (table->version.major != 18) return;
    table->version.major = 18;
    table->version.minor = 0;
    table->version.patch = 0;
    table->callbacks = &callbacks;
    table->context = &context;
    table->name = "c-plugin";
    table->api = &api;
}
