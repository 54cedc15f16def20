// What the end-of-game tests share: a registry with the plugin's records registered the way the plugin
// does it, JSON fixtures and values read from JSON, and a comparison of values that names the first
// difference.
#pragma once

#include <string>
#include <string_view>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/native_conversion.h"
#include "end_of_game/registration_context.h"
#include "framework/lcds_class_names.h"

namespace Zarn::Client::EndOfGame::Testing {

inline constexpr std::string_view kApiNamePrefix = "MoxEndOfGame";

struct RegisteredRecords {
    RegisteredRecords();

    RegistrationContext Context();

    Binding::BindingRegistry registry;
    Framework::LcdsClassNames classNames;
};

// The text of a file of tests/end_of_game/fixtures.
std::string ReadFixture(std::string_view fileName);

// The value of a JSON text; a text that does not parse fails the current test and gives the empty value.
Binding::BindingProperty ParseJson(std::string_view text);

// "" when `actual` matches `expected`, else where and how they differ. Integers match by value whatever
// their kind ("signed" 3 matches "unsigned" 3). With `wholeValues` every structure must have exactly
// the expected keys; without, a structure needs only the expected keys, except the any-value fields
// "stats" and "pointsPenalties", which are always compared whole.
std::string Mismatch(const Binding::BindingProperty& actual, const Binding::BindingProperty& expected,
                     bool wholeValues);

// The value of a native record through the registry; a failed conversion fails the current test.
template <typename T>
Binding::BindingProperty ToValue(const Binding::BindingRegistry& registry, const T& native) {
    Binding::BindingProperty value;
    Binding::BindingResult result;
    Binding::Convert(registry, native, value, result);
    if (result.Failed()) value.SetString(result.Message());
    return value;
}

}  // namespace Zarn::Client::EndOfGame::Testing
