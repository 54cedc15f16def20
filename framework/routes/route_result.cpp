#include "framework/routes/route_result.h"

namespace Zarn::Framework {

RouteFailure NotFound(std::string_view message) {
    return {404, message.empty() ? std::string("Not found") : std::string(message)};
}

RouteFailure InternalServerError(std::string_view message) {
    return {500, message.empty() ? std::string("Internal server error") : std::string(message)};
}

RouteReply RouteReply::Failure(std::uint32_t status, std::string_view message) {
    RouteReply reply;
    reply.status = status;
    reply.result.Fail(message);
    return reply;
}

}  // namespace Zarn::Framework
