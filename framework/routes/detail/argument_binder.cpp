#include "framework/routes/detail/argument_binder.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "binding/flat_binding_property.h"
#include "framework/routes/detail/content_decoding.h"
#include "logging/message_format.h"

namespace Zarn::Framework::detail {
namespace {

using Binding::BindingKind;
using Binding::BindingProperty;
using Binding::BindingResult;
using Binding::NativeTypeKind;
using Binding::TypeDescriptor;
using Logging::FormatMessage;

std::string_view TextOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// Where a value was given, as the location codes of declarations name it.
enum class Given { Path, Query, Body };

bool Allows(const RouteParameter& parameter, Given given) {
    switch (given) {
        case Given::Path:
            return parameter.location == kApiLocationPathSegment ||
                   parameter.location == kApiLocationRestOfPath || parameter.location == kApiLocationFragment;
        case Given::Query:
            return parameter.location == kApiLocationQuery;
        case Given::Body:
            return parameter.location == kApiLocationBody;
    }
    return false;
}

// The declared argument a given name addresses, and the element index when the name is
// "base[index]" for a vector argument "base".
struct Target {
    const RouteParameter* parameter = nullptr;
    std::string_view index;  // the text between the brackets
    bool indexed = false;
};

class Binder {
public:
    Binder(const Route& route, std::string_view function) : route_(route), function_(function) {
        result_.Value().MakeStructure();
    }

    // `value` is null for an argument given without a value.
    void Bind(std::string_view name, Given given, const BindingProperty* value) {
        if (result_.Failed()) return;
        const Target target = Find(name);
        if (!target.parameter) {
            return result_.Fail(FormatMessage("Unknown argument '%1' for '%2'.", name, function_));
        }
        if (!Allows(*target.parameter, given)) {
            return result_.Fail(FormatMessage("Argument '%1' for '%2' was specified in an invalid location.",
                                              name, function_));
        }
        const TypeDescriptor& type =
            target.indexed ? *target.parameter->type.Element() : target.parameter->type;
        BindingProperty filled;
        if (!value) {
            if (!FillWithoutValue(type, filled)) {
                return result_.Fail(FormatMessage("Expected value for argument '%1'.", name));
            }
            value = &filled;
        }
        BindingProperty& field = result_.Value().WriteField(target.parameter->declaration.name);
        if (!target.indexed) {
            field = *value;
            return;
        }
        std::uint64_t index = 0;
        if (!ParseIndex(target.index, index)) {
            return result_.Fail(FormatMessage("Index %1 is in an incorrect format", target.index));
        }
        if (field.Kind() != BindingKind::Collection) {
            field.Reset();
            field.MakeCollection();
        }
        if (index > field.Size()) return result_.Fail(FormatMessage("Index %1 is out of range", index));
        field.WriteElement(static_cast<std::size_t>(index)) = *value;
    }

    // A text value: decoded by the argument's own content type, or by detection when the route
    // asks for it (text arguments only).
    void BindText(std::string_view name, Given given, std::string_view text, bool detect) {
        if (result_.Failed()) return;
        const Target target = Find(name);
        std::optional<std::string_view> contentType;
        if (target.parameter && target.parameter->declaration.contentType) {
            contentType = *target.parameter->declaration.contentType;
        }
        if (!target.parameter || !Allows(*target.parameter, given)) return Bind(name, given, nullptr);
        const std::string_view argument = target.parameter->declaration.name;
        BindingResult decoded = DecodeTextValue(text, contentType, detect, argument, function_);
        if (decoded.Failed()) return result_.Fail(decoded.Message());
        Bind(name, given, &decoded.Value());
    }

    void BindBody(const ApiRequest& request) {
        if (result_.Failed() || !request.body) return;
        for (const RouteParameter& parameter : route_.parameters) {
            if (parameter.location != kApiLocationBody) continue;
            const std::string_view body = BodyOf(request);
            BindingResult decoded =
                DecodeBody(reinterpret_cast<const std::uint8_t*>(body.data()), body.size(),
                           TextOf(request.contentType), parameter.declaration.name, function_);
            if (decoded.Failed()) return result_.Fail(decoded.Message());
            return Bind(parameter.declaration.name, Given::Body, &decoded.Value());
        }
    }

    BindingResult& Result() { return result_; }

private:
    Target Find(std::string_view name) const {
        Target target;
        for (const RouteParameter& parameter : route_.parameters) {
            if (parameter.declaration.name == name) {
                target.parameter = &parameter;
                return target;
            }
        }
        const std::size_t open = name.find('[');
        if (open == std::string_view::npos || name.back() != ']') return target;
        const std::string_view base = name.substr(0, open);
        for (const RouteParameter& parameter : route_.parameters) {
            if (parameter.declaration.name == base && parameter.type.Kind() == NativeTypeKind::Vector) {
                target.parameter = &parameter;
                target.index = name.substr(open + 1, name.size() - open - 2);
                target.indexed = true;
                return target;
            }
        }
        return target;
    }

    // A flag is set by being named and a vector is given empty. A structure or any-value named
    // alone is an empty value, which the conversion refuses for a structure: a record without
    // its fields must not pass as one of defaults.
    static bool FillWithoutValue(const TypeDescriptor& type, BindingProperty& value) {
        switch (type.Kind()) {
            case NativeTypeKind::Bool:
                value.SetBool(true);
                return true;
            case NativeTypeKind::Vector:
                value.MakeCollection();
                return true;
            case NativeTypeKind::Struct:
            case NativeTypeKind::Object:
                return true;
            default:
                return false;
        }
    }

    static bool ParseIndex(std::string_view text, std::uint64_t& index) {
        if (text.empty() || text.size() > 19) return false;
        index = 0;
        for (char c : text) {
            if (c < '0' || c > '9') return false;
            index = index * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return true;
    }

    const Route& route_;
    std::string_view function_;
    BindingResult result_;
};

}  // namespace

std::string_view BodyOf(const ApiRequest& request) {
    if (!request.body) return {};
    const char* bytes = reinterpret_cast<const char*>(request.body);
    return request.bodyLength != 0 ? std::string_view(bytes, request.bodyLength) : std::string_view(bytes);
}

BindingResult BindArguments(const Route& route, std::string_view function,
                            const std::vector<std::string_view>& captures, const ApiRequest& request) {
    // A count without its array is a broken record, not an absence of arguments.
    if ((!request.parameters && request.parameterCount != 0) ||
        (!request.arguments && request.argumentCount != 0)) {
        return BindingResult::MakeFailure("Malformed request: an argument count without its array");
    }
    Binder binder(route, function);
    const std::vector<Placeholder>& placeholders = route.pathTemplate.Placeholders();
    for (std::size_t i = 0; i < placeholders.size() && i < captures.size(); ++i) {
        binder.BindText(placeholders[i].name, Given::Path, captures[i], false);
    }
    for (std::uint32_t i = 0; i < request.parameterCount; ++i) {
        const ApiParameter& parameter = request.parameters[i];
        const std::string_view name = TextOf(parameter.name);
        if (parameter.value.tag == kFlatKindEmpty) {
            binder.Bind(name, Given::Query, nullptr);
            continue;
        }
        BindingProperty value;
        BindingResult read = Binding::FromFlat(parameter.value, value, name);
        if (read.Failed()) {
            binder.Result().Fail(read.Message());
            break;
        }
        binder.Bind(name, Given::Query, &value);
    }
    for (std::uint32_t i = 0; i < request.argumentCount; ++i) {
        const TextPair& pair = request.arguments[i];
        const std::string_view name = TextOf(pair.name);
        if (!pair.value) {
            binder.Bind(name, Given::Query, nullptr);
        } else {
            binder.BindText(name, Given::Query, pair.value, route.declaration.detectEncoding);
        }
    }
    binder.BindBody(request);
    return std::move(binder.Result());
}

}  // namespace Zarn::Framework::detail
