#include "binding/binding_help.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/builtin_types.h"
#include "binding/native_conversion.h"
#include "binding/record_registration.h"

namespace Zarn::Binding {
namespace {

struct Summoner {
    std::uint64_t id = 0;
    std::vector<std::string> names;
};

class HelpTest : public testing::Test {
protected:
    HelpTest() {
        RegisterBuiltins(registry);
        RegisterStruct<Summoner>(registry, "Test.Summoner")
            .Field("id", &Summoner::id, "The {id}")
            .Field("names", &Summoner::names, "")
            .Description("-A summoner");

        FunctionRecord function;
        function.name = "Test.Find";
        function.nameSpace = "Test";
        function.description = "Finds {one}";
        function.help = "-More";
        function.arguments.push_back({"id", "Summoner id", DescribeNative<std::uint64_t>(registry), true});
        function.arguments.push_back(
            {"names", "", DescribeNative<std::vector<std::string>>(registry), false});
        function.returns = DescribeNative<Summoner>(registry);
        function.threadSafe = true;
        function.async = true;
        function.asyncResult = DescribeNative<BindingAsyncState>(registry);
        function.tags = {"a", "b"};
        registry.AddFunction(std::move(function));
    }

    BindingRegistry registry;
};

const char kAsyncStateText[] =
    "Possible states of an asynchronous operation.\r\n"
    "\r\n"
    "@cvar None: (0) Invalid state\r\n"
    "@cvar Running: (1) The operation is in flight\r\n"
    "@cvar Cancelling: (2) A request to cancel the operation has been made\r\n"
    "@cvar Cancelled: (3) The operation was cancelled\r\n"
    "@cvar Succeeded: (4) The operation completed successfully\r\n"
    "@cvar Failed: (5) The operation encountered an error\r\n"
    "@tags: $builtin,async\r\n"
    "@size: 4\r\n";

TEST(EpytextTest, Escaping) {
    const std::pair<const char*, const char*> rows[] = {
        {"-x {y}", "E{-}x E{lb}yE{rb}"},
        {"a-b", "a-b"},
        {"}{", "E{rb}E{lb}"},
        {"", ""},
    };
    for (const auto& [text, escaped] : rows) EXPECT_EQ(EscapeEpytext(text), escaped);
}

TEST_F(HelpTest, EpytextTexts) {
    EXPECT_EQ(TypeEpytext(*registry.FindByName("BindingAsyncState")), kAsyncStateText);
    EXPECT_EQ(TypeEpytext(*registry.FindByName("BindingAsyncFailureEvent")),
              "Represents a failed asynchronous operation.\r\n\r\n"
              "@ivar asyncToken: Asynchronous operation token\r\n"
              "@type asyncToken: uint32\r\n"
              "@ivar error: Error message\r\n"
              "@type error: string\r\n"
              "@tags: $builtin,async\r\n");
    EXPECT_EQ(TypeEpytext(*registry.FindByName("Test.Summoner")),
              "E{-}A summoner\r\n\r\n"
              "@ivar id: The E{lb}idE{rb}\r\n"
              "@type id: uint64\r\n"
              "@ivar names: \r\n"
              "@type names: list[string]\r\n");
    EXPECT_EQ(FunctionEpytext(*registry.FindFunction("Test.Find")),
              "Finds E{lb}oneE{rb}\r\n\r\n"
              "E{-}More\r\n\r\n"
              "@param id: (optional) Summoner id\r\n"
              "@type id: uint64\r\n"
              "@type names: list[string]\r\n"
              "@rtype: L{Test.Summoner}\r\n"
              "@tags: a,b\r\n"
              "@threadsafe: true\r\n"
              "@async: L{BindingAsyncState}\r\n");
    EXPECT_EQ(EventEpytext(*registry.FindEvent("OnCallback")),
              "Fired when a callback is invoked.\r\n\r\n@tags: $builtin\r\n");
    EXPECT_EQ(FunctionEpytext(FunctionRecord{}), "");
}

TEST_F(HelpTest, EpytextHelpListsEveryEntryByName) {
    const BindingResult help = Help(registry, BindingHelpFormat::Epytext);
    ASSERT_TRUE(help.Succeeded()) << help.Message();
    const BindingProperty& types = help.Value().Field("types");
    EXPECT_EQ(types.Field("BindingAsyncState").GetString(), kAsyncStateText);
    EXPECT_EQ(types.Size(), registry.TypesSnapshot().size());
    EXPECT_EQ(help.Value().Field("functions").Field("Test.Find").Kind(), BindingKind::String);
    EXPECT_EQ(help.Value().Field("events").Size(), 1u);
}

TEST_F(HelpTest, BuiltinsRegisteredTwiceKeepOneRecordEachAndOnlyTheirEvent) {
    const std::size_t typeCount = registry.TypesSnapshot().size();
    EXPECT_EQ(typeCount, 16u);  // 15 built-ins and Test.Summoner
    const TypeRecord* asyncState = registry.FindByName("BindingAsyncState");
    EventRecord custom;
    custom.name = "OnCustom";
    registry.AddEvent(std::move(custom));

    RegisterBuiltins(registry);
    EXPECT_TRUE(registry.BuiltinsRegistered());
    EXPECT_EQ(registry.TypesSnapshot().size(), typeCount);
    EXPECT_EQ(registry.FindByName("BindingAsyncState"), asyncState);
    EXPECT_EQ(asyncState->Values().size(), 6u);
    const auto events = registry.EventsSnapshot();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->name, "OnCallback");
    EXPECT_EQ(events[0]->payload.NativeName(), "BindingCallbackEvent");
}

TEST_F(HelpTest, FullHelpIsMadeOfValues) {
    const BindingResult help = Help(registry, BindingHelpFormat::Full);
    ASSERT_TRUE(help.Succeeded()) << help.Message();

    const BindingProperty& types = help.Value().Field("types");
    ASSERT_EQ(types.Kind(), BindingKind::Collection);
    const BindingProperty* asyncState = nullptr;
    std::string previous;
    for (const BindingProperty& type : types.Elements()) {
        const std::string name(type.Field("name").GetString());
        EXPECT_LT(previous, name);
        previous = name;
        if (name == "BindingAsyncState") asyncState = &type;
    }
    ASSERT_NE(asyncState, nullptr);
    EXPECT_EQ(asyncState->Field("size").GetUnsigned(), 4u);
    EXPECT_EQ(asyncState->Field("tags").Element(1).GetString(), "async");
    const BindingProperty& values = asyncState->Field("values");
    ASSERT_EQ(values.Size(), 6u);
    EXPECT_EQ(values.Element(0).Field("name").GetString(), "None");
    EXPECT_EQ(values.Element(5).Field("value").GetSigned(), 5);
    EXPECT_EQ(values.Element(5).Field("description").GetString(), "The operation encountered an error");

    const BindingProperty& function = help.Value().Field("functions").Element(0);
    EXPECT_EQ(function.Field("name").GetString(), "Test.Find");
    EXPECT_EQ(function.Field("arguments").Element(1).Field("type").Field("type").GetString(), "vector");
    EXPECT_EQ(function.Field("arguments").Element(1).Field("type").Field("elementType").GetString(),
              "string");
    EXPECT_TRUE(function.Field("arguments").Element(0).Field("optional").GetBool());
    EXPECT_EQ(function.Field("returns").Field("type").GetString(), "Test.Summoner");
    EXPECT_EQ(function.Field("async").GetString(), "BindingAsyncState");

    const BindingProperty& event = help.Value().Field("events").Element(0);
    EXPECT_EQ(event.Field("name").GetString(), "OnCallback");
    EXPECT_EQ(event.Field("type").Field("type").GetString(), "BindingCallbackEvent");

    // The values read back into the help records they came from.
    BindingFullTypeHelp summoner;
    BindingResult result;
    for (const BindingProperty& type : types.Elements()) {
        if (type.Field("name").GetString() == "Test.Summoner")
            Assign(registry, type, summoner, "type", result);
    }
    ASSERT_TRUE(result.Succeeded()) << result.Message();
    ASSERT_EQ(summoner.fields.size(), 2u);
    EXPECT_EQ(summoner.fields[1].name, "names");
    EXPECT_EQ(summoner.fields[1].offset, offsetof(Summoner, names));
    EXPECT_EQ(summoner.fields[1].type.elementType, "string");
    EXPECT_EQ(summoner.size, sizeof(Summoner));
}

}  // namespace
}  // namespace Zarn::Binding
