// BindingResult: the outcome of a conversion. Success: the flag is set and the value holds the
// result. Failure: the flag is clear and the value is a structure whose one field "error" holds
// the message as a string. Conversions take a result by reference and do nothing once it has
// failed, so the first failure is the one reported.
#pragma once

#include <string_view>

#include "binding/binding_property.h"

namespace Zarn::Binding {

class BindingResult {
public:
    // A success with an empty value.
    BindingResult() noexcept = default;

    static BindingResult MakeSuccess() noexcept { return BindingResult(); }
    static BindingResult MakeFailure(std::string_view message);

    // Turns the result into a failure carrying `message` (the value is replaced).
    void Fail(std::string_view message);

    bool Succeeded() const noexcept { return success_; }
    bool Failed() const noexcept { return !success_; }

    // "" on success; on failure the "error" field's text when it is a string, else "". The view
    // lives as long as the result is unchanged.
    std::string_view Message() const noexcept;

    BindingProperty& Value() noexcept { return value_; }
    const BindingProperty& Value() const noexcept { return value_; }

private:
    BindingProperty value_;
    bool success_ = true;
};

}  // namespace Zarn::Binding
