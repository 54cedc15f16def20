// The declaration of one argument of a route's handler: its name, where its value may come from,
// and how a text value is read. One per handler parameter, in the parameter order:
//
//   table.RegisterRoute(RouteMethod::Post, "/mox-x/v1/items/{id}", handler,
//                       RouteArgument("id"), RouteArgument("item").InBody());
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Zarn::Framework {

enum class ArgumentSource : std::uint8_t {
    Automatic,  // the path when the template has a placeholder of that name, else the query
    Path,       // a placeholder's capture
    Query,      // a request parameter or a text argument
    Body,       // the request's body
};

struct RouteArgument {
    explicit RouteArgument(std::string_view argumentName) : name(argumentName) {}

    RouteArgument& Description(std::string_view text) {
        description = std::string(text);
        return *this;
    }
    RouteArgument& InPath() {
        source = ArgumentSource::Path;
        return *this;
    }
    RouteArgument& InQuery() {
        source = ArgumentSource::Query;
        return *this;
    }
    RouteArgument& InBody() {
        source = ArgumentSource::Body;
        return *this;
    }
    // Left out, the handler receives the parameter's default value; otherwise leaving it out
    // fails the call with "A value for '<name>' is required.".
    RouteArgument& Optional(bool isOptional = true) {
        optional = isOptional;
        return *this;
    }
    // How a text value of this argument (a text argument or a path capture) is decoded:
    // "application/x-msgpack", "application/json", "text/x-yaml", "application/octet-stream";
    // any other type keeps the text.
    RouteArgument& ContentType(std::string_view type) {
        contentType = std::string(type);
        return *this;
    }

    std::string name;
    std::string description;
    ArgumentSource source = ArgumentSource::Automatic;
    bool optional = false;
    std::optional<std::string> contentType;
};

}  // namespace Zarn::Framework
