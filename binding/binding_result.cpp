#include "binding/binding_result.h"

namespace Zarn::Binding {

BindingResult BindingResult::MakeFailure(std::string_view message) {
    BindingResult result;
    result.Fail(message);
    return result;
}

void BindingResult::Fail(std::string_view message) {
    success_ = false;
    value_.Reset();
    value_.WriteField("error").SetString(message);
}

std::string_view BindingResult::Message() const noexcept {
    if (success_) return {};
    return value_.Field("error").GetString();
}

}  // namespace Zarn::Binding
