// What the service proxy, the LCDS calls and the telemetry sender need of their module: its type
// registry, POST requests to other plugins' local APIs, the finalizing flag, its short name and
// handle, and its log. The module hands out one that forwards to itself (MakeModuleRequests);
// tests give fakes. Used on the host's thread, like the module.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "binding/binding_registry.h"
#include "framework/failure.h"
#include "framework/maybe_type.h"
#include "framework/request_parameters.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework {

class AppModule;

class ModuleRequests {
public:
    virtual ~ModuleRequests() = default;

    virtual const Binding::BindingRegistry& TypeRegistry() const = 0;
    // A local POST request; the response's value is ignored.
    virtual MaybeType<Failure, void> Post(std::string_view path, const RequestParameters& parameters) = 0;
    // A local POST request whose response is a text.
    virtual MaybeType<Failure, std::string> PostForText(std::string_view path,
                                                        const RequestParameters& parameters) = 0;
    // Set once the host began shutting the plugin down.
    virtual bool Finalizing() const = 0;
    virtual std::string_view ShortName() const = 0;
    virtual PluginHandle Handle() const = 0;
    // A finished line at a logger level, in the debug group.
    virtual void Log(std::int32_t level, std::string_view text) = 0;
};

// Forwards to `module`, which must outlive it.
std::unique_ptr<ModuleRequests> MakeModuleRequests(AppModule& module);

}  // namespace Zarn::Framework
