#include "tools/mox_host/value_match.h"

#include "encodings/json_writer.h"

namespace Zarn::MoxHost {

using Binding::BindingKind;
using Binding::BindingProperty;

namespace {

bool IsNumber(BindingKind kind) {
    return kind == BindingKind::Signed || kind == BindingKind::Unsigned || kind == BindingKind::Float;
}

bool NumbersEqual(const BindingProperty& a, const BindingProperty& b) {
    if (a.Kind() == BindingKind::Float || b.Kind() == BindingKind::Float) {
        const auto asDouble = [](const BindingProperty& v) {
            if (v.Kind() == BindingKind::Float) return v.GetFloat();
            if (v.Kind() == BindingKind::Signed) return static_cast<double>(v.GetSigned());
            return static_cast<double>(v.GetUnsigned());
        };
        return asDouble(a) == asDouble(b);
    }
    if (a.Kind() == b.Kind()) return a == b;
    // One signed and one unsigned: equal only when the signed one is not negative.
    const BindingProperty& s = a.Kind() == BindingKind::Signed ? a : b;
    const BindingProperty& u = a.Kind() == BindingKind::Signed ? b : a;
    return s.GetSigned() >= 0 && static_cast<std::uint64_t>(s.GetSigned()) == u.GetUnsigned();
}

std::string Shown(const BindingProperty& value) {
    std::string text = Encodings::WriteJson(value);
    if (text.empty()) text = "nothing";
    constexpr std::size_t kShownLength = 200;
    if (text.size() > kShownLength) text = text.substr(0, kShownLength) + "...";
    return text;
}

bool Fail(const std::string& where, const BindingProperty& expected, const BindingProperty& actual,
          std::string& detail) {
    detail = (where.empty() ? std::string("value") : where) + ": expected " + Shown(expected) + ", got " +
             Shown(actual);
    return false;
}

bool Match(const BindingProperty& expected, const BindingProperty& actual, const std::string& where,
           std::string& detail) {
    switch (expected.Kind()) {
        case BindingKind::Structure:
            if (actual.Kind() != BindingKind::Structure) return Fail(where, expected, actual, detail);
            for (const auto& field : expected.Fields()) {
                const std::string at =
                    where.empty() ? std::string(field.Name()) : where + "." + std::string(field.Name());
                if (!actual.HasField(field.Name())) {
                    detail = at + ": missing";
                    return false;
                }
                if (!Match(field.Value(), actual.Field(field.Name()), at, detail)) return false;
            }
            return true;
        case BindingKind::Collection:
            if (actual.Kind() != BindingKind::Collection || actual.Size() != expected.Size()) {
                return Fail(where, expected, actual, detail);
            }
            for (std::size_t i = 0; i < expected.Size(); ++i) {
                if (!Match(expected.Element(i), actual.Element(i), where + "[" + std::to_string(i) + "]",
                           detail)) {
                    return false;
                }
            }
            return true;
        default:
            if (IsNumber(expected.Kind()) && IsNumber(actual.Kind())) {
                return NumbersEqual(expected, actual) || Fail(where, expected, actual, detail);
            }
            return expected == actual || Fail(where, expected, actual, detail);
    }
}

}  // namespace

bool ValueMatches(const BindingProperty& expected, const BindingProperty& actual, std::string& detail) {
    return Match(expected, actual, "", detail);
}

}  // namespace Zarn::MoxHost
