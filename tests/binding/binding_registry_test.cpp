#include "binding/binding_registry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "binding/native_conversion.h"
#include "binding/record_registration.h"
#include "binding/static_type.h"

namespace Zarn::Binding {
namespace {

enum class Lane : std::int32_t { Top = 1, Middle = 2, Bottom = 3 };

struct Ward {
    std::int32_t x = 0;
    Lane lane = Lane::Top;
};

struct Unregistered {
    int value = 0;
};

TEST(StaticTypeTest, OneDescriptorPerTypeWithDistinctIds) {
    EXPECT_EQ(&StaticType::Of<Ward>(), &StaticType::Of<Ward>());
    EXPECT_EQ(&StaticType::Of<const Ward>(), &StaticType::Of<Ward>());
    const std::vector<std::uint32_t> ids = {StaticType::Of<bool>().Id(),
                                            StaticType::Of<std::int32_t>().Id(),
                                            StaticType::Of<std::uint32_t>().Id(),
                                            StaticType::Of<std::string>().Id(),
                                            StaticType::Of<Ward>().Id(),
                                            StaticType::Of<Lane>().Id(),
                                            StaticType::Of<std::vector<Ward>>().Id(),
                                            StaticType::Of<std::vector<std::uint8_t>>().Id(),
                                            StaticType::Of<BindingProperty>().Id()};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_NE(ids[i], 0u);
        EXPECT_NE(ids[i], kUnindexedTypeId);
        for (std::size_t j = i + 1; j < ids.size(); ++j) EXPECT_NE(ids[i], ids[j]) << i << " " << j;
    }
}

TEST(StaticTypeTest, DisplayNamesInBothForms) {
    EXPECT_STREQ(StaticType(0x00ABCDEF).Name(), "#00ABCDEF");
    char expected[10];
    std::snprintf(expected, sizeof expected, "#%08X", StaticType::Of<std::int32_t>().Id());
    EXPECT_STREQ(StaticType::Of<std::int32_t>().Name(), expected);

    EXPECT_STREQ(StaticType(7, "struct Zarn::Resource").Name(),
                 "const char *__cdecl StaticType::Name<struct Zarn::Resource>(void)");
    const std::string wardName = StaticType::Of<Ward>().Name();
    EXPECT_EQ(wardName.rfind("const char *__cdecl StaticType::Name<", 0), 0u) << wardName;
    EXPECT_NE(wardName.find("Ward>(void)"), std::string::npos) << wardName;
}

class RegistryTest : public testing::Test {
protected:
    BindingRegistry registry;
};

TEST_F(RegistryTest, TypeNamesAndIdentifiers) {
    RegisterStruct<Ward>(registry, "Test.Ward").Field("x", &Ward::x);
    struct Row {
        TypeDescriptor type;
        std::string nativeName;
        std::string elementType;
        std::string helpName;
    };
    const Row rows[] = {
        {DescribeNative<std::int32_t>(registry), "int32", "", "int32"},
        {DescribeNative<std::vector<std::int64_t>>(registry), "vector", "int64", "list[int64]"},
        {DescribeNative<std::map<std::string, std::string>>(registry), "map", "string", "dict[string]"},
        {DescribeNative<std::vector<std::uint8_t>>(registry), "blob", "", "bytearray"},
        {DescribeNative<BindingProperty>(registry), "object", "", "object"},
        {DescribeNative<Unregistered>(registry), "struct", "", "L{struct}"},
        {DescribeNative<Lane>(registry), "enum", "", "L{enum}"},
        {DescribeNative<Ward>(registry), "Test.Ward", "", "L{Test.Ward}"},
        {DescribeNative<std::optional<Ward>>(registry), "Test.Ward", "", "L{Test.Ward}"},
        {DescribeNative<std::vector<std::vector<Ward>>>(registry), "vector", "vector",
         "list[list[L{Test.Ward}]]"},
        {TypeDescriptor(NativeTypeKind::Callback), "callback", "", "callback"},
        {TypeDescriptor(static_cast<NativeTypeKind>(20)), "", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.type.NativeName(), row.nativeName);
        EXPECT_EQ(row.type.Identifier(), (TypeIdentifier{row.nativeName, row.elementType})) << row.nativeName;
        EXPECT_EQ(row.type.HelpName(), row.helpName);
    }
}

TEST_F(RegistryTest, RecordsFoundByNameAndIdWithFieldsFromMemberPointers) {
    RegisterStruct<Ward>(registry, "Test.Ward")
        .Field("x", &Ward::x, "Position", FieldFlags::kRequired)
        .Field("lane", &Ward::lane, "", FieldFlags::kOmitWhenDefault)
        .Description("A ward")
        .NameSpace("Test")
        .Tag("map");

    const TypeRecord* record = registry.FindByName("Test.Ward");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(registry.FindById(StaticType::Of<Ward>().Id()), record);
    EXPECT_EQ(record->NativeSize(), sizeof(Ward));
    EXPECT_FALSE(record->IsEnumeration());
    EXPECT_EQ(record->Description(), "A ward");
    EXPECT_EQ(record->NameSpace(), "Test");
    EXPECT_EQ(record->Tags(), std::vector<std::string>{"map"});
    ASSERT_EQ(record->Fields().size(), 2u);
    const FieldRecord& lane = record->Fields()[1];
    EXPECT_EQ(lane.Key(), "lane");
    EXPECT_EQ(lane.KeyHash(), 0x6EEA382Fu);  // FNV-1a of "lane"
    EXPECT_EQ(lane.Offset(), offsetof(Ward, lane));
    EXPECT_EQ(&lane.NativeType(), &StaticType::Of<Lane>());
    EXPECT_EQ(lane.Type().Kind(), NativeTypeKind::Enum);
    EXPECT_TRUE(lane.OmitWhenDefault());
    EXPECT_TRUE(record->Fields()[0].Required());
    EXPECT_EQ(&lane.Owner(), record);
}

TEST_F(RegistryTest, FirstRegistrationOfANameWins) {
    RegisterStruct<Ward>(registry, "Test.Ward").Field("x", &Ward::x, "first").Description("first");
    auto second = RegisterStruct<Ward>(registry, "Test.Ward");
    second.Field("lane", &Ward::lane).Description("second").Tag("late");
    EXPECT_TRUE(second.Builder().Existing());

    const TypeRecord* record = registry.FindByName("Test.Ward");
    ASSERT_EQ(record->Fields().size(), 1u);
    EXPECT_EQ(record->Fields()[0].Description(), "first");
    EXPECT_EQ(record->Description(), "first");
    EXPECT_TRUE(record->Tags().empty());
    EXPECT_EQ(registry.TypesSnapshot().size(), 1u);
}

TEST_F(RegistryTest, ReservedIdIsFoundByNameOnly) {
    static const StaticType reserved(kUnindexedTypeId);
    registry.BeginRegistration(4, "Test.Hidden", reserved, false);
    EXPECT_NE(registry.FindByName("Test.Hidden"), nullptr);
    EXPECT_EQ(registry.FindById(kUnindexedTypeId), nullptr);
}

TEST_F(RegistryTest, EnumeratorLookup) {
    RegisterEnum<Lane>(registry, "Test.Lane")
        .Value("Top", Lane::Top)
        .Value("Mid", Lane::Middle)
        .Value("Middle", Lane::Middle)
        .Value("Bottom", Lane::Bottom);
    const std::uint32_t id = StaticType::Of<Lane>().Id();
    EXPECT_STREQ(registry.EnumeratorName(id, 1), "Top");
    EXPECT_STREQ(registry.EnumeratorName(id, 2), "Mid");  // shared value: the name that sorts first
    EXPECT_EQ(registry.EnumeratorName(id, 9), nullptr);
    EXPECT_EQ(registry.EnumeratorName(id + 1, 1), nullptr);

    const TypeRecord* record = registry.FindByName("Test.Lane");
    ASSERT_NE(record->FindValue("Bottom"), nullptr);
    EXPECT_EQ(record->FindValue("Bottom")->value, 3);
    EXPECT_EQ(record->FindValue("bottom"), nullptr);

    // Re-adding a name overwrites its value.
    registry.BeginRegistration(4, "Test.Other", StaticType::Of<Ward>(), true)
        .AddValue("A", 1, "one")
        .AddValue("A", 5, "five");
    const TypeRecord* other = registry.FindByName("Test.Other");
    EXPECT_EQ(other->Values().size(), 1u);
    EXPECT_EQ(other->FindValue("A")->value, 5);
    EXPECT_EQ(other->FindValue("A")->description, "five");
}

TEST_F(RegistryTest, TypesRegisteredLaterAreAttachedToEarlierFields) {
    // Structures are registered before the enumerations they use.
    RegisterStruct<Ward>(registry, "Test.Ward").Field("lane", &Ward::lane);
    const FieldRecord& lane = registry.FindByName("Test.Ward")->Fields()[0];
    EXPECT_EQ(lane.Type().Record(), nullptr);
    RegisterEnum<Lane>(registry, "Test.Lane").Value("Bottom", Lane::Bottom);
    EXPECT_EQ(lane.Type().Record(), registry.FindByName("Test.Lane"));

    BindingProperty input;
    input.WriteField("lane").SetString("Bottom");
    Ward ward;
    BindingResult result;
    Assign(registry, input, ward, "ward", result);
    EXPECT_TRUE(result.Succeeded()) << result.Message();
    EXPECT_EQ(ward.lane, Lane::Bottom);
}

TEST_F(RegistryTest, FunctionsAndEventsByName) {
    FunctionRecord function;
    function.name = "Test.Get";
    function.returns = DescribeNative<Ward>(registry);
    function.description = "first";
    EXPECT_TRUE(registry.AddFunction(function));
    function.description = "second";
    EXPECT_FALSE(registry.AddFunction(function));
    ASSERT_NE(registry.FindFunction("Test.Get"), nullptr);
    EXPECT_EQ(registry.FindFunction("Test.Get")->description, "first");
    EXPECT_EQ(registry.FindFunction("Test.Missing"), nullptr);

    // A function may name a type registered after it.
    RegisterStruct<Ward>(registry, "Test.Ward");
    EXPECT_EQ(registry.FindFunction("Test.Get")->returns.NativeName(), "Test.Ward");

    for (const char* name : {"b", "a", "c"}) {
        EventRecord event;
        event.name = name;
        registry.AddEvent(std::move(event));
    }
    const auto events = registry.EventsSnapshot();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->name, "a");
    EXPECT_EQ(events[2]->name, "c");
    registry.RemoveEvents();
    EXPECT_TRUE(registry.EventsSnapshot().empty());
    EXPECT_EQ(registry.FindEvent("a"), nullptr);
    EXPECT_EQ(events[0]->name, "a");  // snapshots keep their records alive
}

}  // namespace
}  // namespace Zarn::Binding
