// The plugin library's one exported function. A plugin writes, in one source file of its shared
// library:
//
//   MOX_DEFINE_PLUGIN_ENTRY(EndOfGamePlugin, "mox-end-of-game")
//
// which defines `load_mox_end_of_game`: it allocates the plugin object, zero-filled, constructs
// it, and runs the start routine (AppModule::Start) with the table and the short name. The
// object lives until the host's `shutdown` callback destroys it. Build the library with
// mox_add_plugin_library (framework/CMakeLists.txt), which adds the counting allocation functions
// and exports the entry alone.
#pragma once

#include <cstring>
#include <exception>
#include <new>
#include <string_view>
#include <type_traits>

#include "framework/app_module.h"
#include "logging/logger.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework {

// Never throws: when the object cannot be made or started, the failure is logged, the object is
// freed and the table is left as the host wrote it (the host sees no callbacks).
template <typename PluginT>
void StartPlugin(PluginEntryTable* table, std::string_view shortName) noexcept {
    static_assert(std::is_base_of_v<AppModule, PluginT>, "StartPlugin takes an AppModule subclass");
    if (table == nullptr) return;
    void* memory = nullptr;
    AppModule* module = nullptr;
    try {
        memory = ::operator new(sizeof(PluginT));
        std::memset(memory, 0, sizeof(PluginT));
        module = new (memory) PluginT();
    } catch (const std::exception& error) {
        ::operator delete(memory);
        Logging::Log(Logging::kLevelError, Logging::kGroupDbg, "Plugin entry failed: %s", error.what());
        return;
    } catch (...) {
        ::operator delete(memory);
        Logging::Log(Logging::kLevelError, Logging::kGroupDbg, "Plugin entry failed: %s",
                     "unknown exception");
        return;
    }
    if (!module->Start(*table, shortName)) delete module;
}

}  // namespace Zarn::Framework

// The entry must stay visible when the library is built with hidden visibility; the library's
// export list (plugin_exports.map) keeps it the only exported symbol.
#if defined(_WIN32)
#define MOX_PLUGIN_ENTRY_EXPORT __declspec(dllexport)
#else
#define MOX_PLUGIN_ENTRY_EXPORT [[gnu::visibility("default")]]
#endif
#define MOX_DEFINE_PLUGIN_ENTRY(PluginType, shortName)                                                \
    extern "C" MOX_PLUGIN_ENTRY_EXPORT void MOX_CDECL load_mox_end_of_game(PluginEntryTable* table) { \
        ::Zarn::Framework::StartPlugin<PluginType>(table, shortName);                                 \
    }
