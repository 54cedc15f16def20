// Reports named events with a payload to the telemetry plugin's local API. The module creates
// one when the host connects it and keeps it for its whole life; plugin code reaches it through
// the module. Used on the host's thread.
//
// An event goes out as POST "/telemetry/v1/events/<event name>" (the name unchanged) whose
// parameters are the payload record's fields. The returned future is ready at once, with the
// request's outcome: a payload that does not convert fails with status 400 and nothing is sent.
#pragma once

#include <future>
#include <string_view>

#include "framework/failure.h"
#include "framework/maybe_type.h"
#include "framework/module_requests.h"
#include "framework/request_parameters.h"

namespace Zarn::Framework {

inline constexpr std::string_view kTelemetryEventsPath = "/telemetry/v1/events/";

class TelemetrySender {
public:
    using Result = MaybeType<Failure, void>;

    explicit TelemetrySender(ModuleRequests& module) : module_(module) {}
    virtual ~TelemetrySender() = default;
    TelemetrySender(const TelemetrySender&) = delete;
    TelemetrySender& operator=(const TelemetrySender&) = delete;

    virtual std::future<Result> SendTelemetryEvent(std::string_view eventName,
                                                   const RequestParameters& payload);

    // `payload` is a registered record (or anything that converts to a structure).
    template <typename T>
    std::future<Result> SendTelemetryEvent(std::string_view eventName, const T& payload) {
        RequestParameters parameters(module_.TypeRegistry());
        parameters.AddFields(payload);
        return SendTelemetryEvent(eventName, parameters);
    }

protected:
    ModuleRequests& Module() { return module_; }

private:
    ModuleRequests& module_;
};

}  // namespace Zarn::Framework
