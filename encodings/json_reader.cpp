#include "encodings/json_reader.h"

#include <rapidjson/reader.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "encodings/detail/value_builder.h"
#include "logging/message_format.h"

namespace Zarn::Encodings {
namespace {

using Binding::BindingProperty;

// Numbers arrive as their text and are converted here: the tokenizer's own conversion is one unit
// in the last place off for some decimals, and its full-precision mode misreads others (thirty
// zeros after "0." read as 9.6e-240). Iterative: the recursive parser exhausts the stack on deep
// nesting. In place: strings are decoded inside a copy of the text instead of being copied once
// more through the reader's stack.
constexpr unsigned kParseFlags =
    rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseInsituFlag;

// Reads a JSON integer exactly. False for a number with a fraction or an exponent, or one that
// does not fit 64 bits: those are floats.
bool ReadInteger(std::string_view text, BindingProperty& target) {
    bool negative = text.front() == '-';
    std::uint64_t magnitude = 0;
    for (char c : text.substr(negative ? 1 : 0)) {
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (digit > 9 || magnitude > (UINT64_MAX - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) {
        target.SetUnsigned(magnitude);
    } else if (magnitude <= std::uint64_t{1} << 63) {
        target.SetSigned(static_cast<std::int64_t>(0 - magnitude));
    } else {
        return false;
    }
    return true;
}

// For a number out of the double range: whether it is too large, rather than too small. The two
// ranges lie hundreds of decimal orders apart, so the order of the first significant digit
// decides. The text follows the JSON grammar, which the tokenizer has checked.
bool BeyondLargestDouble(std::string_view text) {
    std::size_t i = text.front() == '-' ? 1 : 0;
    long long order = 0;  // decimal exponent of the first significant digit, plus one
    bool significant = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (text[i] != '0') significant = true;
        if (significant) ++order;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (significant) continue;
            if (text[i] != '0') {
                significant = true;
            } else {
                --order;
            }
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        long long exponent = 0;
        for (; i < text.size(); ++i) exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);
        order += negative ? -exponent : exponent;
    }
    return order > 0;
}

// RapidJSON's reader events, turned into values as they arrive (no intermediate document).
class ValueHandler {
public:
    // `text` is the buffer the reader decodes in place: numbers arrive as pointers into it.
    ValueHandler(BindingProperty& root, const char* text) : builder_(root), text_(text) {}

    bool DepthExceeded() const noexcept { return depthExceeded_; }
    // Where the number that no double can hold starts, when that stopped the reader.
    std::optional<std::size_t> NumberTooBig() const noexcept { return numberTooBig_; }

    bool Null() {
        builder_.Target();
        return true;
    }
    bool Bool(bool value) {
        builder_.Target().SetBool(value);
        return true;
    }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        std::string_view number(text, length);
        BindingProperty& target = builder_.Target();
        if (ReadInteger(number, target)) return true;
        double value = 0.0;
        if (std::from_chars(number.data(), number.data() + number.size(), value).ec ==
            std::errc::result_out_of_range) {
            if (BeyondLargestDouble(number)) {
                numberTooBig_ = static_cast<std::size_t>(number.data() - text_);
                return false;
            }
            value = number.front() == '-' ? -0.0 : 0.0;  // below the smallest double
        }
        target.SetFloat(value);
        return true;
    }
    // Not called: numbers arrive as text (RawNumber).
    bool Int(int) { return false; }
    bool Int64(std::int64_t) { return false; }
    bool Uint(unsigned) { return false; }
    bool Uint64(std::uint64_t) { return false; }
    bool Double(double) { return false; }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        builder_.Target().SetString(std::string_view(text, length));
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        builder_.SetKey(std::string_view(text, length));
        return true;
    }
    bool StartObject() { return Open(true); }
    bool EndObject(rapidjson::SizeType) {
        builder_.Close();
        return true;
    }
    bool StartArray() { return Open(false); }
    bool EndArray(rapidjson::SizeType) {
        builder_.Close();
        return true;
    }

private:
    bool Open(bool structure) {
        if (builder_.Open(structure)) return true;
        depthExceeded_ = true;
        return false;
    }

    detail::ValueBuilder<> builder_;
    const char* text_;
    bool depthExceeded_ = false;
    std::optional<std::size_t> numberTooBig_;
};

const char* ErrorText(rapidjson::ParseErrorCode code) {
    switch (code) {
        case rapidjson::kParseErrorDocumentRootNotSingular:
            return "The document root must not be followed by other values.";
        case rapidjson::kParseErrorValueInvalid:
            return "Invalid value.";
        case rapidjson::kParseErrorObjectMissName:
            return "Missing a name for object member.";
        case rapidjson::kParseErrorObjectMissColon:
            return "Missing a colon after a name of object member.";
        case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
            return "Missing a comma or '}' after an object member.";
        case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
            return "Missing a comma or ']' after an array element.";
        case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
            return "Incorrect hex digit after \\u escape in string.";
        case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
            return "The surrogate pair in string is invalid.";
        case rapidjson::kParseErrorStringEscapeInvalid:
            return "Invalid escape character in string.";
        case rapidjson::kParseErrorStringMissQuotationMark:
            return "Missing a closing quotation mark in string.";
        case rapidjson::kParseErrorStringInvalidEncoding:
            return "Invalid encoding in string.";
        case rapidjson::kParseErrorNumberTooBig:
            return "Number too big to be stored in double.";
        case rapidjson::kParseErrorNumberMissFraction:
            return "Miss fraction part in number.";
        case rapidjson::kParseErrorNumberMissExponent:
            return "Miss exponent in number.";
        case rapidjson::kParseErrorTermination:
            return "Terminate parsing due to Handler error.";
        case rapidjson::kParseErrorUnspecificSyntaxError:
            return "Unspecific syntax error.";
        default:
            return "Unknown error.";
    }
}

std::string ErrorMessage(std::string_view text, std::size_t offset) {
    return Logging::FormatMessage("Error: %s at offset %u.", text, offset);
}

bool IsJsonWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

Binding::BindingResult ReadJson(std::string_view text) {
    Binding::BindingResult result;
    std::size_t start = 0;
    while (start < text.size() && IsJsonWhiteSpace(text[start])) ++start;
    if (start == text.size()) return result;

    // The copy ends with a NUL, where the stream stops; one inside the text stops it early.
    std::string buffer(text);
    rapidjson::InsituStringStream stream(buffer.data());
    rapidjson::Reader reader;
    ValueHandler handler(result.Value(), buffer.data());
    rapidjson::ParseResult parsed = reader.Parse<kParseFlags>(stream, handler);
    if (parsed.IsError()) {
        if (handler.DepthExceeded()) {
            std::string depthText =
                Logging::FormatMessage("Nesting deeper than %1 levels is not supported.", kMaxDecodeDepth);
            result.Fail(ErrorMessage(depthText, parsed.Offset()));
        } else if (handler.NumberTooBig()) {
            result.Fail(ErrorMessage(ErrorText(rapidjson::kParseErrorNumberTooBig), *handler.NumberTooBig()));
        } else if (parsed.Code() == rapidjson::kParseErrorDocumentEmpty) {
            // Only a NUL byte where the value should start gets here: white space was skipped.
            result.Fail(ErrorMessage(ErrorText(rapidjson::kParseErrorValueInvalid), parsed.Offset()));
        } else {
            result.Fail(ErrorMessage(ErrorText(parsed.Code()), parsed.Offset()));
        }
    } else if (stream.Tell() < text.size()) {
        // The stream reports a NUL byte as its end; anything from there on is trailing content.
        result.Fail(ErrorMessage(ErrorText(rapidjson::kParseErrorDocumentRootNotSingular), stream.Tell()));
    }
    return result;
}

}  // namespace Zarn::Encodings
