#include "encodings/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "encodings/json_reader.h"

namespace Zarn::Encodings {
namespace {

using Binding::BindingProperty;

class FakeNames : public Binding::EnumeratorNames {
public:
    const char* EnumeratorName(std::uint32_t typeId, std::int32_t value) const override {
        return typeId == 7 && value == 2 ? "Blue" : nullptr;
    }
};

BindingProperty Make(const std::function<void(BindingProperty&)>& build) {
    BindingProperty value;
    build(value);
    return value;
}

struct WriteCase {
    const char* name;
    BindingProperty value;
    std::string compact;
};

TEST(JsonWriter, WritesEachKindCompactly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const WriteCase cases[] = {
        {"empty top level", BindingProperty(), ""},
        {"empty inside", Make([](auto& v) { v.WriteElement(1).SetBool(true); }), "[null,true]"},
        {"signed", Make([](auto& v) { v.SetSigned(2); }), "2"},
        {"signed min", Make([](auto& v) { v.SetSigned(std::numeric_limits<std::int64_t>::min()); }),
         "-9223372036854775808"},
        {"unsigned max", Make([](auto& v) { v.SetUnsigned(~0ull); }), "18446744073709551615"},
        {"integral float", Make([](auto& v) { v.SetFloat(2); }), "2.0"},
        {"zero", Make([](auto& v) { v.SetFloat(0.0); }), "0.0"},
        {"negative zero", Make([](auto& v) { v.SetFloat(-0.0); }), "-0.0"},
        {"shortest", Make([](auto& v) { v.SetFloat(0.1); }), "0.1"},
        {"large", Make([](auto& v) { v.SetFloat(1e300); }), "1e300"},
        {"smallest", Make([](auto& v) { v.SetFloat(5e-324); }), "5e-324"},
        {"NaN and infinities as null", Make([&](auto& v) {
             v.WriteElement(0).SetFloat(nan);
             v.WriteElement(1).SetFloat(inf);
             v.WriteElement(2).SetFloat(-inf);
         }),
         "[null,null,null]"},
        {"escapes",
         Make([](auto& v) { v.SetString(std::string_view("\"\\/\b\t\n\f\r\x01\x1f\x7f\xc3\xa9\0", 14)); }),
         R"("\"\\/\b\t\n\f\r\u0001\u001F)"
         "\x7f\xc3\xa9"
         R"(\u0000")"},
        {"blob of 3", Make([](auto& v) { v.SetBlob(reinterpret_cast<const std::uint8_t*>("abc"), 3); }),
         R"("YWJj")"},
        {"blob of 2", Make([](auto& v) { v.SetBlob(reinterpret_cast<const std::uint8_t*>("ab"), 2); }),
         R"("YWI=")"},
        {"empty blob", Make([](auto& v) { v.SetBlob(nullptr, 0); }), R"("")"},
        {"key order", Make([](auto& v) {
             v.WriteField("b").SetSigned(1);
             v.WriteField("a").SetSigned(2);
             v.WriteField("B").SetSigned(3);
         }),
         R"({"B":3,"a":2,"b":1})"},
        {"empty containers", Make([](auto& v) {
             v.WriteField("c").MakeCollection();
             v.WriteField("s").MakeStructure();
         }),
         R"({"c":[],"s":{}})"},
        {"enum unnamed", Make([](auto& v) { v.SetEnum(-3, 7); }), "-3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteJson(c.value), c.compact);
    }
}

TEST(JsonWriter, NamesEnumeratorsThatTheProviderKnows) {
    FakeNames names;
    BindingProperty value;
    value.WriteElement(0).SetEnum(2, 7);
    value.WriteElement(1).SetEnum(3, 7);
    value.WriteElement(2).SetEnum(2, 8);
    EXPECT_EQ(WriteJson(value, &names), R"(["Blue",3,2])");
    EXPECT_EQ(WriteJson(value), "[2,3,2]");
}

TEST(JsonWriter, IndentsFourSpacesWithTheGivenLineBreak) {
    auto value = ReadJson(R"({"b":[1,{}],"a":{"x":[]}})").Value();
    const std::string expected =
        "{\n"
        "    \"a\": {\n"
        "        \"x\": []\n"
        "    },\n"
        "    \"b\": [\n"
        "        1,\n"
        "        {}\n"
        "    ]\n"
        "}";
    EXPECT_EQ(WriteJson(value, nullptr, "\n"), expected);
    std::string crlf;
    for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(WriteJson(value, nullptr, "\r\n"), crlf);
    EXPECT_EQ(WriteJson(value, nullptr, ""), R"({"a":{"x":[]},"b":[1,{}]})");
    EXPECT_EQ(WriteJson(BindingProperty(), nullptr, "\n"), "");
}

TEST(JsonWriter, WritesWhatItReadsBack) {
    const char* text =
        R"({"gameId":6909925047,"elo":-12,"penalty":1.234,"big":1e300,"tiny":-0.0,"names":["Ægir","tab\there"],)"
        R"("nested":[[],[{}],{"k":[null,true,false]}],"":"empty key"})";
    auto first = ReadJson(text);
    ASSERT_TRUE(first.Succeeded()) << first.Message();
    std::string written = WriteJson(first.Value());
    auto second = ReadJson(written);
    ASSERT_TRUE(second.Succeeded()) << second.Message();
    EXPECT_TRUE(first.Value() == second.Value());
    EXPECT_EQ(WriteJson(second.Value()), written);
}

// Values built by hand are not bounded like decoded ones; writing and destroying them must not
// recurse.
TEST(JsonWriter, WritesAMillionLevelsWithoutRecursion) {
    constexpr std::size_t kDepth = 1'000'000;
    BindingProperty root;
    BindingProperty* innermost = &root;
    for (std::size_t i = 0; i < kDepth; ++i) innermost = &innermost->WriteElement(0);
    std::string text = WriteJson(root);
    ASSERT_EQ(text.size(), 2 * kDepth + 4);
    EXPECT_EQ(text.substr(kDepth - 3, 10), "[[[null]]]");
}

}  // namespace
}  // namespace Zarn::Encodings
