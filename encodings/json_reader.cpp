#include "encodings/json_reader.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <cstdint>
#include <string>

#include "encodings/detail/value_builder.h"
#include "logging/message_format.h"

namespace Zarn::Encodings {
namespace {

using Binding::BindingProperty;

// Full precision: the default number parser is one unit in the last place off for some decimals,
// which a read-then-write round trip would show. Iterative: the recursive parser exhausts the
// stack on deep nesting.
constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag;

// RapidJSON's reader events, turned into values as they arrive (no intermediate document).
class ValueHandler {
public:
    explicit ValueHandler(BindingProperty& root) : builder_(root) {}

    bool DepthExceeded() const noexcept { return depthExceeded_; }

    bool Null() {
        builder_.Target();
        return true;
    }
    bool Bool(bool value) {
        builder_.Target().SetBool(value);
        return true;
    }
    // The reader calls Int/Int64 only for numbers written with a minus sign.
    bool Int(int value) {
        builder_.Target().SetSigned(value);
        return true;
    }
    bool Int64(std::int64_t value) {
        builder_.Target().SetSigned(value);
        return true;
    }
    bool Uint(unsigned value) {
        builder_.Target().SetUnsigned(value);
        return true;
    }
    bool Uint64(std::uint64_t value) {
        builder_.Target().SetUnsigned(value);
        return true;
    }
    bool Double(double value) {
        builder_.Target().SetFloat(value);
        return true;
    }
    bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }  // not requested
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
        if (builder_.Open(builder_.Target(), structure)) return true;
        depthExceeded_ = true;
        return false;
    }

    detail::ValueBuilder<> builder_;
    bool depthExceeded_ = false;
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

    // The stream ends at the text's size, so the text needs no terminating NUL.
    rapidjson::MemoryStream stream(text.data(), text.size());
    rapidjson::Reader reader;
    ValueHandler handler(result.Value());
    rapidjson::ParseResult parsed = reader.Parse<kParseFlags>(stream, handler);
    if (parsed.IsError()) {
        if (handler.DepthExceeded()) {
            std::string depthText =
                Logging::FormatMessage("Nesting deeper than %1 levels is not supported.", kMaxDecodeDepth);
            result.Fail(ErrorMessage(depthText, parsed.Offset()));
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
