#include "host/boundary_record.h"

namespace Zarn::Host {

std::string_view BoundaryKindName(BoundaryKind kind) noexcept {
    switch (kind) {
        case BoundaryKind::kLoad:
            return "load";
        case BoundaryKind::kInitialize:
            return "initialize";
        case BoundaryKind::kDeliver:
            return "deliver";
        case BoundaryKind::kSubscribe:
            return "subscribe";
        case BoundaryKind::kUnsubscribe:
            return "unsubscribe";
        case BoundaryKind::kEvent:
            return "event";
        case BoundaryKind::kRequest:
            return "request";
        case BoundaryKind::kExternal:
            return "external";
        case BoundaryKind::kTimer:
            return "timer";
        case BoundaryKind::kWait:
            return "wait";
        case BoundaryKind::kEndWait:
            return "endWait";
        case BoundaryKind::kYield:
            return "yield";
        case BoundaryKind::kLog:
            return "log";
        case BoundaryKind::kCall:
            return "call";
        case BoundaryKind::kFault:
            return "fault";
        case BoundaryKind::kShutdown:
            return "shutdown";
    }
    return "";
}

}  // namespace Zarn::Host
