// Calls a function record the way a host does: builds the request record, calls the record's
// invoker, copies the response out and releases it through its release function.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "binding/binding_property.h"
#include "binding/flat_binding_property.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework::testing {

struct Call {
    explicit Call(std::string callPath = {}, std::uint32_t callMethod = kApiMethodGet)
        : method(callMethod), path(std::move(callPath)) {}

    Call& Method(std::uint32_t code, std::string custom = {}) {
        method = code;
        customMethod = std::move(custom);
        return *this;
    }
    Call& Param(std::string name, Binding::BindingProperty value) {
        parameters.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    // A text argument; without a value when `value` is nullopt.
    Call& Arg(std::string name, std::optional<std::string> value = std::nullopt) {
        arguments.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    Call& Body(std::optional<std::string> type, std::string bytes) {
        contentType = std::move(type);
        body = std::move(bytes);
        return *this;
    }

    std::uint32_t method;
    std::string path;
    std::vector<std::pair<std::string, Binding::BindingProperty>> parameters;
    std::vector<std::pair<std::string, std::optional<std::string>>> arguments;
    std::optional<std::string> contentType;
    std::optional<std::string> body;
    std::string customMethod;
};

struct Answer {
    std::uint32_t status = 0;
    std::optional<std::string> error;
    Binding::BindingProperty value;
    std::string statusText;
    std::vector<std::pair<std::string, std::string>> headers;
    std::uint8_t raw = 0;
    std::uint32_t form = 0;
    bool streamed = false;
    std::string streamBody;
};

inline Answer Invoke(const ApiFunctionRecord& function, const Call& call) {
    std::vector<ApiParameter> parameters(call.parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        parameters[i].name = call.parameters[i].first.c_str();
        parameters[i].value = {};
        Binding::ToFlat(call.parameters[i].second, parameters[i].value);
    }
    std::vector<TextPair> arguments;
    for (const auto& [name, value] : call.arguments)
        arguments.push_back({name.c_str(), value ? value->c_str() : nullptr});

    ApiRequest request{};
    request.method = call.method;
    request.path = call.path.c_str();
    request.parameters = parameters.empty() ? nullptr : parameters.data();
    request.parameterCount = static_cast<std::uint32_t>(parameters.size());
    request.function = &function;
    request.arguments = arguments.empty() ? nullptr : arguments.data();
    request.argumentCount = static_cast<std::uint32_t>(arguments.size());
    request.contentType = call.contentType ? call.contentType->c_str() : nullptr;
    request.body = call.body ? reinterpret_cast<const std::uint8_t*>(call.body->data()) : nullptr;
    request.bodyLength = call.body ? static_cast<std::uint32_t>(call.body->size()) : 0;
    request.customMethod = call.customMethod.c_str();

    ApiResponse response{};
    function.invoker(&response, &request);
    for (ApiParameter& parameter : parameters) Binding::ReleaseFlat(parameter.value);

    Answer answer;
    answer.status = response.status;
    if (response.error.message) answer.error = response.error.message;
    Binding::FromFlat(response.value, answer.value, "<result>");
    answer.statusText = response.statusText ? response.statusText : "(null)";
    for (std::uint32_t i = 0; i < response.headerCount; ++i) {
        answer.headers.emplace_back(response.headers[i].name, response.headers[i].value);
    }
    answer.raw = response.raw;
    answer.form = response.form;
    if (response.streamRead) {
        answer.streamed = true;
        std::uint8_t buffer[4];
        for (std::uint8_t more = 1; more;) {
            std::uint32_t size = sizeof buffer;
            if (!response.streamRead(response.streamContext, buffer, &size, &more)) break;
            answer.streamBody.append(reinterpret_cast<const char*>(buffer), size);
        }
        if (response.streamClose) response.streamClose(response.streamContext);
    }
    if (response.release) response.release(&response);
    return answer;
}

}  // namespace Zarn::Framework::testing
