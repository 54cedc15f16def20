/* A plugin whose entry table is malformed: its callback table has no shutdown function. */
#include <stddef.h>

#include "mox/plugin_abi.h"

static uint8_t MOX_CDECL Initialize(void* self, const HostInterface* host) {
    (void)self;
    (void)host;
    return 1;
}

static const PluginCallbacks callbacks = {Initialize, NULL, NULL};
static const ApiDescription api;
static int context;

__attribute__((visibility("default"))) void MOX_CDECL load_mox_end_of_game(PluginEntryTable* table) {
    table->callbacks = &callbacks;
    table->context = &context;
    table->name = "malformed-entry";
    table->api = &api;
}
