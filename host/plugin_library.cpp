#include "host/plugin_library.h"

namespace Zarn::Host {

HostResult PluginLibrary::Open(const std::string& path, const std::string& symbol) {
    if (library_.IsOpen()) return HostResult::Failure("a plugin library is already open");
    std::string error;
    if (!library_.Open(path, error)) return HostResult::Failure("Couldn't load " + path + ": " + error);
    void* address = library_.Symbol(symbol, error);
    if (address == nullptr) {
        library_.Close();
        return HostResult::Failure("Couldn't find " + symbol + " in " + path + ": " + error);
    }
    entry_ = reinterpret_cast<PluginEntryFunction>(address);
    return HostResult::Success();
}

}  // namespace Zarn::Host
