#include "binding/native_conversion.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "binding/binding_registry.h"
#include "binding/type_record.h"
#include "logging/message_format.h"

namespace Zarn::Binding::detail {
namespace {

constexpr std::string_view kRequired = "A value for '%1' is required.";
constexpr std::string_view kBoolFormat =
    "Value %1 for '%2' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", "
    "\"0\".";
constexpr std::string_view kBoolInvalidType =
    "Couldn't assign value to '%1' of type bool because the input is of an invalid type %2.";
constexpr std::string_view kInvalidType =
    "Couldn't assign value to '%1' of type %2 because the input is of an invalid type %3.";
constexpr std::string_view kIncorrectFormat = "Value %1 for '%2' of type %3 is in an incorrect format";
constexpr std::string_view kOutOfRange = "Value %1 for '%2' of type %3 is out of range";
constexpr std::string_view kUnknownEnumerator = "%1 is not a valid enumeration value for '%2'.";
constexpr std::string_view kNotAString = "Couldn't assign value to '%1' because the input is not a string.";
constexpr std::string_view kInvalidEnumValue = "%1 is not a valid %2 enumeration value for '%3'.";
constexpr std::string_view kEnumInvalidType =
    "Couldn't assign value to '%1' of enum type because the input is of an invalid type %2.";
constexpr std::string_view kUnregisteredStructure =
    "Couldn't assign value to '%1' because the input is an unregistered structure or not a structure at all.";
constexpr std::string_view kNotAStructure =
    "Couldn't assign value to '%1' of type %2 because the input not a structure.";
constexpr std::string_view kMissingRequiredField =
    "Couldn't assign value to '%1' of type %2 because the input structure doesn't have required field '%3'.";
constexpr std::string_view kNotACollection =
    "Couldn't assign value to '%1' of type vector because the input not a collection.";
constexpr std::string_view kConvertUnregistered =
    "Couldn't convert native value because it's an unregistered structure.";

template <class... Args>
void Fail(BindingResult& result, std::string_view text, const Args&... arguments) {
    result.Fail(Logging::FormatMessage(text, arguments...));
}

std::string_view KindName(const BindingProperty& value) { return BindingKindName(value.Kind()); }

// Integers parsed from text: strtoll/strtoull with automatic base, so "0x10" is 16 and "010" is 8. The
// text is copied because values may hold any byte and the parsers need a terminator; a NUL inside the
// text therefore counts as a trailing character.
enum class ParseOutcome { Ok, Format, Range };

struct ParsedSigned {
    ParseOutcome outcome;
    std::int64_t value;
};

ParsedSigned ParseSigned(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(copy.c_str(), &end, 0);
    if (end != copy.c_str() + copy.size()) return {ParseOutcome::Format, 0};
    if (errno == ERANGE) return {ParseOutcome::Range, 0};
    return {ParseOutcome::Ok, static_cast<std::int64_t>(value)};
}

struct ParsedUnsigned {
    ParseOutcome outcome;
    std::uint64_t value;
};

ParsedUnsigned ParseUnsigned(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(copy.c_str(), &end, 0);
    if (end != copy.c_str() + copy.size()) return {ParseOutcome::Format, 0};
    // strtoull accepts a minus sign and wraps the number around; a negative number is out of range
    // even after leading white space.
    const std::size_t first = copy.find_first_not_of(" \t\n\v\f\r");
    if (errno == ERANGE || (first != std::string::npos && copy[first] == '-'))
        return {ParseOutcome::Range, 0};
    return {ParseOutcome::Ok, static_cast<std::uint64_t>(value)};
}

struct ParsedDouble {
    ParseOutcome outcome;
    double value;
};

ParsedDouble ParseDouble(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return {ParseOutcome::Format, 0};
    if (errno == ERANGE) return {ParseOutcome::Range, 0};
    return {ParseOutcome::Ok, value};
}

// 2^63 and 2^64: the first doubles beyond the 64-bit ranges. The largest 64-bit integers round up to them
// as doubles, so a plain "v <= max" would let a value through whose conversion is undefined.
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

bool IsRegisteredValue(const TypeRecord* record, std::int64_t value) {
    return record != nullptr && value >= INT32_MIN && value <= INT32_MAX &&
           record->FindValue(static_cast<std::int32_t>(value)) != nullptr;
}

int Base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Standard Base64 with padding, the form blobs take as text; anything else is rejected.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        std::uint32_t group = 0;
        for (int j = 0; j < 4; ++j) {
            const int digit = j >= 4 - padding ? 0 : Base64Digit(text[i + j]);
            if (digit < 0) return std::nullopt;
            group = (group << 6) | static_cast<std::uint32_t>(digit);
        }
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return bytes;
}

}  // namespace

void AssignBool(const BindingProperty& input, bool& native, std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        case BindingKind::Bool:
            native = input.GetBool();
            return;
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            if (text == "true" || text == "1") {
                native = true;
            } else if (text == "false" || text == "0") {
                native = false;
            } else {
                Fail(result, kBoolFormat, text, name);
            }
            return;
        }
        default:
            return Fail(result, kBoolInvalidType, name, KindName(input));
    }
}

void AssignSignedInteger(const BindingProperty& input, std::int64_t& native, std::int64_t min,
                         std::int64_t max, NativeTypeKind kind, std::string_view name,
                         BindingResult& result) {
    if (result.Failed()) return;
    const std::string_view typeName = NativeTypeKindName(kind);
    const auto inRange = [&](std::int64_t value) { return value >= min && value <= max; };
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        case BindingKind::Signed:
        case BindingKind::Enum: {
            const std::int64_t value =
                input.Kind() == BindingKind::Signed ? input.GetSigned() : input.GetEnum().value;
            if (!inRange(value)) return Fail(result, kOutOfRange, value, name, typeName);
            native = value;
            return;
        }
        case BindingKind::Unsigned: {
            const std::uint64_t value = input.GetUnsigned();
            if (value > static_cast<std::uint64_t>(max))
                return Fail(result, kOutOfRange, value, name, typeName);
            native = static_cast<std::int64_t>(value);
            return;
        }
        case BindingKind::Float: {
            const double value = input.GetFloat();
            // NaN fails both comparisons.
            if (!(value >= static_cast<double>(min) && value <= static_cast<double>(max) &&
                  value < kTwoTo63)) {
                return Fail(result, kOutOfRange, value, name, typeName);
            }
            native = static_cast<std::int64_t>(value);
            return;
        }
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            const ParsedSigned parsed = ParseSigned(text);
            if (parsed.outcome == ParseOutcome::Format)
                return Fail(result, kIncorrectFormat, text, name, typeName);
            if (parsed.outcome == ParseOutcome::Range || !inRange(parsed.value)) {
                return Fail(result, kOutOfRange, text, name, typeName);
            }
            native = parsed.value;
            return;
        }
        default:
            return Fail(result, kInvalidType, name, typeName, KindName(input));
    }
}

void AssignUnsignedInteger(const BindingProperty& input, std::uint64_t& native, std::uint64_t max,
                           NativeTypeKind kind, std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    const std::string_view typeName = NativeTypeKindName(kind);
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        case BindingKind::Signed:
        case BindingKind::Enum: {
            const std::int64_t value =
                input.Kind() == BindingKind::Signed ? input.GetSigned() : input.GetEnum().value;
            if (value < 0 || static_cast<std::uint64_t>(value) > max) {
                return Fail(result, kOutOfRange, value, name, typeName);
            }
            native = static_cast<std::uint64_t>(value);
            return;
        }
        case BindingKind::Unsigned: {
            const std::uint64_t value = input.GetUnsigned();
            if (value > max) return Fail(result, kOutOfRange, value, name, typeName);
            native = value;
            return;
        }
        case BindingKind::Float: {
            const double value = input.GetFloat();
            if (value < 0 || value > static_cast<double>(max) || value >= kTwoTo64) {
                return Fail(result, kOutOfRange, value, name, typeName);
            }
            // A NaN passes the range test; it has no integer value, so it assigns 0.
            native = std::isnan(value) ? 0 : static_cast<std::uint64_t>(value);
            return;
        }
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            const ParsedUnsigned parsed = ParseUnsigned(text);
            if (parsed.outcome == ParseOutcome::Format)
                return Fail(result, kIncorrectFormat, text, name, typeName);
            if (parsed.outcome == ParseOutcome::Range || parsed.value > max) {
                return Fail(result, kOutOfRange, text, name, typeName);
            }
            native = parsed.value;
            return;
        }
        default:
            return Fail(result, kInvalidType, name, typeName, KindName(input));
    }
}

void AssignFloatingPoint(const BindingProperty& input, double& native, double max, NativeTypeKind kind,
                         std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    const std::string_view typeName = NativeTypeKindName(kind);
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        // Every 64-bit integer lies inside the range of float and of double.
        case BindingKind::Signed:
            native = static_cast<double>(input.GetSigned());
            return;
        case BindingKind::Unsigned:
            native = static_cast<double>(input.GetUnsigned());
            return;
        case BindingKind::Enum:
            native = input.GetEnum().value;
            return;
        case BindingKind::Float: {
            const double value = input.GetFloat();
            if (value < -max || value > max) return Fail(result, kOutOfRange, value, name, typeName);
            native = value;
            return;
        }
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            const ParsedDouble parsed = ParseDouble(text);
            if (parsed.outcome == ParseOutcome::Format)
                return Fail(result, kIncorrectFormat, text, name, typeName);
            if (parsed.outcome == ParseOutcome::Range || parsed.value < -max || parsed.value > max) {
                return Fail(result, kOutOfRange, text, name, typeName);
            }
            native = parsed.value;
            return;
        }
        default:
            return Fail(result, kInvalidType, name, typeName, KindName(input));
    }
}

void AssignString(const BindingRegistry& registry, const BindingProperty& input, std::string& native,
                  std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        case BindingKind::String:
            native.assign(input.GetString());
            return;
        case BindingKind::Enum: {
            const BindingEnum value = input.GetEnum();
            const char* enumeratorName = registry.EnumeratorName(value.typeId, value.value);
            if (enumeratorName == nullptr) return Fail(result, kUnknownEnumerator, value.value, name);
            native.assign(enumeratorName);
            return;
        }
        default:
            return Fail(result, kNotAString, name);
    }
}

void AssignBlob(const BindingProperty& input, std::vector<std::uint8_t>& native, std::string_view name,
                BindingResult& result) {
    if (result.Failed()) return;
    const std::string_view typeName = NativeTypeKindName(NativeTypeKind::Blob);
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        case BindingKind::Blob:
            native = input.GetBlob();
            return;
        // Text encodings carry blobs as Base64, which is also how they are written.
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            std::optional<std::vector<std::uint8_t>> bytes = DecodeBase64(text);
            if (!bytes) return Fail(result, kIncorrectFormat, text, name, typeName);
            native = std::move(*bytes);
            return;
        }
        default:
            return Fail(result, kInvalidType, name, typeName, KindName(input));
    }
}

void AssignObject(const BindingProperty& input, BindingProperty& native, BindingResult& result) {
    if (result.Failed()) return;
    native = input;
}

void AssignEnumValue(const TypeDescriptor& type, const BindingProperty& input, std::int32_t& native,
                     std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    const TypeRecord* record = type.Record();
    const std::string typeName = type.NativeName();
    const auto accept = [&](std::int64_t value) {
        if (!IsRegisteredValue(record, value)) return false;
        native = static_cast<std::int32_t>(value);
        return true;
    };
    switch (input.Kind()) {
        case BindingKind::Empty:
            return Fail(result, kRequired, name);
        // A number must be a registered value as it stands: a wider number is not cut to 32 bits.
        case BindingKind::Signed:
            if (!accept(input.GetSigned()))
                Fail(result, kInvalidEnumValue, input.GetSigned(), typeName, name);
            return;
        case BindingKind::Unsigned: {
            const std::uint64_t value = input.GetUnsigned();
            if (value > static_cast<std::uint64_t>(INT32_MAX) || !accept(static_cast<std::int64_t>(value))) {
                Fail(result, kInvalidEnumValue, value, typeName, name);
            }
            return;
        }
        // The type id an "enum" value carries is not compared: values of a twin enumeration are accepted.
        case BindingKind::Enum:
            if (!accept(input.GetEnum().value))
                Fail(result, kInvalidEnumValue, input.GetEnum().value, typeName, name);
            return;
        case BindingKind::String: {
            const std::string_view text = input.GetString();
            if (record != nullptr) {
                if (const EnumeratorRecord* enumerator = record->FindValue(text)) {
                    native = enumerator->value;
                    return;
                }
            }
            const ParsedSigned parsed = ParseSigned(text);
            if (parsed.outcome != ParseOutcome::Ok || !accept(parsed.value)) {
                Fail(result, kInvalidEnumValue, text, typeName, name);
            }
            return;
        }
        default:
            return Fail(result, kEnumInvalidType, name, KindName(input));
    }
}

void AssignStruct(const BindingRegistry& registry, const TypeDescriptor& type, const BindingProperty& input,
                  void* native, std::string_view name, BindingResult& result) {
    if (result.Failed()) return;
    const TypeRecord* record = type.Record();
    if (input.Kind() == BindingKind::Empty) return Fail(result, kRequired, name);
    if (record == nullptr || record->IsEnumeration()) return Fail(result, kUnregisteredStructure, name);
    if (input.Kind() != BindingKind::Structure) return Fail(result, kNotAStructure, name, record->Name());
    auto* bytes = static_cast<unsigned char*>(native);
    for (const FieldRecord& field : record->Fields()) {
        if (result.Failed()) return;
        const BindingProperty& value = input.Field(field.Key());
        if (value.Kind() == BindingKind::Empty) {
            if (field.Required()) Fail(result, kMissingRequiredField, name, record->Name(), field.Key());
            continue;
        }
        field.Converter().assign(registry, field.Type(), value, bytes + field.Offset(), field.Key(), result);
    }
}

void ConvertStruct(const BindingRegistry& registry, const TypeDescriptor& type, const void* native,
                   BindingProperty& output, BindingResult& result) {
    if (result.Failed()) return;
    const TypeRecord* record = type.Record();
    if (record == nullptr || record->IsEnumeration()) return Fail(result, kConvertUnregistered);
    output.Reset();
    output.MakeStructure();
    const auto* bytes = static_cast<const unsigned char*>(native);
    for (const FieldRecord& field : record->Fields()) {
        if (result.Failed()) return;
        const void* fieldValue = bytes + field.Offset();
        if (field.OmitWhenDefault() && field.Converter().isDefault(registry, field.Type(), fieldValue))
            continue;
        field.Converter().convert(registry, field.Type(), fieldValue, output.WriteField(field.Key()), result);
    }
}

namespace {

// The top-level fields of a struct record that hold any value (a BindingProperty member).
bool HoldsDocument(const FieldRecord& field) {
    return field.Type().Kind() == NativeTypeKind::Object && !field.SecondType().has_value();
}

BindingProperty& MemberAt(void* native, const FieldRecord& field) {
    return *reinterpret_cast<BindingProperty*>(static_cast<unsigned char*>(native) + field.Offset());
}

}  // namespace

void AssignStructTakingDocuments(const BindingRegistry& registry, const TypeDescriptor& type,
                                 BindingProperty& input, void* native, std::string_view name,
                                 BindingResult& result) {
    if (result.Failed()) return;
    const TypeRecord* record = type.Record();
    std::vector<std::pair<const FieldRecord*, BindingProperty>> taken;
    if (record != nullptr && !record->IsEnumeration() && input.Kind() == BindingKind::Structure) {
        for (const FieldRecord& field : record->Fields()) {
            if (!HoldsDocument(field) || input.Field(field.Key()).Kind() == BindingKind::Empty) continue;
            BindingProperty& slot = input.WriteField(field.Key());
            taken.emplace_back(&field, std::move(slot));
            // A present field stays present, so the required-field rules see what they saw before.
            slot.SetBool(false);
        }
    }
    AssignStruct(registry, type, input, native, name, result);
    if (result.Failed()) return;
    for (auto& [field, document] : taken) MemberAt(native, *field) = std::move(document);
}

void ConvertStructTakingDocuments(const BindingRegistry& registry, const TypeDescriptor& type, void* native,
                                  BindingProperty& output, BindingResult& result) {
    if (result.Failed()) return;
    const TypeRecord* record = type.Record();
    std::vector<std::pair<const FieldRecord*, BindingProperty>> taken;
    if (record != nullptr && !record->IsEnumeration()) {
        for (const FieldRecord& field : record->Fields()) {
            if (!HoldsDocument(field)) continue;
            BindingProperty& member = MemberAt(native, field);
            // Values an omit-when-default field leaves out stay where they are (they are small).
            if (IsDefaultValue(member)) continue;
            taken.emplace_back(&field, std::move(member));
            // Not a default either, so the field is written where the document goes.
            member.SetBool(true);
        }
    }
    ConvertStruct(registry, type, native, output, result);
    if (result.Failed()) return;
    for (auto& [field, document] : taken) output.WriteField(field->Key()) = std::move(document);
}

bool IsDefaultStruct(const BindingRegistry& registry, const TypeDescriptor& type, const void* native) {
    // Converts to a structure of size 0 only when every field is left out.
    const TypeRecord* record = type.Record();
    if (record == nullptr || record->IsEnumeration()) return false;
    const auto* bytes = static_cast<const unsigned char*>(native);
    for (const FieldRecord& field : record->Fields()) {
        if (!field.OmitWhenDefault() ||
            !field.Converter().isDefault(registry, field.Type(), bytes + field.Offset())) {
            return false;
        }
    }
    return true;
}

bool IsDefaultValue(const BindingProperty& value) {
    switch (value.Kind()) {
        case BindingKind::Empty:
            return true;
        case BindingKind::Bool:
            return !value.GetBool();
        case BindingKind::Signed:
            return value.GetSigned() == 0;
        case BindingKind::Unsigned:
            return value.GetUnsigned() == 0;
        case BindingKind::Float:
            return value.GetFloat() == 0.0;
        case BindingKind::Enum:
            return value.GetEnum().value == 0;
        default:
            return value.Size() == 0;
    }
}

void FailNotCollection(std::string_view name, BindingResult& result) {
    if (!result.Failed()) Fail(result, kNotACollection, name);
}

void FailNotStructure(std::string_view typeName, std::string_view name, BindingResult& result) {
    if (!result.Failed()) Fail(result, kNotAStructure, name, typeName);
}

}  // namespace Zarn::Binding::detail
