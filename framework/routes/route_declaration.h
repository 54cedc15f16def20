// What names a route besides its handler: method, path template and the texts help shows.
#pragma once

#include <string>

#include "framework/routes/route_method.h"

namespace Zarn::Framework {

struct RouteDeclaration {
    RouteMethod method = RouteMethod::None;
    std::string path;          // the template, e.g. "/mox-x/v1/items/{id}"
    std::string customMethod;  // the method's name when `method` is Custom
    std::string description;
    std::string help;
    // Text arguments that have no content type of their own are read as MessagePack, JSON or
    // YAML, whichever they are first, instead of being kept as text.
    bool detectEncoding = false;
};

}  // namespace Zarn::Framework
