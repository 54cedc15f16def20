#include "end_of_game_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "end_of_game/api/api_registration.h"
#include "end_of_game/lcds/lcds_registration.h"

namespace Zarn::Client::EndOfGame::Testing {

using Binding::BindingKind;
using Binding::BindingProperty;

RegisteredRecords::RegisteredRecords() {
    const RegistrationContext context = Context();
    RegisterApiTypes(context);
    RegisterLcdsTypes(context);
}

RegistrationContext RegisteredRecords::Context() {
    return RegistrationContext{
        registry,
        std::string(kApiNamePrefix),
        {"Plugins", "Plugin mox-end-of-game"},
        [this](std::string_view name, std::uint32_t typeId, std::string_view className) {
            classNames.Set(name, typeId, className);
        }};
}

std::string ReadFixture(std::string_view fileName) {
    const std::string path = std::string(MOX_END_OF_GAME_FIXTURES) + "/" + std::string(fileName);
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << "cannot read " << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

BindingProperty ParseJson(std::string_view text) {
    Binding::BindingResult result = Encodings::ReadJson(text);
    EXPECT_TRUE(result.Succeeded()) << result.Message() << "\n" << text;
    return result.Succeeded() ? std::move(result.Value()) : BindingProperty();
}

namespace {

bool IsInteger(const BindingProperty& value) {
    return value.Kind() == BindingKind::Signed || value.Kind() == BindingKind::Unsigned;
}

bool SameInteger(const BindingProperty& a, const BindingProperty& b) {
    const bool aNegative = a.Kind() == BindingKind::Signed && a.GetSigned() < 0;
    const bool bNegative = b.Kind() == BindingKind::Signed && b.GetSigned() < 0;
    return aNegative == bNegative && a.AsUnsigned() == b.AsUnsigned();
}

std::string Describe(const BindingProperty& value) {
    return std::string(Binding::BindingKindName(value.Kind())) + " " + Encodings::WriteJson(value);
}

std::string Compare(const BindingProperty& actual, const BindingProperty& expected, bool whole,
                    const std::string& path) {
    if (IsInteger(actual) && IsInteger(expected)) {
        return SameInteger(actual, expected)
                   ? ""
                   : path + ": " + Describe(actual) + ", expected " + Describe(expected);
    }
    if (actual.Kind() != expected.Kind()) {
        return path + ": " + Describe(actual) + ", expected " + Describe(expected);
    }
    if (expected.Kind() == BindingKind::Collection) {
        if (actual.Size() != expected.Size()) {
            return path + ": " + std::to_string(actual.Size()) + " elements, expected " +
                   std::to_string(expected.Size());
        }
        for (std::size_t i = 0; i < expected.Size(); ++i) {
            std::string difference =
                Compare(actual.Element(i), expected.Element(i), whole, path + "[" + std::to_string(i) + "]");
            if (!difference.empty()) return difference;
        }
        return "";
    }
    if (expected.Kind() == BindingKind::Structure) {
        if (whole) {
            for (const Binding::BindingField& field : actual.Fields()) {
                if (!expected.HasField(field.Name()))
                    return path + "." + std::string(field.Name()) + ": unexpected";
            }
        }
        for (const Binding::BindingField& field : expected.Fields()) {
            const std::string at = path + "." + std::string(field.Name());
            if (!actual.HasField(field.Name())) return at + ": missing";
            const bool wholeField = whole || field.Name() == "stats" || field.Name() == "pointsPenalties";
            std::string difference = Compare(actual.Field(field.Name()), field.Value(), wholeField, at);
            if (!difference.empty()) return difference;
        }
        return "";
    }
    return actual == expected ? "" : path + ": " + Describe(actual) + ", expected " + Describe(expected);
}

}  // namespace

std::string Mismatch(const BindingProperty& actual, const BindingProperty& expected, bool wholeValues) {
    return Compare(actual, expected, wholeValues, "value");
}

}  // namespace Zarn::Client::EndOfGame::Testing
