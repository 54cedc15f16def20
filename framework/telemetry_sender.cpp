#include "framework/telemetry_sender.h"

#include <string>

namespace Zarn::Framework {

std::future<TelemetrySender::Result> TelemetrySender::SendTelemetryEvent(std::string_view eventName,
                                                                         const RequestParameters& payload) {
    std::promise<Result> promise;
    std::future<Result> future = promise.get_future();
    std::string path(kTelemetryEventsPath);
    path.append(eventName);
    promise.set_value(module_.Post(path, payload));
    return future;
}

}  // namespace Zarn::Framework
