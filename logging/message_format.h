// Numbered message templates: "%1", "%2$05d" and plain printf specifications over a typed argument list.
// Pure functions, callable from any thread.
//
// Rules, left to right: "%%" gives "%"; "%N" (1 <= N <= argument count) renders argument N with its type's
// default conversion and length modifier; "%N$spec" applies a printf specification to argument N; any
// other "%spec" takes the next argument in order. The order counter starts at the first argument and
// advances with every argument consumed, "*" widths and precisions and indexed placeholders included.
// A conversion the argument's type does not allow is replaced by the type's default; "n" produces
// nothing. An explicit length modifier is honoured by converting the value to the type the modifier
// names, and without one an integer keeps its own width, so a value is never read as a wider or
// narrower type. Formatting ends at a placeholder past the last argument, at a "*" argument that is not
// an integer, at a specification longer than 59 characters, or at a template that ends inside a
// placeholder. The output is built in a 4096-byte stack buffer and cut at 4095 bytes.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace Zarn::Logging {

// Renders as "%1.%2.%3" of its numbers, like a string.
struct VersionTriple {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;
};

class MessageArgument {
public:
    // Allowed conversions, default first: strings and versions "s"; signed 32- and 64-bit "dciouxX";
    // unsigned 16-, 32- and 64-bit "ucdioxX"; characters (signed 8-bit) "cdiouxX"; doubles "gaefGAEF".
    enum class Kind : std::uint8_t { String, Int32, Int64, UInt16, UInt32, UInt64, Int8, Double, Version };

    MessageArgument(const char* text) : kind_(Kind::String), text_(text ? text : "(null)") {}
    MessageArgument(std::string_view text) : kind_(Kind::String), text_(text) {}
    MessageArgument(const std::string& text) : kind_(Kind::String), text_(text) {}
    MessageArgument(VersionTriple version) : kind_(Kind::Version), version_(version) {}

    template <class T>
    requires std::is_arithmetic_v<T> || std::is_enum_v<T> MessageArgument(T value) {
        if constexpr (std::is_enum_v<T>) {
            *this = MessageArgument(static_cast<std::underlying_type_t<T>>(value));
        } else if constexpr (std::same_as<T, bool>) {
            kind_ = Kind::String;
            text_ = value ? "true" : "false";
        } else if constexpr (std::is_floating_point_v<T>) {
            kind_ = Kind::Double;
            double_ = static_cast<double>(value);
        } else if constexpr (std::same_as<T, char> || std::same_as<T, signed char>) {
            kind_ = Kind::Int8;
            signed_ = value;
        } else if constexpr (std::is_signed_v<T>) {
            kind_ = sizeof(T) <= 4 ? Kind::Int32 : Kind::Int64;
            signed_ = value;
        } else {
            kind_ = sizeof(T) <= 2 ? Kind::UInt16 : sizeof(T) <= 4 ? Kind::UInt32 : Kind::UInt64;
            unsigned_ = value;
        }
    }

    Kind kind() const { return kind_; }
    bool IsInteger() const {
        return kind_ != Kind::String && kind_ != Kind::Double && kind_ != Kind::Version;
    }
    bool IsSigned() const { return kind_ == Kind::Int32 || kind_ == Kind::Int64 || kind_ == Kind::Int8; }
    std::int64_t SignedValue() const { return signed_; }
    std::uint64_t UnsignedValue() const { return unsigned_; }
    double DoubleValue() const { return double_; }
    std::string_view Text() const { return text_; }
    VersionTriple Version() const { return version_; }

private:
    Kind kind_ = Kind::String;
    std::int64_t signed_ = 0;
    std::uint64_t unsigned_ = 0;
    double double_ = 0;
    std::string_view text_;
    VersionTriple version_;
};

// Arguments are borrowed for the duration of the call.
std::string FormatMessageArguments(std::string_view format, std::span<const MessageArgument> arguments);

template <class... Args>
std::string FormatMessage(std::string_view format, const Args&... arguments) {
    if constexpr (sizeof...(Args) == 0) {
        return FormatMessageArguments(format, {});
    } else {
        const MessageArgument list[] = {MessageArgument(arguments)...};
        return FormatMessageArguments(format, list);
    }
}

}  // namespace Zarn::Logging
