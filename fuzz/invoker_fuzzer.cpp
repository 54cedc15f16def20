// Invocations of a module's API functions built from fuzz bytes: any method, paths up to a few
// megabytes, parameters, text arguments, content types and bodies, sent through the function
// records' invoker. No crash, leak or undefined behaviour; every answer carries the release
// function and is left zeroed by it; an error always comes with a status. Short paths also check
// the route matcher against the standard regular-expression engine.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "binding/builtin_types.h"
#include "binding/flat_binding_property.h"
#include "binding/record_registration.h"
#include "framework/routes/route_table.h"

namespace {

using namespace Zarn;
using Framework::RouteArgument;
using Framework::RouteMethod;
using Framework::RouteResult;

struct Item {
    std::string name;
    std::int32_t count = 0;
    std::vector<std::uint64_t> ids;
};

Framework::RouteReply Echo(const Binding::BindingProperty& arguments) {
    Framework::RouteReply reply;
    reply.result.Value() = arguments;
    return reply;
}

struct Module {
    Module() {
        Binding::RegisterBuiltins(registry);
        Binding::RegisterStruct<Item>(registry, "Fuzz.Item")
            .Field("name", &Item::name, "", Binding::FieldFlags::kRequired)
            .Field("count", &Item::count)
            .Field("ids", &Item::ids);
        table.RegisterRoute(
            RouteMethod::Post, "/mox-x/v1/items/{id}",
            [](std::int32_t id, const Item& item, bool flag,
               std::vector<std::int64_t> list) -> RouteResult<Item> {
                if (id == 404) return Framework::NotFound();
                Item answer = item;
                answer.count = id + static_cast<std::int32_t>(list.size()) + (flag ? 1 : 0);
                return RouteResult<Item>(answer).Header("x-id", std::to_string(id));
            },
            RouteArgument("id"), RouteArgument("item").InBody(), RouteArgument("flag").Optional(),
            RouteArgument("list").Optional());
        table.RegisterRoute(RouteMethod::Post, "/mox-x/v1/items/by-id",
                            [] { return RouteResult<std::string>("fixed"); });
        table.RegisterRoute(
            RouteMethod::None, "/mox-x/v1/files/{+path}{#fragment}",
            [](std::string path, std::string fragment) {
                return RouteResult<std::uint64_t>(path.size() + fragment.size());
            },
            RouteArgument("path"), RouteArgument("fragment"));
        Framework::RouteDeclaration declaration;
        declaration.method = RouteMethod::Custom;
        declaration.customMethod = "PURGE";
        declaration.path = "/mox-x/v1.0/{a}.{b}/";
        declaration.detectEncoding = true;
        const Binding::TypeDescriptor object(Binding::NativeTypeKind::Object);
        table.RegisterRawRoute(
            declaration,
            {RouteArgument("a"), RouteArgument("b"), RouteArgument("any"),
             RouteArgument("json").ContentType("application/json"),
             RouteArgument("packed").ContentType("application/x-msgpack"),
             RouteArgument("yaml").ContentType("text/x-yaml"),
             RouteArgument("bytes").ContentType("application/octet-stream"), RouteArgument("body").InBody()},
            std::vector<Binding::TypeDescriptor>(8, object), object, &Echo);
        records = table.FunctionRecords();
    }

    Binding::BindingRegistry registry;
    Framework::RouteTable table{registry};
    std::span<const ApiFunctionRecord> records;
};

const char* const kNames[] = {"id",       "item",   "flag", "list",   "list[0]", "list[1]", "list[x]",
                              "path",     "any",    "json", "packed", "yaml",    "bytes",   "body",
                              "$builtin", "format", "a",    "b",      "nope"};
const char* const kContentTypes[] = {"application/json",
                                     "Application/JSON; charset=utf-8",
                                     "application/vnd.api+json",
                                     "application/x-yaml",
                                     "text/x-yaml",
                                     "application/x-msgpack",
                                     "application/x-msgpack-ext",
                                     "application/octet-stream",
                                     "text/plain",
                                     ""};
const char* const kPathPrefixes[] = {"/mox-x/v1/items/", "/mox-x/v1/files/", "/mox-x/v1.0/", "/", ""};

std::string Text(FuzzedDataProvider& input, std::size_t most) {
    return input.ConsumeRandomLengthString(most);
}

// A path from a known prefix and fuzz text, sometimes repeated to megabytes.
std::string Path(FuzzedDataProvider& input) {
    std::string path =
        kPathPrefixes[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kPathPrefixes) - 1)];
    const std::string piece = Text(input, 64);
    if (input.ConsumeIntegralInRange<int>(0, 15) == 0 && !piece.empty()) {
        const std::size_t copies = input.ConsumeIntegralInRange<std::size_t>(1, (3u << 20) / piece.size());
        path.reserve(path.size() + copies * piece.size());
        for (std::size_t i = 0; i < copies; ++i) path += piece;
    } else {
        path += piece;
    }
    // Paths are NUL-terminated texts.
    path.resize(std::strlen(path.c_str()));
    return path;
}

Binding::BindingProperty Value(FuzzedDataProvider& input) {
    Binding::BindingProperty value;
    switch (input.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
            break;
        case 1:
            value.SetBool(input.ConsumeBool());
            break;
        case 2:
            value.SetSigned(input.ConsumeIntegral<std::int64_t>());
            break;
        case 3:
            value.SetFloat(input.ConsumeFloatingPoint<double>());
            break;
        case 4:
            value.WriteElement(input.ConsumeIntegralInRange<std::size_t>(0, 3)).SetString(Text(input, 16));
            break;
        default:
            value.SetString(Text(input, 32));
            break;
    }
    return value;
}

// The route matcher and the standard engine agree on short paths.
void CheckMatcher(const std::string& path) {
    static const char* const kTemplates[] = {"/mox-x/v1/items/{id}", "/mox-x/v1/files/{+path}{#fragment}",
                                             "/mox-x/v1.0/{a}.{b}", "/{a}/{+b}/{c}"};
    static const std::vector<std::regex> patterns = [] {
        std::vector<std::regex> list;
        for (const char* text : kTemplates) list.emplace_back(Framework::RouteTemplate(text).Pattern());
        return list;
    }();
    for (std::size_t i = 0; i < std::size(kTemplates); ++i) {
        std::vector<std::string_view> captures;
        const bool matched = Framework::RouteTemplate(kTemplates[i]).Match(path, captures);
        std::smatch match;
        if (matched != std::regex_match(path, match, patterns[i])) std::abort();
        for (std::size_t k = 0; matched && k < captures.size(); ++k) {
            if (captures[k] != match[k + 1].str()) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Module module;
    FuzzedDataProvider input(data, size);

    const ApiFunctionRecord& function =
        module.records[input.ConsumeIntegralInRange<std::size_t>(0, module.records.size() - 1)];
    const std::uint32_t method = input.ConsumeIntegralInRange<std::uint32_t>(0, 10);
    const std::string customMethod = input.ConsumeBool() ? "PURGE" : Text(input, 8);
    const std::string path = Path(input);
    if (path.size() <= 64) CheckMatcher(path);

    std::vector<std::string> names;
    std::vector<Binding::BindingProperty> values;
    std::vector<std::string> texts;
    std::vector<bool> textGiven;
    const std::size_t parameterCount = input.ConsumeIntegralInRange<std::size_t>(0, 4);
    const std::size_t argumentCount = input.ConsumeIntegralInRange<std::size_t>(0, 4);
    for (std::size_t i = 0; i < parameterCount + argumentCount; ++i) {
        names.push_back(input.ConsumeBool()
                            ? kNames[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)]
                            : Text(input, 12));
    }
    for (std::size_t i = 0; i < parameterCount; ++i) values.push_back(Value(input));
    for (std::size_t i = 0; i < argumentCount; ++i) {
        textGiven.push_back(input.ConsumeIntegralInRange<int>(0, 7) != 0);
        texts.push_back(Text(input, 64));
    }
    const bool knownType = input.ConsumeBool();
    const std::string contentType =
        knownType ? kContentTypes[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kContentTypes) - 1)]
                  : Text(input, 32);
    const bool hasBody = input.ConsumeBool();
    const bool textBody = input.ConsumeBool();
    const std::string body = input.ConsumeRemainingBytesAsString();

    std::vector<ApiParameter> parameters(parameterCount);
    for (std::size_t i = 0; i < parameterCount; ++i) {
        parameters[i].name = names[i].c_str();
        parameters[i].value = {};
        Binding::ToFlat(values[i], parameters[i].value);
    }
    std::vector<TextPair> arguments(argumentCount);
    for (std::size_t i = 0; i < argumentCount; ++i) {
        arguments[i] = {names[parameterCount + i].c_str(), textGiven[i] ? texts[i].c_str() : nullptr};
    }

    ApiRequest request{};
    request.method = method;
    request.path = path.c_str();
    request.parameters = parameters.data();
    request.parameterCount = static_cast<std::uint32_t>(parameterCount);
    request.function = &function;
    request.arguments = arguments.data();
    request.argumentCount = static_cast<std::uint32_t>(argumentCount);
    request.contentType = contentType.empty() ? nullptr : contentType.c_str();
    request.body = hasBody ? reinterpret_cast<const std::uint8_t*>(body.c_str()) : nullptr;
    request.bodyLength = hasBody && !textBody ? static_cast<std::uint32_t>(body.size()) : 0;
    request.customMethod = customMethod.c_str();

    ApiResponse response{};
    function.invoker(&response, &request);
    if (response.release == nullptr) std::abort();
    if (response.error.message != nullptr && response.status == 0) std::abort();
    Binding::BindingProperty answer;
    if (response.error.message == nullptr && Binding::FromFlat(response.value, answer, "<result>").Failed()) {
        std::abort();
    }
    response.release(&response);
    const ApiResponse zero{};
    if (std::memcmp(&response, &zero, sizeof zero) != 0) std::abort();
    for (ApiParameter& parameter : parameters) Binding::ReleaseFlat(parameter.value);
    return 0;
}
