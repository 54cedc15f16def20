// Named message templates, used for errors that carry values: "Error response for {method} {url}:
// {error}". Pure functions, callable from any thread.
//
// Placeholders take the values by position (the first placeholder the first value, and so on); the name
// only labels the value in the returned field map. Inside braces: a leading "#" types the field name (a
// name not already ending in "_bool", "_int", "_long", "_float", "_str" or "_time" gets "_bool", "_int",
// "_float" or "_str" after its value's type); "?" leaves false, 0, 0.0 and "" out of the field map; "!"
// starts a conversion ("{name!r}") that runs to the next "?", ":" or "}" and has no effect; ":" starts a
// printf specification for the value ("{ratio:.2f}",
// "{id:08x}", with or without its "%"), which runs to the closing brace and falls back to the value's
// default rendering when it is not one plain specification; a reverse solidus takes the next character
// of the name literally. Outside braces, "{{" and "}}" are literal braces, a lone "}" is copied, "%%" is a
// percent sign, and a printf specification written directly in the template takes the next value.
// Placeholders beyond the last value are dropped.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace Zarn::Logging {

using NamedValue = std::variant<bool, std::int64_t, std::uint64_t, double, std::string>;

struct NamedField {
    std::string name;
    NamedValue value;

    bool operator==(const NamedField&) const = default;
};

struct NamedMessage {
    std::string text;
    // In order of first appearance; a name given twice keeps its first place and its last value.
    std::vector<NamedField> fields;
};

template <class T>
NamedValue ToNamedValue(const T& value) {
    if constexpr (std::same_as<T, bool>) {
        return value;
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        return static_cast<std::int64_t>(value);
    } else if constexpr (std::is_integral_v<T>) {
        return static_cast<std::uint64_t>(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        return static_cast<double>(value);
    } else {
        return std::string(std::string_view(value));
    }
}

NamedMessage FormatNamedValues(std::string_view format, std::span<const NamedValue> values);

template <class... Values>
NamedMessage FormatNamedMessage(std::string_view format, const Values&... values) {
    if constexpr (sizeof...(Values) == 0) {
        return FormatNamedValues(format, {});
    } else {
        const NamedValue list[] = {ToNamedValue(values)...};
        return FormatNamedValues(format, list);
    }
}

}  // namespace Zarn::Logging
