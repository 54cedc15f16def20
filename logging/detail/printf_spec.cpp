#include "logging/detail/printf_spec.h"

namespace Zarn::Logging::detail {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits at `i`, saturating at kMaxFieldWidth.
int ReadNumber(std::string_view text, std::size_t& i) {
    int value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxFieldWidth) value = kMaxFieldWidth;
        ++i;
    }
    return value;
}

std::string_view ReadLengthModifier(std::string_view text, std::size_t i) {
    for (std::string_view modifier : {"hh", "ll", "h", "l", "L", "j", "t", "z"})
        if (text.substr(i, modifier.size()) == modifier) return modifier;
    return {};
}

}  // namespace

std::size_t ReadPrintfSpec(std::string_view text, PrintfSpec& spec) {
    spec = PrintfSpec{};
    std::size_t i = 0;
    while (i < text.size() && std::string_view("-+ #0").find(text[i]) != std::string_view::npos) ++i;
    spec.flags = text.substr(0, i);
    if (i < text.size() && text[i] == '*') {
        spec.hasWidth = spec.widthFromArgument = true;
        ++i;
    } else if (i < text.size() && IsDigit(text[i])) {
        spec.hasWidth = true;
        spec.width = ReadNumber(text, i);
    }
    if (i < text.size() && text[i] == '.') {
        spec.hasPrecision = true;
        ++i;
        if (i < text.size() && text[i] == '*') {
            spec.precisionFromArgument = true;
            ++i;
        } else {
            spec.precision = ReadNumber(text, i);
        }
    }
    spec.lengthModifier = ReadLengthModifier(text, i);
    i += spec.lengthModifier.size();
    if (i >= text.size()) return 0;
    spec.conversion = text[i];
    return i + 1;
}

Placeholder ReadPlaceholder(std::string_view text, std::size_t argumentCount) {
    Placeholder placeholder;
    if (text.size() < 2) return placeholder;
    if (text[1] == '%') {
        placeholder.kind = PlaceholderKind::Percent;
        placeholder.length = 2;
        return placeholder;
    }
    std::size_t i = 1;
    std::size_t number = 0;
    bool overflow = false;
    while (i < text.size() && IsDigit(text[i])) {
        number = number * 10 + static_cast<std::size_t>(text[i] - '0');
        if (number > argumentCount) overflow = true;
        ++i;
    }
    bool isIndex = i > 1 && !overflow && number >= 1;
    std::size_t specStart = 1;
    if (isIndex) {
        placeholder.index = number - 1;
        if (i == text.size() || text[i] != '$') {
            placeholder.kind = PlaceholderKind::Bare;
            placeholder.length = i;
            return placeholder;
        }
        specStart = i + 1;
    }
    std::size_t taken = ReadPrintfSpec(text.substr(specStart), placeholder.spec);
    if (taken == 0) return placeholder;
    placeholder.length = specStart + taken;
    // The "%" counts toward the printf conversion's length, the index does not.
    placeholder.kind = 1 + taken > kMaxSpecLength ? PlaceholderKind::TooLong
                       : isIndex                  ? PlaceholderKind::Indexed
                                                  : PlaceholderKind::Sequential;
    return placeholder;
}

std::size_t ArgumentsTaken(const Placeholder& placeholder) {
    switch (placeholder.kind) {
        case PlaceholderKind::Bare:
            return 1;
        case PlaceholderKind::Indexed:
        case PlaceholderKind::Sequential:
            return 1 + (placeholder.spec.widthFromArgument ? 1 : 0) +
                   (placeholder.spec.precisionFromArgument ? 1 : 0);
        default:
            return 0;
    }
}

}  // namespace Zarn::Logging::detail
