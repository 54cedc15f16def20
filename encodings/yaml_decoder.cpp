#include "encodings/yaml_decoder.h"

#include <yaml.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "binding/fnv1a.h"
#include "encodings/decode_limits.h"
#include "encodings/detail/value_builder.h"
#include "logging/message_format.h"

namespace Zarn::Encodings {
namespace {

using Binding::BindingProperty;

constexpr std::string_view kStringTag = "tag:yaml.org,2002:str";
constexpr std::string_view kIntegerTag = "tag:yaml.org,2002:int";
constexpr std::string_view kFloatTag = "tag:yaml.org,2002:float";
constexpr std::string_view kBoolTag = "tag:yaml.org,2002:bool";

constexpr std::string_view kTrueWords[] = {"true", "True", "TRUE", "y",  "Y", "yes",
                                           "Yes",  "YES",  "on",   "On", "ON"};
constexpr std::string_view kFalseWords[] = {"false", "False", "FALSE", "n",   "N",  "no",
                                            "No",    "NO",    "off",   "Off", "OFF"};
constexpr std::string_view kNullWords[] = {"", "~", "null", "Null", "NULL"};

template <std::size_t N>
bool IsWord(std::string_view text, const std::string_view (&words)[N]) {
    return std::find(std::begin(words), std::end(words), text) != std::end(words);
}

// strtod's notion of white space, which it skips before a number.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// An optional sign, then decimal digits or "0x" and hexadecimal digits, nothing else. Read
// exactly: strtod rounds integers beyond 2^53, which would change identifiers. False when the
// text is not such an integer or does not fit 64 bits (strtod then decides).
bool TypeExactInteger(const char* begin, const char* end, BindingProperty& target) {
    bool negative = begin != end && *begin == '-';
    if (begin != end && (*begin == '-' || *begin == '+')) ++begin;
    int base = 10;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    if (begin == end) return false;
    std::uint64_t magnitude = 0;
    for (const char* p = begin; p != end; ++p) {
        int digit = DigitValue(*p);
        if (digit >= base) return false;
        if (magnitude > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return false;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (!negative || magnitude == 0) {
        target.SetUnsigned(magnitude);  // "-0" reads as 0, which is not negative
    } else if (magnitude <= std::uint64_t{1} << 63) {
        target.SetSigned(static_cast<std::int64_t>(0 - magnitude));
    } else {
        return false;
    }
    return true;
}

// A plain scalar that strtod reads whole (white space around it aside) to a finite value.
// `text` is NUL-terminated, as libyaml hands it over.
bool TypePlainNumber(const char* text, std::size_t length, BindingProperty& target) {
    const char* begin = text;
    const char* end = text + length;
    while (begin != end && IsSpace(*begin)) ++begin;
    while (end != begin && IsSpace(end[-1])) --end;
    if (begin == end) return false;
    if (TypeExactInteger(begin, end, target)) return true;
    char* parsedEnd = nullptr;
    double value = std::strtod(begin, &parsedEnd);
    if (parsedEnd != end || !std::isfinite(value)) return false;
    // Integral values beyond 64 bits stay floats: converting them to an integer is undefined.
    if (value != std::trunc(value)) {
        target.SetFloat(value);
    } else if (value < 0) {
        if (value >= -9223372036854775808.0) {
            target.SetSigned(static_cast<std::int64_t>(value));
        } else {
            target.SetFloat(value);
        }
    } else if (value < 18446744073709551616.0) {
        target.SetUnsigned(static_cast<std::uint64_t>(value));
    } else {
        target.SetFloat(value);
    }
    return true;
}

struct OpenNode {
    std::string anchor;            // empty when the node carries none
    std::size_t height = 1;        // levels of containers in the node, itself included
    std::size_t valuesBefore = 0;  // values of the document before this node
};

struct Anchor {
    BindingProperty value;
    std::size_t values = 0;  // the value's nodes, itself included
    std::size_t height = 0;  // its container levels
    bool complete = false;   // false while the anchored container is still open
};

class Decoder {
public:
    explicit Decoder(Binding::BindingResult& result)
        : result_(result), builder_(result.Value()), anchors_(8) {
        anchors_.max_load_factor(1.0f);
    }

    // False once the result has failed.
    bool Handle(const yaml_event_t& event) {
        switch (event.type) {
            case YAML_DOCUMENT_START_EVENT:
                if (result_.Value().Kind() != Binding::BindingKind::Empty) {
                    return Fail("Multi-document YAML is not supported.");
                }
                return true;
            case YAML_SCALAR_EVENT:
                return Scalar(event);
            case YAML_SEQUENCE_START_EVENT:
                return Open(event, false, event.data.sequence_start.anchor);
            case YAML_MAPPING_START_EVENT:
                return Open(event, true, event.data.mapping_start.anchor);
            case YAML_SEQUENCE_END_EVENT:
            case YAML_MAPPING_END_EVENT:
                return Close(event);
            case YAML_ALIAS_EVENT:
                return Alias(event);
            default:
                return true;
        }
    }

    bool Fail(const std::string& message) {
        result_.Fail(message);
        return false;
    }

private:
    static std::string_view Text(const yaml_char_t* text) {
        return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
    }

    // Messages name the event's start, counted from 1.
    bool FailAt(std::string_view pattern, const yaml_event_t& event) {
        return Fail(Logging::FormatMessage(pattern, event.start_mark.line + 1, event.start_mark.column + 1));
    }
    bool FailAt(std::string_view pattern, std::string_view name, const yaml_event_t& event) {
        return Fail(
            Logging::FormatMessage(pattern, name, event.start_mark.line + 1, event.start_mark.column + 1));
    }

    bool Scalar(const yaml_event_t& event) {
        const auto& scalar = event.data.scalar;
        std::string_view text(reinterpret_cast<const char*>(scalar.value), scalar.length);
        std::string_view anchor = Text(scalar.anchor);
        if (builder_.ExpectsKey()) {
            if (scalar.tag && Text(scalar.tag) != kStringTag) {
                return FailAt("Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2",
                              event);
            }
            builder_.SetKey(text);
            if (anchor.empty()) return true;
            BindingProperty key;
            key.SetString(text);
            return Record(anchor, key, 1, 0, event);
        }
        BindingProperty& target = builder_.Target();
        if (!TypeScalar(scalar, text, target)) return false;
        ++values_;
        return anchor.empty() || Record(anchor, target, 1, 0, event);
    }

    bool TypeScalar(const decltype(yaml_event_t::data.scalar)& scalar, std::string_view text,
                    BindingProperty& target) {
        const char* chars = reinterpret_cast<const char*>(scalar.value);
        if (scalar.tag) {
            std::string_view tag = Text(scalar.tag);
            if (tag == kStringTag) {
                target.SetString(text);
            } else if (tag == kIntegerTag) {
                return text.starts_with('-') ? AssignSigned(chars, text.size(), target)
                                             : AssignUnsigned(chars, text.size(), target);
            } else if (tag == kFloatTag) {
                return AssignDouble(chars, text.size(), target);
            } else if (tag == kBoolTag) {
                if (IsWord(text, kTrueWords) || IsWord(text, kFalseWords)) {
                    target.SetBool(IsWord(text, kTrueWords));
                } else {
                    // Reporting it beats silently leaving a null where a boolean was promised.
                    return Fail(IncorrectFormat(text, "bool"));
                }
            } else {
                return Fail(Logging::FormatMessage("Unsupported YAML tag '%1'.", tag));
            }
        } else if (scalar.style == YAML_SINGLE_QUOTED_SCALAR_STYLE ||
                   scalar.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE) {
            target.SetString(text);
        } else if (IsWord(text, kNullWords)) {
            // The target already is "empty".
        } else if (TypePlainNumber(chars, text.size(), target)) {
            // typed
        } else if (IsWord(text, kTrueWords)) {
            target.SetBool(true);
        } else if (IsWord(text, kFalseWords)) {
            target.SetBool(false);
        } else {
            target.SetString(text);
        }
        return true;
    }

    static std::string IncorrectFormat(std::string_view text, std::string_view type) {
        return Logging::FormatMessage("Value %1 for '%2' of type %3 is in an incorrect format", text, "yaml",
                                      type);
    }
    static std::string OutOfRange(std::string_view text, std::string_view type) {
        return Logging::FormatMessage("Value %1 for '%2' of type %3 is out of range", text, "yaml", type);
    }

    // Tagged numbers follow the string rules of native assignment: automatic base for integers,
    // nothing may follow the number, overflow is out of range, an empty text is 0.
    bool AssignSigned(const char* text, std::size_t length, BindingProperty& target) {
        char* end = nullptr;
        errno = 0;
        long long value = std::strtoll(text, &end, 0);
        if (length != 0 && end != text + length) return Fail(IncorrectFormat({text, length}, "int64_t"));
        if (errno == ERANGE) return Fail(OutOfRange({text, length}, "int64_t"));
        target.SetSigned(value);
        return true;
    }
    bool AssignUnsigned(const char* text, std::size_t length, BindingProperty& target) {
        char* end = nullptr;
        errno = 0;
        unsigned long long value = std::strtoull(text, &end, 0);
        if (length != 0 && end != text + length) return Fail(IncorrectFormat({text, length}, "uint64_t"));
        // strtoull wraps a negative number around; white space before its sign hides it from the
        // caller's check.
        const char* first = text;
        while (IsSpace(*first)) ++first;
        if (errno == ERANGE || *first == '-') return Fail(OutOfRange({text, length}, "uint64_t"));
        target.SetUnsigned(value);
        return true;
    }
    bool AssignDouble(const char* text, std::size_t length, BindingProperty& target) {
        char* end = nullptr;
        errno = 0;
        double value = std::strtod(text, &end);
        if (length != 0 && end != text + length) return Fail(IncorrectFormat({text, length}, "double"));
        // Overflow and underflow set ERANGE, as for a text assigned to a double; the text "inf"
        // gives an infinity without it.
        if (errno == ERANGE || std::isinf(value)) return Fail(OutOfRange({text, length}, "double"));
        target.SetFloat(value);
        return true;
    }

    bool Open(const yaml_event_t& event, bool structure, const yaml_char_t* anchorText) {
        if (builder_.ExpectsKey()) {
            return FailAt(structure ? "Unexpected start of mapping. At line: %1 col: %2"
                                    : "Unexpected start of sequence. At line: %1 col: %2",
                          event);
        }
        std::string_view anchor = Text(anchorText);
        if (!anchor.empty()) {
            // Claimed now: an alias to it before its end is cyclic, a second anchor of that name
            // is a duplicate.
            if (anchors_.contains(anchor)) return Duplicate(anchor, event);
            anchors_.emplace(std::string(anchor), Anchor{});
        }
        if (!builder_.Open(structure, OpenNode{std::string(anchor), 1, values_})) return TooDeep(event);
        ++values_;
        return true;
    }

    bool Close(const yaml_event_t& event) {
        auto node = builder_.Close();
        if (!builder_.AtTopLevel()) {
            std::size_t& parentHeight = builder_.Innermost().data.height;
            parentHeight = std::max(parentHeight, node.data.height + 1);
        }
        if (node.data.anchor.empty()) return true;
        std::size_t values = values_ - node.data.valuesBefore;
        if (!CountCopies(values, event)) return false;
        Anchor& anchor = anchors_.find(node.data.anchor)->second;
        anchor.value = *node.value;
        anchor.values = values;
        anchor.height = node.data.height;
        anchor.complete = true;
        return true;
    }

    bool Alias(const yaml_event_t& event) {
        std::string_view name = Text(event.data.alias.anchor);
        auto found = anchors_.find(name);
        if (found != anchors_.end() && !found->second.complete) {
            return FailAt("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3", name,
                          event);
        }
        if (found == anchors_.end()) {
            return FailAt("Undefined alias encountered: \"%1\". At line: %2 col: %3", name, event);
        }
        const Anchor& anchor = found->second;
        if (builder_.ExpectsKey()) {
            // An alias serves as a key when its anchor holds a string.
            if (anchor.value.Kind() != Binding::BindingKind::String) {
                return FailAt("Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2",
                              event);
            }
            builder_.SetKey(anchor.value.GetString());
            return true;
        }
        if (builder_.Depth() + anchor.height > kMaxDecodeDepth) return TooDeep(event);
        if (!CountCopies(anchor.values, event)) return false;
        builder_.Target() = anchor.value;
        values_ += anchor.values;
        if (!builder_.AtTopLevel()) {
            std::size_t& height = builder_.Innermost().data.height;
            height = std::max(height, anchor.height + 1);
        }
        return true;
    }

    bool Record(std::string_view name, const BindingProperty& value, std::size_t values, std::size_t height,
                const yaml_event_t& event) {
        if (anchors_.contains(name)) return Duplicate(name, event);
        if (!CountCopies(values, event)) return false;
        anchors_.emplace(std::string(name), Anchor{value, values, height, true});
        return true;
    }

    bool Duplicate(std::string_view name, const yaml_event_t& event) {
        return FailAt("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", name, event);
    }

    bool TooDeep(const yaml_event_t& event) {
        return Fail(
            Logging::FormatMessage("Nesting deeper than %1 levels is not supported. At line: %2 col: %3",
                                   kMaxDecodeDepth, event.start_mark.line + 1, event.start_mark.column + 1));
    }

    bool CountCopies(std::size_t values, const yaml_event_t& event) {
        copies_ += values;
        if (copies_ <= kMaxYamlAliasCopies) return true;
        return Fail(Logging::FormatMessage(
            "Anchors and aliases copy more than %1 values. At line: %2 col: %3", kMaxYamlAliasCopies,
            event.start_mark.line + 1, event.start_mark.column + 1));
    }

    Binding::BindingResult& result_;
    detail::ValueBuilder<OpenNode> builder_;
    std::unordered_map<std::string, Anchor, Binding::Fnv1aTextHash, std::equal_to<>> anchors_;
    std::size_t values_ = 0;  // nodes of the document so far, copies through aliases included
    std::size_t copies_ = 0;  // nodes copied into the anchor table and out of it
};

class Parser {
public:
    Parser() { initialized_ = yaml_parser_initialize(&parser_) != 0; }
    ~Parser() {
        if (initialized_) yaml_parser_delete(&parser_);
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    bool Initialized() const noexcept { return initialized_; }
    yaml_parser_t& Get() noexcept { return parser_; }

private:
    yaml_parser_t parser_;
    bool initialized_ = false;
};

class Event {
public:
    Event() { std::memset(&event_, 0, sizeof event_); }
    ~Event() { yaml_event_delete(&event_); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    yaml_event_t& Get() noexcept { return event_; }

private:
    yaml_event_t event_;
};

}  // namespace

Binding::BindingResult DecodeYaml(std::string_view text) {
    Binding::BindingResult result;
    Decoder decoder(result);
    Parser parser;
    if (!parser.Initialized()) {
        decoder.Fail(
            Logging::FormatMessage("YAML parser error: %1. At line: %2 col: %3", "out of memory", 0, 0));
        return result;
    }
    yaml_parser_t& yaml = parser.Get();
    yaml_parser_set_encoding(&yaml, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&yaml, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    for (;;) {
        Event event;
        if (!yaml_parser_parse(&yaml, &event.Get())) {
            decoder.Fail(Logging::FormatMessage("YAML parser error: %1. At line: %2 col: %3",
                                                yaml.problem ? yaml.problem : "out of memory",
                                                yaml.problem_mark.line, yaml.problem_mark.column));
            break;
        }
        if (!decoder.Handle(event.Get()) || event.Get().type == YAML_STREAM_END_EVENT) break;
    }
    return result;
}

}  // namespace Zarn::Encodings
