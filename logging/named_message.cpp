#include "logging/named_message.h"

#include <algorithm>

#include "logging/detail/printf_spec.h"
#include "logging/message_format.h"

namespace Zarn::Logging {

namespace {

std::string_view TypeSuffix(const NamedValue& value) {
    switch (value.index()) {
        case 0:
            return "_bool";
        case 1:
        case 2:
            return "_int";
        case 3:
            return "_float";
        default:
            return "_str";
    }
}

bool HasTypeSuffix(std::string_view name) {
    std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) return false;
    std::string_view suffix = name.substr(underscore);
    for (std::string_view known : {"_bool", "_int", "_long", "_float", "_str", "_time"})
        if (suffix == known) return true;
    return false;
}

bool IsEmptyValue(const NamedValue& value) {
    return std::visit(
        [](const auto& v) {
            if constexpr (std::same_as<std::decay_t<decltype(v)>, std::string>)
                return v.empty();
            else
                return v == 0;
        },
        value);
}

MessageArgument ToArgument(const NamedValue& value) {
    return std::visit([](const auto& v) { return MessageArgument(v); }, value);
}

// A ":" specification is used only when it is one complete printf specification without "*" (which
// would take values meant for other placeholders).
std::string_view UsableSpec(std::string_view spec) {
    if (!spec.empty() && spec.front() == '%') spec.remove_prefix(1);
    if (spec.empty() || 1 + spec.size() > detail::kMaxSpecLength) return "s";
    detail::PrintfSpec parsed;
    if (detail::ReadPrintfSpec(spec, parsed) != spec.size()) return "s";
    if (parsed.widthFromArgument || parsed.precisionFromArgument) return "s";
    char conversion = parsed.conversion;
    bool letter = (conversion >= 'a' && conversion <= 'z') || (conversion >= 'A' && conversion <= 'Z');
    return letter ? spec : "s";
}

void AddField(std::vector<NamedField>& fields, std::string name, const NamedValue& value) {
    auto existing =
        std::find_if(fields.begin(), fields.end(), [&](const NamedField& f) { return f.name == name; });
    if (existing != fields.end())
        existing->value = value;
    else
        fields.push_back({std::move(name), value});
}

}  // namespace

NamedMessage FormatNamedValues(std::string_view format, std::span<const NamedValue> values) {
    NamedMessage result;
    std::string numbered;
    numbered.reserve(format.size() + 8);
    std::size_t position = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        if (c == '%') {
            detail::Placeholder placeholder = detail::ReadPlaceholder(format.substr(i), values.size());
            if (placeholder.kind == detail::PlaceholderKind::Incomplete ||
                placeholder.kind == detail::PlaceholderKind::TooLong) {
                // Formatting stops there anyway; keep the text for the formatter to judge.
                numbered.append(format.substr(i));
                break;
            }
            numbered.append(format.substr(i, placeholder.length));
            position += detail::ArgumentsTaken(placeholder);
            i += placeholder.length;
            continue;
        }
        if (c == '}') {
            numbered += '}';
            i += i + 1 < format.size() && format[i + 1] == '}' ? 2 : 1;
            continue;
        }
        if (c != '{') {
            numbered += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '{') {
            numbered += '{';
            i += 2;
            continue;
        }

        std::size_t j = i + 1;
        bool typed = j < format.size() && format[j] == '#';
        if (typed) ++j;
        bool omitEmpty = false;
        bool inConversion = false;
        bool closed = false;
        std::string name;
        std::string_view spec;
        while (j < format.size()) {
            char n = format[j];
            if (n == '\\' && j + 1 < format.size()) {
                name += format[j + 1];
                j += 2;
            } else if (n == '}') {
                closed = true;
                ++j;
                break;
            } else if (n == ':') {
                std::size_t end = format.find('}', j + 1);
                if (end == std::string_view::npos) break;
                spec = format.substr(j + 1, end - j - 1);
                closed = true;
                j = end + 1;
                break;
            } else {
                if (n == '?') omitEmpty = true;
                if (n == '!') inConversion = true;
                // "!" and what follows it up to another option are a conversion with no effect here.
                if (n != '?' && n != '!' && !inConversion) name += n;
                ++j;
            }
        }
        if (!closed) {
            // No closing brace: not a placeholder, so the brace is text.
            numbered += '{';
            ++i;
            continue;
        }
        i = j;
        if (position >= values.size()) continue;

        const NamedValue& value = values[position];
        ++position;
        numbered += '%';
        numbered += std::to_string(position);
        numbered += '$';
        numbered += UsableSpec(spec);
        if (typed && !HasTypeSuffix(name)) name += TypeSuffix(value);
        if (!(omitEmpty && IsEmptyValue(value))) AddField(result.fields, std::move(name), value);
    }

    std::vector<MessageArgument> arguments;
    arguments.reserve(values.size());
    for (const NamedValue& value : values) arguments.push_back(ToArgument(value));
    result.text = FormatMessageArguments(numbered, arguments);
    return result;
}

}  // namespace Zarn::Logging
