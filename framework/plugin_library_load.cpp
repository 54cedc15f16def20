// What the plugin library does when it is loaded, before the host calls its entry: it registers
// its four event-tracing providers and names the loading thread on the second one, and
// unregisters them when it is unloaded. Compiled into the plugin's shared library only
// (mox_add_plugin_library). Where the system has no event tracing this does nothing.
#include <array>

#include "platform/event_tracing.h"
#include "platform/process.h"

namespace {

using Zarn::Platform::TraceProviderId;

constexpr std::array<TraceProviderId, 4> kTraceProviders = {{
    {0x2F9EFE86, 0x4AF7, 0x4F37, {0xA4, 0x0F, 0x94, 0xB9, 0x09, 0xA1, 0x57, 0xD6}},
    {0xEA08C559, 0x95A8, 0x4AA2, {0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D, 0x37}},
    {0x10F6728C, 0xEF92, 0x4BF1, {0x83, 0x97, 0x49, 0xE6, 0x93, 0xA6, 0xEB, 0x74}},
    {0x46DD7F96, 0x60CB, 0x416B, {0x80, 0x85, 0xDA, 0x5C, 0xD8, 0xF4, 0x91, 0xDD}},
}};

struct LibraryLoad {
    LibraryLoad() {
        if (tracing.Register(kTraceProviders) && tracing.IsEnabled(1)) {
            tracing.WriteThreadName(1, Zarn::Platform::CurrentThreadId(), "Main thread");
        }
    }

    Zarn::Platform::EventTracing tracing;
};

const LibraryLoad libraryLoad;

}  // namespace
