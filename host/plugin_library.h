// A plugin's shared library opened by the host, and its entry function. The library stays loaded
// until the object is destroyed, so the plugin's code outlives every record it handed out.
#pragma once

#include <string>

#include "host/host_result.h"
#include "mox/plugin_abi.h"
#include "platform/dynamic_library.h"

namespace Zarn::Host {

class PluginLibrary {
public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library at `path` and looks up `symbol`. Fails with the loader's message.
    HostResult Open(const std::string& path, const std::string& symbol = MOX_PLUGIN_ENTRY_SYMBOL);
    PluginEntryFunction Entry() const noexcept { return entry_; }
    bool IsOpen() const noexcept { return library_.IsOpen(); }

private:
    Platform::DynamicLibrary library_;
    PluginEntryFunction entry_ = nullptr;
};

}  // namespace Zarn::Host
