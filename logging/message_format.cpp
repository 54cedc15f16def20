#include "logging/message_format.h"

#include <cinttypes>
#include <cstddef>
#include <cstdio>

#include "logging/detail/printf_spec.h"

namespace Zarn::Logging {

namespace {

using detail::Placeholder;
using detail::PlaceholderKind;
using detail::PrintfSpec;

constexpr std::size_t kBufferSize = 4096;

std::string_view AllowedConversions(MessageArgument::Kind kind) {
    switch (kind) {
        case MessageArgument::Kind::Int32:
        case MessageArgument::Kind::Int64:
            return "dciouxX";
        case MessageArgument::Kind::UInt16:
        case MessageArgument::Kind::UInt32:
        case MessageArgument::Kind::UInt64:
            return "ucdioxX";
        case MessageArgument::Kind::Int8:
            return "cdiouxX";
        case MessageArgument::Kind::Double:
            return "gaefGAEF";
        case MessageArgument::Kind::String:
        case MessageArgument::Kind::Version:
            return "s";
    }
    return "s";
}

// The output buffer; everything written through it is cut at kBufferSize - 1 bytes.
class Output {
public:
    bool Full() const { return length_ >= kBufferSize - 1; }

    void Append(char c) {
        if (!Full()) buffer_[length_++] = c;
    }

    template <class... Values>
    void Print(const char* format, Values... values) {
        if (Full()) return;
        std::size_t room = kBufferSize - length_;
        int written = std::snprintf(buffer_ + length_, room, format, values...);
        if (written <= 0) return;
        std::size_t count = static_cast<std::size_t>(written);
        length_ += count < room ? count : room - 1;
    }

    std::string Result() const { return std::string(buffer_, length_); }

private:
    char buffer_[kBufferSize];
    std::size_t length_ = 0;
};

// A specification with "*" already replaced by numbers, ready to be written back as printf text.
struct Resolved {
    std::string_view flags;
    bool leftAlign = false;
    bool hasWidth = false;
    int width = 0;
    bool hasPrecision = false;
    int precision = 0;
    std::string_view modifier;
    char conversion = 0;
};

// Builds "%<flags><width>.<precision><modifier><conversion>"; the parts are bounded, so 96 bytes hold it.
struct SpecText {
    char text[96];

    SpecText(const Resolved& spec, std::string_view modifier, char conversion) {
        std::size_t n = 0;
        text[n++] = '%';
        n += spec.flags.copy(text + n, spec.flags.size());
        if (spec.leftAlign) text[n++] = '-';
        if (spec.hasWidth)
            n += static_cast<std::size_t>(std::snprintf(text + n, sizeof text - n, "%d", spec.width));
        if (spec.hasPrecision)
            n += static_cast<std::size_t>(std::snprintf(text + n, sizeof text - n, ".%d", spec.precision));
        n += modifier.copy(text + n, modifier.size());
        text[n++] = conversion;
        text[n] = '\0';
    }
};

// Only "-" means something for "s" and "c"; printf leaves the other flags undefined there.
std::string_view AlignmentOnly(std::string_view flags) {
    return flags.find('-') == std::string_view::npos ? std::string_view() : std::string_view("-");
}

template <class Signed, class Unsigned>
void PrintInteger(Output& out, const Resolved& spec, std::string_view modifier,
                  const MessageArgument& value) {
    SpecText text(spec, modifier, spec.conversion);
    bool signedConversion = spec.conversion == 'd' || spec.conversion == 'i';
    if (value.IsSigned()) {
        if (signedConversion)
            out.Print(text.text, static_cast<Signed>(value.SignedValue()));
        else
            out.Print(text.text, static_cast<Unsigned>(value.SignedValue()));
    } else {
        if (signedConversion)
            out.Print(text.text, static_cast<Signed>(value.UnsignedValue()));
        else
            out.Print(text.text, static_cast<Unsigned>(value.UnsignedValue()));
    }
}

void RenderInteger(Output& out, Resolved spec, const MessageArgument& value) {
    if (spec.conversion == 'c') {
        spec.flags = AlignmentOnly(spec.flags);
        spec.hasPrecision = false;
        SpecText text(spec, {}, 'c');
        out.Print(text.text, value.IsSigned() ? static_cast<int>(value.SignedValue())
                                              : static_cast<int>(value.UnsignedValue()));
        return;
    }
    std::string_view modifier = spec.modifier;
    if (modifier.empty() &&
        (value.kind() == MessageArgument::Kind::Int64 || value.kind() == MessageArgument::Kind::UInt64))
        modifier = "ll";
    if (modifier.empty() || modifier == "h" || modifier == "hh")
        PrintInteger<int, unsigned>(out, spec, modifier, value);
    else if (modifier == "l")
        PrintInteger<long, unsigned long>(out, spec, modifier, value);
    else if (modifier == "ll" || modifier == "L")
        PrintInteger<long long, unsigned long long>(out, spec, "ll", value);
    else if (modifier == "j")
        PrintInteger<std::intmax_t, std::uintmax_t>(out, spec, modifier, value);
    else if (modifier == "z")
        PrintInteger<std::make_signed_t<std::size_t>, std::size_t>(out, spec, modifier, value);
    else
        PrintInteger<std::ptrdiff_t, std::make_unsigned_t<std::ptrdiff_t>>(out, spec, modifier, value);
}

void RenderText(Output& out, Resolved spec, std::string_view text) {
    spec.flags = AlignmentOnly(spec.flags);
    // The precision bounds what printf reads, so texts need no terminator.
    int length = text.size() < static_cast<std::size_t>(detail::kMaxFieldWidth)
                     ? static_cast<int>(text.size())
                     : detail::kMaxFieldWidth;
    spec.precision = spec.hasPrecision && spec.precision < length ? spec.precision : length;
    spec.hasPrecision = true;
    SpecText format(spec, {}, 's');
    out.Print(format.text, text.data());
}

void Render(Output& out, const Resolved& spec, const MessageArgument& value) {
    switch (value.kind()) {
        case MessageArgument::Kind::String:
            RenderText(out, spec, value.Text());
            break;
        case MessageArgument::Kind::Version: {
            char text[40];
            VersionTriple version = value.Version();
            int length = std::snprintf(text, sizeof text, "%" PRIu32 ".%" PRIu32 ".%" PRIu32, version.major,
                                       version.minor, version.patch);
            RenderText(out, spec, std::string_view(text, static_cast<std::size_t>(length)));
            break;
        }
        case MessageArgument::Kind::Double:
            if (spec.modifier == "L") {
                out.Print(SpecText(spec, "L", spec.conversion).text,
                          static_cast<long double>(value.DoubleValue()));
            } else {
                out.Print(SpecText(spec, {}, spec.conversion).text, value.DoubleValue());
            }
            break;
        default:
            RenderInteger(out, spec, value);
            break;
    }
}

// The value of a "*" argument, bounded to what can matter in the buffer; false when it is not an integer.
bool TakeNumber(const MessageArgument& argument, int& number) {
    if (!argument.IsInteger()) return false;
    constexpr int kMax = detail::kMaxFieldWidth;
    if (argument.IsSigned()) {
        std::int64_t value = argument.SignedValue();
        number = value > kMax ? kMax : value < -kMax ? -kMax : static_cast<int>(value);
    } else {
        std::uint64_t value = argument.UnsignedValue();
        number = value > static_cast<std::uint64_t>(kMax) ? kMax : static_cast<int>(value);
    }
    return true;
}

}  // namespace

std::string FormatMessageArguments(std::string_view format, std::span<const MessageArgument> arguments) {
    Output out;
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < format.size() && !out.Full()) {
        if (format[i] != '%') {
            out.Append(format[i++]);
            continue;
        }
        Placeholder placeholder = detail::ReadPlaceholder(format.substr(i), arguments.size());
        if (placeholder.kind == PlaceholderKind::Incomplete || placeholder.kind == PlaceholderKind::TooLong)
            break;
        i += placeholder.length;
        if (placeholder.kind == PlaceholderKind::Percent) {
            out.Append('%');
            continue;
        }

        const PrintfSpec& spec = placeholder.spec;
        const MessageArgument* value = nullptr;
        Resolved resolved;
        if (placeholder.kind == PlaceholderKind::Bare) {
            value = &arguments[placeholder.index];
            ++next;
            resolved.conversion = AllowedConversions(value->kind())[0];
        } else {
            resolved.flags = spec.flags;
            resolved.hasWidth = spec.hasWidth;
            resolved.width = spec.width;
            if (spec.widthFromArgument) {
                if (next >= arguments.size() || !TakeNumber(arguments[next++], resolved.width)) break;
                // A negative "*" width means left alignment, as in printf.
                if (resolved.width < 0) {
                    resolved.leftAlign = true;
                    resolved.width = -resolved.width;
                }
            }
            resolved.hasPrecision = spec.hasPrecision;
            resolved.precision = spec.precision;
            if (spec.precisionFromArgument) {
                if (next >= arguments.size() || !TakeNumber(arguments[next++], resolved.precision)) break;
                // A negative "*" precision counts as none, as in printf.
                if (resolved.precision < 0) resolved.hasPrecision = false;
            }
            std::size_t index = placeholder.kind == PlaceholderKind::Indexed ? placeholder.index : next;
            if (index >= arguments.size()) break;
            ++next;
            value = &arguments[index];
            if (spec.conversion == 'n') continue;
            resolved.modifier = spec.lengthModifier;
            std::string_view allowed = AllowedConversions(value->kind());
            resolved.conversion =
                allowed.find(spec.conversion) == std::string_view::npos ? allowed[0] : spec.conversion;
        }
        Render(out, resolved, *value);
    }
    return out.Result();
}

}  // namespace Zarn::Logging
