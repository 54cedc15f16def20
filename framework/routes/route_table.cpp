#include "framework/routes/route_table.h"

#include <exception>
#include <limits>
#include <optional>

#include "binding/binding_help.h"
#include "binding/flat_binding_property.h"
#include "binding/type_record.h"
#include "framework/identifier.h"
#include "framework/routes/detail/argument_binder.h"
#include "framework/routes/detail/response_writer.h"
#include "logging/message_format.h"

namespace Zarn::Framework {
namespace {

using Binding::BindingProperty;
using Binding::BindingResult;
using Binding::NativeTypeKind;
using Binding::TypeDescriptor;

std::string_view TextOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

bool MethodMatches(const RouteDeclaration& route, RouteMethod method, std::string_view customMethod) {
    if (route.method == RouteMethod::None) return true;
    if (route.method != method) return false;
    return method != RouteMethod::Custom || route.customMethod == customMethod;
}

std::uint32_t LocationOf(const RouteArgument& argument, const RouteTemplate& pathTemplate) {
    if (argument.source == ArgumentSource::Query) return kApiLocationQuery;
    if (argument.source == ArgumentSource::Body) return kApiLocationBody;
    for (const Placeholder& placeholder : pathTemplate.Placeholders()) {
        if (placeholder.name == argument.name) return static_cast<std::uint32_t>(placeholder.kind);
    }
    return argument.source == ArgumentSource::Path ? kApiLocationPathSegment : kApiLocationQuery;
}

// An argument of the request by name, from the parameters first, then the text arguments; an
// empty value for one given without a value.
std::optional<BindingProperty> FindRequestArgument(const ApiRequest& request, std::string_view name) {
    for (std::uint32_t i = 0; request.parameters && i < request.parameterCount; ++i) {
        if (TextOf(request.parameters[i].name) != name) continue;
        BindingProperty value;
        if (Binding::FromFlat(request.parameters[i].value, value, name).Failed()) value.Reset();
        return value;
    }
    for (std::uint32_t i = 0; request.arguments && i < request.argumentCount; ++i) {
        if (TextOf(request.arguments[i].name) != name) continue;
        BindingProperty value;
        if (request.arguments[i].value) value.SetString(request.arguments[i].value);
        return value;
    }
    return std::nullopt;
}

std::optional<Binding::BindingHelpFormat> HelpFormatOf(const BindingProperty& value) {
    const std::string text = value.AsString();
    if (text == "Full" || text == "1") return Binding::BindingHelpFormat::Full;
    if (text == "Epytext" || text == "2") return Binding::BindingHelpFormat::Epytext;
    return std::nullopt;
}

RouteReply RunBuiltin(const Binding::BindingRegistry& registry, const BindingProperty& operation,
                      const ApiRequest& request) {
    if (operation.GetString() != "Help") return RouteReply::Failure(400, "Unsupported builtin function");
    Binding::BindingHelpFormat format = Binding::BindingHelpFormat::Full;
    if (std::optional<BindingProperty> given = FindRequestArgument(request, "format")) {
        std::optional<Binding::BindingHelpFormat> named = HelpFormatOf(*given);
        if (!named) {
            return RouteReply::Failure(
                400,
                Logging::FormatMessage("%1 is not a valid BindingHelpFormat enumeration value for 'format'.",
                                       given->AsString()));
        }
        format = *named;
    }
    RouteReply reply;
    reply.result = Binding::Help(registry, format);
    if (reply.result.Failed()) reply.status = 400;
    return reply;
}

// The registered name an argument or result record shows: of the enumeration or structure, or
// of a vector's or map's element.
std::string RecordNameOf(const TypeDescriptor& type) {
    const TypeDescriptor* named = type.Element() ? type.Element() : &type;
    if (named->Kind() != NativeTypeKind::Enum && named->Kind() != NativeTypeKind::Struct) return {};
    return named->Record() ? named->Record()->Name() : std::string();
}

std::uint32_t KindOf(const TypeDescriptor& type) { return static_cast<std::uint32_t>(type.Kind()); }
std::uint32_t ElementKindOf(const TypeDescriptor& type) {
    return type.Element() ? static_cast<std::uint32_t>(type.Element()->Kind()) : 0;
}

void MOX_CDECL InvokeFunction(ApiResponse* response, const ApiRequest* request) noexcept {
    if (response == nullptr) return;
    try {
        detail::PrepareResponse(*response);
        const detail::RouteFunction* function =
            request && request->function
                ? static_cast<const detail::RouteFunction*>(request->function->context)
                : nullptr;
        if (function == nullptr || function->table == nullptr) {
            detail::WriteFailure(*response, 404, "Invalid function");
            return;
        }
        RouteReply reply = function->table->Invoke(*function, *request);
        detail::WriteReply(reply, *response, &function->table->Registry());
    } catch (const std::exception& error) {
        const std::string_view what = error.what() ? error.what() : "";
        detail::WriteFailure(*response, 500, what.empty() ? std::string_view("Internal server error") : what);
    } catch (...) {
        detail::WriteFailure(*response, 500, "Internal server error");
    }
}

}  // namespace

std::string RouteFunctionName(RouteMethod method, std::string_view pathTemplate,
                              std::string_view customMethod) {
    return Identifier(pathTemplate, RouteMethodName(method, customMethod));
}

RouteTable::RouteTable(Binding::BindingRegistry& registry) : registry_(registry) {}

RouteTable::~RouteTable() = default;

std::string RouteTable::RegisterRawRoute(RouteDeclaration declaration, std::vector<RouteArgument> arguments,
                                         std::vector<TypeDescriptor> types, TypeDescriptor result,
                                         detail::RouteHandler handler) {
    return Register(std::move(declaration), std::move(arguments), std::move(types), std::move(result),
                    [&handler](const detail::Route&) { return std::move(handler); });
}

std::string RouteTable::Register(
    RouteDeclaration declaration, std::vector<RouteArgument> arguments, std::vector<TypeDescriptor> types,
    TypeDescriptor result, const std::function<detail::RouteHandler(const detail::Route&)>& makeHandler) {
    std::string name = RouteFunctionName(declaration.method, declaration.path, declaration.customMethod);
    declaration.path = std::string(StoredTemplate(declaration.path));
    if (declaration.method != RouteMethod::Custom) declaration.customMethod.clear();

    auto route = std::make_unique<detail::Route>(
        detail::Route{std::move(declaration), RouteTemplate(""), {}, std::move(result), {}, tags_});
    route->pathTemplate = RouteTemplate(route->declaration.path);
    registry_.AttachRecords(route->result);
    Binding::FunctionRecord record;
    record.name = name;
    record.description = route->declaration.description;
    record.help = route->declaration.help;
    record.returns = route->result;
    record.tags = tags_;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        TypeDescriptor type = i < types.size() ? std::move(types[i]) : TypeDescriptor(NativeTypeKind::Object);
        registry_.AttachRecords(type);
        record.arguments.push_back(
            {arguments[i].name, arguments[i].description, type, arguments[i].optional});
        const std::uint32_t location = LocationOf(arguments[i], route->pathTemplate);
        route->parameters.push_back({std::move(arguments[i]), std::move(type), location});
    }
    route->handler = makeHandler(*route);
    registry_.AddFunction(std::move(record));

    auto& function = functions_[name];
    if (!function) {
        function = std::make_unique<detail::RouteFunction>();
        function->table = this;
        function->name = name;
    }
    function->routes.push_back(std::move(route));
    recordsBuilt_ = false;
    return name;
}

RouteReply RouteTable::Invoke(const detail::RouteFunction& function, const ApiRequest& request) const {
    const RouteMethod method = RouteMethodFromCode(request.method);
    const std::string_view customMethod = method == RouteMethod::Custom ? TextOf(request.customMethod) : "";
    const std::string_view path = TextOf(request.path);

    const detail::Route* selected = nullptr;
    std::vector<std::string_view> captures;
    std::vector<std::string_view> selectedCaptures;
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (const auto& route : function.routes) {
        if (!MethodMatches(route->declaration, method, customMethod)) continue;
        if (!route->pathTemplate.Match(path, captures)) continue;
        std::size_t captured = 0;
        for (std::string_view capture : captures) captured += capture.size();
        if (captured < fewest) {
            fewest = captured;
            selected = route.get();
            selectedCaptures.swap(captures);
        }
    }
    if (selected == nullptr) return RouteReply::Failure(404, "Invalid function");

    if (std::optional<BindingProperty> builtin = FindRequestArgument(request, "$builtin")) {
        return RunBuiltin(registry_, *builtin, request);
    }
    BindingResult arguments = detail::BindArguments(*selected, function.name, selectedCaptures, request);
    if (arguments.Failed()) return RouteReply::Failure(400, arguments.Message());
    return selected->handler(arguments.Value());
}

const char* RouteTable::Keep(std::string_view text) { return texts_.emplace_back(text).c_str(); }

std::span<const ApiFunctionRecord> RouteTable::FunctionRecords() {
    if (!recordsBuilt_) BuildRecords();
    return records_;
}

void RouteTable::BuildRecords() {
    records_.clear();
    texts_.clear();
    argumentLists_.clear();
    locationLists_.clear();
    segmentLists_.clear();
    textLists_.clear();
    std::size_t count = 0;
    for (const auto& entry : functions_) count += entry.second->routes.size();
    records_.resize(count);

    std::size_t index = 0;
    for (const auto& [name, function] : functions_) {
        for (const auto& route : function->routes) {
            ApiFunctionRecord& record = records_[index++];
            record.context = function.get();
            record.name = Keep(name);
            record.nameSpace = Keep("");

            const std::size_t argumentCount = route->parameters.size();
            auto& arguments = argumentLists_.emplace_back(argumentCount);
            auto& locations = locationLists_.emplace_back(argumentCount);
            for (std::size_t i = 0; i < argumentCount; ++i) {
                const detail::RouteParameter& parameter = route->parameters[i];
                arguments[i] = {i + 1 < argumentCount ? &arguments[i + 1] : nullptr,
                                Keep(parameter.declaration.name),
                                Keep(parameter.declaration.description),
                                KindOf(parameter.type),
                                ElementKindOf(parameter.type),
                                Keep(RecordNameOf(parameter.type)),
                                static_cast<std::uint8_t>(parameter.declaration.optional ? 1 : 0)};
                locations[i] = {arguments[i].name, parameter.location};
            }
            record.arguments = argumentCount ? arguments.data() : nullptr;
            record.argumentCount = static_cast<std::uint32_t>(argumentCount);
            record.locations = argumentCount ? locations.data() : nullptr;

            record.resultKind = KindOf(route->result);
            record.resultElementKind = ElementKindOf(route->result);
            record.resultTypeName = Keep(RecordNameOf(route->result));
            record.description = Keep(route->declaration.description);
            record.help = Keep(route->declaration.help);
            record.async = 0;
            record.asyncResultTypeName = Keep("");

            auto& tags = textLists_.emplace_back();
            for (const std::string& tag : route->tags) tags.push_back(Keep(tag));
            record.tags = tags.empty() ? nullptr : tags.data();
            record.tagCount = static_cast<std::uint32_t>(tags.size());

            record.invoker = &InvokeFunction;
            record.path = Keep(route->declaration.path);
            record.method = static_cast<std::uint32_t>(route->declaration.method);
            record.detectEncoding = route->declaration.detectEncoding ? 1 : 0;
            record.customMethod = Keep(route->declaration.customMethod);

            const std::vector<std::vector<std::string>> pieces = route->pathTemplate.Segments();
            auto& segments = segmentLists_.emplace_back(pieces.size());
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                auto& texts = textLists_.emplace_back();
                for (const std::string& piece : pieces[i]) texts.push_back(Keep(piece));
                segments[i] = {i + 1 < pieces.size() ? &segments[i + 1] : nullptr,
                               texts.empty() ? nullptr : texts.data(),
                               static_cast<std::uint32_t>(texts.size())};
            }
            record.segments = segments.empty() ? nullptr : segments.data();
            record.segmentCount = static_cast<std::uint32_t>(segments.size());
        }
    }
    for (std::size_t i = 0; i + 1 < records_.size(); ++i) records_[i].next = &records_[i + 1];
    recordsBuilt_ = true;
}

}  // namespace Zarn::Framework
