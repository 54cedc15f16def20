#include "framework/module_requests.h"

#include "framework/app_module.h"
#include "logging/logger.h"

namespace Zarn::Framework {
namespace {

class AppModuleRequests final : public ModuleRequests {
public:
    explicit AppModuleRequests(AppModule& module) : module_(module) {}

    const Binding::BindingRegistry& TypeRegistry() const override { return module_.Registry(); }

    MaybeType<Failure, void> Post(std::string_view path, const RequestParameters& parameters) override {
        return module_.Request(kApiMethodPost, path, parameters);
    }

    MaybeType<Failure, std::string> PostForText(std::string_view path,
                                                const RequestParameters& parameters) override {
        return module_.RequestValue<std::string>(kApiMethodPost, path, parameters);
    }

    bool Finalizing() const override { return module_.Finalizing(); }
    std::string_view ShortName() const override { return module_.ShortName(); }
    PluginHandle Handle() const override { return module_.Handle(); }

    void Log(std::int32_t level, std::string_view text) override {
        Logging::Log(level, Logging::kGroupDbg, "%.*s", static_cast<int>(text.size()), text.data());
    }

private:
    AppModule& module_;
};

}  // namespace

std::unique_ptr<ModuleRequests> MakeModuleRequests(AppModule& module) {
    return std::make_unique<AppModuleRequests>(module);
}

}  // namespace Zarn::Framework
