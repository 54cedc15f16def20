#include "host/plugin_library.h"

#include <dlfcn.h>

namespace Zarn::Host {

PluginLibrary::~PluginLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

HostResult PluginLibrary::Open(const std::string& path, const std::string& symbol) {
    if (handle_ != nullptr) return HostResult::Failure("a plugin library is already open");
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = dlerror();
        return HostResult::Failure("Couldn't load " + path + ": " +
                                   (message != nullptr ? message : "unknown error"));
    }
    dlerror();
    void* address = dlsym(handle, symbol.c_str());
    if (address == nullptr) {
        const char* message = dlerror();
        dlclose(handle);
        return HostResult::Failure("Couldn't find " + symbol + " in " + path + ": " +
                                   (message != nullptr ? message : "the symbol is null"));
    }
    handle_ = handle;
    entry_ = reinterpret_cast<PluginEntryFunction>(address);
    return HostResult::Success();
}

}  // namespace Zarn::Host
