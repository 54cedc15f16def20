#include "framework/routes/route_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "binding/builtin_types.h"
#include "binding/record_registration.h"
#include "encodings/json_writer.h"
#include "tests/framework/routes/invocation.h"

namespace Zarn::Framework {
namespace {

using Binding::BindingKind;
using Binding::BindingProperty;
using Binding::NativeTypeKind;
using Binding::TypeDescriptor;
using testing::Answer;
using testing::Call;
using ::testing::StartsWith;

struct Item {
    std::string name;
    std::int32_t count = 0;
};

struct Unregistered {
    std::int32_t value = 0;
};

std::string Json(const BindingProperty& value) { return Encodings::WriteJson(value); }

// A stream of a fixed text that counts its closing and its destruction.
class TextStream : public ResponseStream {
public:
    TextStream(std::string text, int& closed, int& destroyed)
        : text_(std::move(text)), closed_(closed), destroyed_(destroyed) {}
    ~TextStream() override { ++destroyed_; }
    bool Read(std::uint8_t* buffer, std::uint32_t& size, bool& more) override {
        const std::size_t count = std::min<std::size_t>(size, text_.size() - offset_);
        std::copy_n(text_.data() + offset_, count, buffer);
        offset_ += count;
        size = static_cast<std::uint32_t>(count);
        more = offset_ < text_.size();
        return true;
    }
    std::uint32_t Length() const override { return static_cast<std::uint32_t>(text_.size()); }
    void Close() override { ++closed_; }

private:
    std::string text_;
    std::size_t offset_ = 0;
    int& closed_;
    int& destroyed_;
};

class RouteTableTest : public ::testing::Test {
protected:
    RouteTableTest() {
        Binding::RegisterBuiltins(registry);
        Binding::RegisterStruct<Item>(registry, "Test.Item")
            .Field("name", &Item::name, "", Binding::FieldFlags::kRequired)
            .Field("count", &Item::count, "", Binding::FieldFlags::kOmitWhenDefault);
        table.SetTags({"Plugins", "Plugin mox-x"});
    }

    // A handler that answers with the arguments it was given.
    static RouteReply Echo(const BindingProperty& arguments) {
        RouteReply reply;
        reply.result.Value() = arguments;
        return reply;
    }

    TypeDescriptor Type(NativeTypeKind kind) { return TypeDescriptor(kind); }

    static RouteDeclaration Declare(RouteMethod method, std::string path) {
        RouteDeclaration declaration;
        declaration.method = method;
        declaration.path = std::move(path);
        return declaration;
    }

    const ApiFunctionRecord& Record(std::string_view name) {
        for (const ApiFunctionRecord& record : table.FunctionRecords()) {
            if (name == record.name) return record;
        }
        ADD_FAILURE() << "no function " << name;
        static const ApiFunctionRecord none{};
        return none;
    }

    Answer Invoke(std::string_view function, const Call& call) {
        return testing::Invoke(Record(function), call);
    }

    Binding::BindingRegistry registry;
    RouteTable table{registry};
};

TEST_F(RouteTableTest, FunctionNamesStoredTemplatesAndRecords) {
    struct Case {
        RouteMethod method;
        const char* path;
        const char* name;
        const char* stored;
    };
    const Case cases[] = {
        {RouteMethod::Get, "/mox-end-of-game/v1/reported-players", "GetMoxEndOfGameV1ReportedPlayers",
         "/mox-end-of-game/v1/reported-players"},
        {RouteMethod::Post, "/mox-end-of-game/v1/state/dismiss-stats", "PostMoxEndOfGameV1StateDismissStats",
         "/mox-end-of-game/v1/state/dismiss-stats"},
        {RouteMethod::Delete, "/mox-x/v1/items/{id}", "DeleteMoxXV1ItemsById", "/mox-x/v1/items/{id}"},
        {RouteMethod::Put, "/mox-x/v1/items/", "PutMoxXV1Items", "/mox-x/v1/items"},
        {RouteMethod::Options, "/", "Options", "/"},
        {RouteMethod::None, "/mox-x/v1/any", "MoxXV1Any", "/mox-x/v1/any"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table.RegisterRoute(c.method, c.path, [] { return RouteResult<>(); }), c.name);
    }
    const std::span<const ApiFunctionRecord> records = table.FunctionRecords();
    ASSERT_EQ(records.size(), std::size(cases));
    for (const Case& c : cases) {
        const ApiFunctionRecord& record = Record(c.name);
        EXPECT_STREQ(record.path, c.stored) << c.name;
        EXPECT_EQ(+record.method, static_cast<std::uint32_t>(c.method)) << c.name;
        ASSERT_TRUE(record.invoker != nullptr);
        ASSERT_EQ(+record.tagCount, 2u);
        EXPECT_STREQ(record.tags[1], "Plugin mox-x");
        EXPECT_NE(registry.FindFunction(c.name), nullptr) << c.name;
    }
    // Walked as a list, in name order.
    std::vector<std::string> walked;
    for (const ApiFunctionRecord* record = records.data(); record; record = record->next)
        walked.push_back(record->name);
    EXPECT_THAT(walked, ::testing::ElementsAre("DeleteMoxXV1ItemsById", "GetMoxEndOfGameV1ReportedPlayers",
                                               "MoxXV1Any", "Options", "PostMoxEndOfGameV1StateDismissStats",
                                               "PutMoxXV1Items"));
}

TEST_F(RouteTableTest, RecordDescribesArgumentsResultAndSegments) {
    table.RegisterRoute(
        RouteMethod::Post, "/mox-x/v1/items/{id}/by-{owner}/{+rest}",
        [](std::int32_t, std::string, std::string, Item, std::vector<Item>) {
            return RouteResult<std::vector<Item>>(std::vector<Item>{});
        },
        RouteArgument("id").Description("Item id"), RouteArgument("owner"), RouteArgument("rest"),
        RouteArgument("item").InBody(), RouteArgument("more").Optional());
    const ApiFunctionRecord& record = Record("PostMoxXV1ItemsByIdByByOwnerByRest");
    ASSERT_EQ(+record.argumentCount, 5u);
    struct Expected {
        const char* name;
        NativeTypeKind kind;
        std::uint32_t elementKind;
        const char* typeName;
        std::uint8_t optional;
        std::uint32_t location;
    };
    const Expected expected[] = {
        {"id", NativeTypeKind::Int32, 0, "", 0, kApiLocationPathSegment},
        {"owner", NativeTypeKind::String, 0, "", 0, kApiLocationPathSegment},
        {"rest", NativeTypeKind::String, 0, "", 0, kApiLocationRestOfPath},
        {"item", NativeTypeKind::Struct, 0, "Test.Item", 0, kApiLocationBody},
        {"more", NativeTypeKind::Vector, 17, "Test.Item", 1, kApiLocationQuery},
    };
    const ApiArgumentRecord* argument = record.arguments;
    for (std::size_t i = 0; i < std::size(expected); ++i, argument = argument->next) {
        ASSERT_NE(argument, nullptr);
        EXPECT_STREQ(argument->name, expected[i].name);
        EXPECT_EQ(+argument->kind, static_cast<std::uint32_t>(expected[i].kind)) << expected[i].name;
        EXPECT_EQ(+argument->elementKind, expected[i].elementKind) << expected[i].name;
        EXPECT_STREQ(argument->typeName, expected[i].typeName);
        EXPECT_EQ(+argument->optional, expected[i].optional) << expected[i].name;
        EXPECT_STREQ(record.locations[i].name, expected[i].name);
        EXPECT_EQ(+record.locations[i].code, expected[i].location) << expected[i].name;
    }
    EXPECT_STREQ(record.arguments[0].description, "Item id");
    EXPECT_EQ(+record.resultKind, static_cast<std::uint32_t>(NativeTypeKind::Vector));
    EXPECT_EQ(+record.resultElementKind, static_cast<std::uint32_t>(NativeTypeKind::Struct));
    EXPECT_STREQ(record.resultTypeName, "Test.Item");

    std::vector<std::vector<std::string>> segments;
    for (const ApiRouteSegment* segment = record.segments; segment; segment = segment->next) {
        const char* const* pieces = segment->pieces;
        segments.emplace_back(pieces, pieces + segment->pieceCount);
    }
    using Pieces = std::vector<std::string>;
    EXPECT_THAT(segments,
                ::testing::ElementsAre(Pieces{"mox-x"}, Pieces{"v1"}, Pieces{"items"}, Pieces{"{id}"},
                                       Pieces{"by-", "{owner}"}, Pieces{"{+rest}"}));
    EXPECT_EQ(+record.segmentCount, 6u);
}

TEST_F(RouteTableTest, RouteSelectionAndInvalidFunction) {
    // Both templates give ItemsById: one function with two routes.
    const auto answer = [](const char* route) {
        return [route](std::string id) { return RouteResult<std::string>(std::string(route) + ":" + id); };
    };
    const auto fixed = [](const char* route) { return [route] { return RouteResult<std::string>(route); }; };
    table.RegisterRoute(RouteMethod::Get, "/mox-x/v1/items/{id}", answer("id"), RouteArgument("id"));
    table.RegisterRoute(RouteMethod::Get, "/mox-x/v1/items/by-id", fixed("by-id"));
    table.RegisterRoute(RouteMethod::None, "/mox-x/v1/{thing}", answer("any"), RouteArgument("thing"));
    table.RegisterRoute(RouteMethod::None, "/mox-x/v1/{other}", answer("tie"), RouteArgument("other"));
    RouteDeclaration custom;
    custom.method = RouteMethod::Custom;
    custom.path = "/mox-x/v1/custom";
    custom.customMethod = "PURGE";
    table.RegisterRoute(custom, fixed("purge"));

    struct Case {
        const char* function;
        std::uint32_t method;
        const char* path;
        const char* customMethod;
        std::uint32_t status;
        const char* result;
    };
    const Case cases[] = {
        {"GetMoxXV1ItemsById", kApiMethodGet, "/mox-x/v1/items/by-id", "", 0, "by-id"},
        {"GetMoxXV1ItemsById", kApiMethodGet, "/mox-x/v1/items/special", "", 0, "id:special"},
        {"GetMoxXV1ItemsById", kApiMethodPost, "/mox-x/v1/items/by-id", "", 404, nullptr},
        {"GetMoxXV1ItemsById", kApiMethodGet, "/mox-x/v1/items/a/b", "", 404, nullptr},
        {"GetMoxXV1ItemsById", kApiMethodGet, "/mox-x/v1/items/", "", 0, "id:"},
        {"GetMoxXV1ItemsById", 99, "/mox-x/v1/items/by-id", "", 404, nullptr},
        // Method 0 takes every method; on equal captures the first registered route wins.
        {"MoxXV1ByThing", kApiMethodDelete, "/mox-x/v1/x", "", 0, "any:x"},
        {"MoxXV1ByThing", 99, "/mox-x/v1/y", "", 0, "any:y"},
        {"PurgeMoxXV1Custom", kApiMethodCustom, "/mox-x/v1/custom", "PURGE", 0, "purge"},
        {"PurgeMoxXV1Custom", kApiMethodCustom, "/mox-x/v1/custom", "purge", 404, nullptr},
        {"PurgeMoxXV1Custom", kApiMethodPost, "/mox-x/v1/custom", "PURGE", 404, nullptr},
    };
    for (const Case& c : cases) {
        Call call;
        call.method = c.method;
        call.path = c.path;
        call.customMethod = c.customMethod;
        const Answer result = Invoke(c.function, call);
        EXPECT_EQ(result.status, c.status) << c.function << " " << c.path;
        if (c.result) {
            EXPECT_EQ(result.value.GetString(), c.result) << c.path;
            EXPECT_EQ(result.error, std::nullopt) << c.path;
        } else {
            EXPECT_EQ(result.error, "Invalid function") << c.path;
        }
    }
    // A record of another function is not reached through a request naming none.
    ApiFunctionRecord orphan = Record("GetMoxXV1ItemsById");
    orphan.context = nullptr;
    const Answer result = testing::Invoke(orphan, Call("/mox-x/v1/items/by-id"));
    EXPECT_EQ(result.status, 404u);
    EXPECT_EQ(result.error, "Invalid function");
}

TEST_F(RouteTableTest, MegabytePathsReachTheHandler) {
    table.RegisterRoute(
        RouteMethod::Get, "/mox-x/v1/files/{+path}",
        [](std::string path) { return RouteResult<std::uint64_t>(path.size()); }, RouteArgument("path"));
    const std::string big(1 << 20, 'a');
    EXPECT_EQ(Invoke("GetMoxXV1FilesByPath", Call("/mox-x/v1/files/" + big + "/" + big)).value.GetUnsigned(),
              2u * big.size() + 1);
    const Answer missed = Invoke("GetMoxXV1FilesByPath", Call("/mox-x/v1/filez/" + big));
    EXPECT_EQ(missed.status, 404u);
}

class BindingTest : public RouteTableTest {
protected:
    BindingTest() {
        const auto item = Binding::DescribeNative<Item>(registry);
        table.RegisterRawRoute(
            Declare(RouteMethod::Post, "/mox-x/v1/items/{id}"),
            {RouteArgument("id"), RouteArgument("flag"), RouteArgument("ids"), RouteArgument("item").InBody(),
             RouteArgument("any"), RouteArgument("count"),
             RouteArgument("meta").ContentType("application/json"),
             RouteArgument("packed").ContentType("application/x-msgpack"),
             RouteArgument("doc").ContentType("text/x-yaml"), RouteArgument("path").InPath()},
            {Type(NativeTypeKind::Int32), Type(NativeTypeKind::Bool),
             TypeDescriptor::Vector(Type(NativeTypeKind::Int64)), item, Type(NativeTypeKind::Object),
             Type(NativeTypeKind::Int32), item, Type(NativeTypeKind::Object), Type(NativeTypeKind::Object),
             Type(NativeTypeKind::String)},
            Type(NativeTypeKind::Object), &Echo);
    }

    Answer Post(Call call) {
        call.Method(kApiMethodPost);
        if (call.path.empty()) call.path = "/mox-x/v1/items/7";
        return Invoke("PostMoxXV1ItemsById", call);
    }
};

TEST_F(BindingTest, ArgumentsFromEveryPlace) {
    BindingProperty any;
    any.WriteField("x").SetSigned(-1);
    const Answer answer = Post(Call()
                                   .Param("any", any)
                                   .Arg("flag")
                                   .Arg("ids[0]", "1")
                                   .Arg("ids[1]", "2")
                                   .Arg("ids[0]", "3")
                                   .Body("application/json", R"({"name":"a"})"));
    EXPECT_EQ(answer.error, std::nullopt);
    EXPECT_EQ(Json(answer.value),
              R"({"any":{"x":-1},"flag":true,"id":"7","ids":["3","2"],"item":{"name":"a"}})");
}

TEST_F(BindingTest, ArgumentsGivenWithoutValue) {
    const Answer answer = Post(Call().Arg("flag").Arg("ids").Arg("any").Arg("meta"));
    EXPECT_EQ(answer.error, std::nullopt);
    // A structure named alone is an empty value, for its conversion to refuse (see the typed
    // handlers' cases).
    EXPECT_EQ(Json(answer.value), R"({"any":null,"flag":true,"id":"7","ids":[],"meta":null})");
    EXPECT_EQ(Post(Call().Param("flag", BindingProperty())).value.Field("flag").GetBool(), true);
}

TEST_F(BindingTest, BindingMessages) {
    struct Case {
        Call call;
        const char* message;  // the whole error text, or its start when it ends in "..."
    };
    BindingProperty five;
    five.SetSigned(5);
    const Case cases[] = {
        {Call().Arg("nope", "1"), "Unknown argument 'nope' for 'PostMoxXV1ItemsById'."},
        {Call().Param("nope", five), "Unknown argument 'nope' for 'PostMoxXV1ItemsById'."},
        {Call().Arg("count[0]", "1"), "Unknown argument 'count[0]' for 'PostMoxXV1ItemsById'."},
        {Call().Param("id", five),
         "Argument 'id' for 'PostMoxXV1ItemsById' was specified in an invalid location."},
        {Call().Arg("item", "{}"),
         "Argument 'item' for 'PostMoxXV1ItemsById' was specified in an invalid location."},
        {Call().Arg("count"), "Expected value for argument 'count'."},
        {Call().Arg("ids[x]", "1"), "Index x is in an incorrect format"},
        {Call().Arg("ids[]", "1"), "Index  is in an incorrect format"},
        {Call().Arg("ids[-1]", "1"), "Index -1 is in an incorrect format"},
        {Call().Arg("ids[1]", "1"), "Index 1 is out of range"},
        {Call().Arg("ids[0]", "1").Arg("ids[2]", "1"), "Index 2 is out of range"},
        {Call().Arg("meta", "{bad"),
         "Couldn't deserialize JSON value for parameter 'meta' of 'PostMoxXV1ItemsById': Error: ..."},
        {Call().Arg("packed", "\xC1"),
         "Couldn't deserialize MessagePack value for parameter 'packed' of 'PostMoxXV1ItemsById': ..."},
        {Call().Arg("packed", "\x01\x02"),
         "Couldn't deserialize MessagePack value for parameter 'packed' of 'PostMoxXV1ItemsById': Extra "
         "MessagePack data found at offset 1"},
        {Call().Arg("doc", "[a"),
         "Couldn't deserialize YAML value for parameter 'doc' of 'PostMoxXV1ItemsById': ..."},
        {Call().Body("application/json", "{"),
         "Couldn't deserialize JSON value for parameter 'item' of 'PostMoxXV1ItemsById': Error: ..."},
    };
    for (const Case& c : cases) {
        const Answer answer = Post(c.call);
        EXPECT_EQ(answer.status, 400u) << c.message;
        ASSERT_TRUE(answer.error) << c.message;
        const std::string_view message = c.message;
        if (message.ends_with("...")) {
            EXPECT_THAT(*answer.error, StartsWith(std::string(message.substr(0, message.size() - 3))));
        } else {
            EXPECT_EQ(*answer.error, message);
        }
        EXPECT_EQ(answer.value.Kind(), BindingKind::Empty) << c.message;
    }
}

TEST_F(BindingTest, BodyContentTypes) {
    struct Case {
        std::optional<std::string> contentType;
        std::string body;
        const char* item;     // the bound body as JSON
        const char* message;  // or the failure
    };
    const std::string packed =
        "\x81\xA4name\xA1"
        "a";
    const Case cases[] = {
        {"application/json", R"({"name":"a"})", R"({"name":"a"})", nullptr},
        {"Application/JSON; charset=utf-8", R"({"name":"a"})", R"({"name":"a"})", nullptr},
        {"application/JSON; charset=utf-8", R"({"name":"a"})", R"({"name":"a"})", nullptr},
        {" application/json ;charset=utf-8", R"({"name":"a"})", R"({"name":"a"})", nullptr},
        {"application/jsonx", R"({"name":"a"})", nullptr, "Unsupported body content type"},
        {"application/json-patch+json", "[]", nullptr, "Unsupported body content type"},
        {"application/x-msgpack-ext", packed, nullptr, "Unsupported body content type"},
        {"application/x-yaml2", "name: a", nullptr, "Unsupported body content type"},
        {"application/vnd.api+json", R"({"name":"a"})", R"({"name":"a"})", nullptr},
        {"application/x-yaml", "name: a", R"({"name":"a"})", nullptr},
        {"APPLICATION/X-YAML", "name: a", R"({"name":"a"})", nullptr},
        {"application/x-msgpack", packed, R"({"name":"a"})", nullptr},
        {"application/x-msgpack", packed + '\0', nullptr, "Extra MessgePack data found in body"},
        {"text/x-yaml", "name: a", nullptr, "Unsupported body content type"},
        {"text/plain", "a", nullptr, "Unsupported body content type"},
        {std::nullopt, "{}", nullptr, "Unsupported body content type"},
    };
    for (const Case& c : cases) {
        const Answer answer = Post(Call().Body(c.contentType, c.body));
        if (c.item) {
            EXPECT_EQ(answer.error, std::nullopt) << *c.contentType;
            EXPECT_EQ(Json(answer.value.Field("item")), c.item) << *c.contentType;
        } else {
            EXPECT_EQ(answer.error, c.message) << c.contentType.value_or("(none)");
            EXPECT_EQ(answer.status, 400u);
        }
    }
}

TEST_F(RouteTableTest, TextValueContentTypesAndDetection) {
    RouteDeclaration declaration = Declare(RouteMethod::Get, "/mox-x/v1/values");
    declaration.detectEncoding = true;
    const TypeDescriptor object = Type(NativeTypeKind::Object);
    table.RegisterRawRoute(
        declaration,
        {RouteArgument("detected"), RouteArgument("ext").ContentType("application/x-msgpack-ext"),
         RouteArgument("json").ContentType("Application/Json"),
         RouteArgument("yaml").ContentType("TEXT/X-YAML"),
         RouteArgument("octets").ContentType("application/octet-stream"),
         RouteArgument("plain").ContentType("text/plain"), RouteArgument("segment").InPath()},
        {object, object, object, object, object, object, object}, object, &Echo);
    table.RegisterRawRoute(Declare(RouteMethod::Get, "/mox-x/v1/texts/{segment}"),
                           {RouteArgument("text"), RouteArgument("segment")}, {object, object}, object,
                           &Echo);
    struct Case {
        const char* function;
        const char* name;
        std::string text;
        const char* json;
        BindingKind kind;
    };
    const Case cases[] = {
        // One ASCII character is also a whole MessagePack integer; text stays text.
        {"GetMoxXV1Values", "detected", "7", "7", BindingKind::Unsigned},
        {"GetMoxXV1Values", "detected", "[1,2]", "[1,2]", BindingKind::Collection},
        {"GetMoxXV1Values", "detected", "\x92\x01\x02", "[1,2]", BindingKind::Collection},
        {"GetMoxXV1Values", "detected", "a: 1", R"({"a":1})", BindingKind::Structure},
        {"GetMoxXV1Values", "detected", "abc", R"("abc")", BindingKind::String},
        {"GetMoxXV1Values", "detected", "{bad", R"("{bad")", BindingKind::String},
        {"GetMoxXV1Values", "ext", "\x92\x01\x02", "[1,2]", BindingKind::Collection},
        {"GetMoxXV1Values", "json", "[1]", "[1]", BindingKind::Collection},
        {"GetMoxXV1Values", "yaml", "a: 1", R"({"a":1})", BindingKind::Structure},
        {"GetMoxXV1Values", "octets", "ab", R"("YWI=")", BindingKind::Blob},
        {"GetMoxXV1Values", "plain", "[1]", R"("[1]")", BindingKind::String},
        // Without detection a text stays text.
        {"GetMoxXV1TextsBySegment", "text", "7", R"("7")", BindingKind::String},
    };
    for (const Case& c : cases) {
        const std::string path =
            std::string_view(c.function) == "GetMoxXV1Values" ? "/mox-x/v1/values" : "/mox-x/v1/texts/s";
        const Answer answer = Invoke(c.function, Call(path).Arg(c.name, c.text));
        ASSERT_EQ(answer.error, std::nullopt) << c.name << " " << c.text;
        EXPECT_EQ(Json(answer.value.Field(c.name)), c.json) << c.name << " " << c.text;
        EXPECT_EQ(answer.value.Field(c.name).Kind(), c.kind) << c.name << " " << c.text;
    }
}

TEST_F(RouteTableTest, TypedHandlersAndResults) {
    int closed = 0;
    int destroyed = 0;
    table.RegisterRoute(
        RouteMethod::Get, "/mox-x/v1/items/{id}",
        [&](std::int32_t id) -> RouteResult<Item> {
            switch (id) {
                case 0:
                    return NotFound();
                case 1:
                    return NotFound("No item.");
                case 2:
                    return InternalServerError();
                case 3:
                    return RouteFailure{403, "Refused"};
                case 4:
                    throw std::runtime_error("boom");
                case 5:
                    throw 5;
                case 6:
                    return RouteResult<Item>(Item{"streamed", 6})
                        .Stream(std::make_unique<TextStream>("0123456789", closed, destroyed))
                        .Raw()
                        .Form(2);
                default:
                    return RouteResult<Item>(Item{"item", id})
                        .Status(201, "Created")
                        .Header("x-a", "1")
                        .Header("x-b", "2")
                        .Form(7);
            }
        },
        RouteArgument("id"));
    table.RegisterRoute(
        RouteMethod::Post, "/mox-x/v1/items", [](const Item& item) { return RouteResult<Item>(item); },
        RouteArgument("item").InBody());
    table.RegisterRoute(
        RouteMethod::Put, "/mox-x/v1/items", [](const Item& item) { return RouteResult<Item>(item); },
        RouteArgument("item"));
    table.RegisterRoute(RouteMethod::Get, "/mox-x/v1/unregistered",
                        [] { return RouteResult<Unregistered>(Unregistered{}); });

    struct Case {
        const char* function;
        Call call;
        std::uint32_t status;
        std::optional<std::string> error;
        const char* json;
    };
    const Case cases[] = {
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/0"), 404, "Not found", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/1"), 404, "No item.", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/2"), 500, "Internal server error", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/3"), 403, "Refused", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/4"), 500, "boom", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/5"), 500, "Internal server error", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/9"), 201, std::nullopt, R"({"count":9,"name":"item"})"},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/x"), 400,
         "Value x for 'id' of type int32 is in an incorrect format", ""},
        {"GetMoxXV1ItemsById", Call("/mox-x/v1/items/4294967296"), 400,
         "Value 4294967296 for 'id' of type int32 is out of range", ""},
        {"PostMoxXV1Items",
         Call("/mox-x/v1/items", kApiMethodPost).Body("application/json", R"({"name":"n","count":0})"), 0,
         std::nullopt, R"({"name":"n"})"},
        {"PostMoxXV1Items", Call("/mox-x/v1/items", kApiMethodPost), 400, "A value for 'item' is required.",
         ""},
        {"PostMoxXV1Items", Call("/mox-x/v1/items", kApiMethodPost).Body("application/json", "{}"), 400,
         "Couldn't assign value to 'item' of type Test.Item because the input structure doesn't have "
         "required "
         "field 'name'.",
         ""},
        // Named without a value: no record, not one of defaults.
        {"PutMoxXV1Items", Call("/mox-x/v1/items", kApiMethodPut).Arg("item"), 400,
         "A value for 'item' is required.", ""},
        {"GetMoxXV1Unregistered", Call("/mox-x/v1/unregistered"), 400,
         "Couldn't convert native value because it's an unregistered structure.", ""},
    };
    for (const Case& c : cases) {
        const Answer answer = Invoke(c.function, c.call);
        EXPECT_EQ(answer.status, c.status) << c.call.path;
        EXPECT_EQ(answer.error, c.error) << c.call.path;
        EXPECT_EQ(Json(answer.value), c.json) << c.call.path;
        EXPECT_FALSE(answer.streamed);
    }

    const Answer detailed = Invoke("GetMoxXV1ItemsById", Call("/mox-x/v1/items/9"));
    EXPECT_EQ(detailed.statusText, "Created");
    EXPECT_THAT(detailed.headers, ::testing::ElementsAre(std::pair<std::string, std::string>("x-a", "1"),
                                                         std::pair<std::string, std::string>("x-b", "2")));
    EXPECT_EQ(detailed.form, 0u);
    EXPECT_EQ(detailed.raw, 0u);
    EXPECT_EQ(Invoke("GetMoxXV1ItemsById", Call("/mox-x/v1/items/0")).statusText, "");

    // The stream moves into the record: read and closed through it, destroyed by its release.
    const Answer streamed = Invoke("GetMoxXV1ItemsById", Call("/mox-x/v1/items/6"));
    EXPECT_TRUE(streamed.streamed);
    EXPECT_EQ(streamed.streamBody, "0123456789");
    EXPECT_EQ(streamed.raw, 1u);
    EXPECT_EQ(streamed.form, 2u);
    EXPECT_EQ(Json(streamed.value), R"({"count":6,"name":"streamed"})");
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(destroyed, 1);
}

TEST_F(RouteTableTest, ResponseRecordIsReleasedBeforeReuseAndAfterUse) {
    table.RegisterRoute(
        RouteMethod::Get, "/mox-x/v1/items/{id}",
        [](std::int32_t id) -> RouteResult<std::string> {
            if (id == 0) return NotFound();
            return RouteResult<std::string>("x").Header("h", "v");
        },
        RouteArgument("id"));
    const ApiFunctionRecord& record = Record("GetMoxXV1ItemsById");
    ApiRequest request{};
    request.method = kApiMethodGet;
    request.function = &record;
    request.path = "/mox-x/v1/items/1";
    ApiResponse response{};
    record.invoker(&response, &request);
    ASSERT_TRUE(response.release != nullptr);
    // Filled again without a release in between: what it held is released first (the sanitizers
    // would report the leak otherwise).
    request.path = "/mox-x/v1/items/0";
    record.invoker(&response, &request);
    EXPECT_EQ(+response.status, 404u);
    EXPECT_EQ(+response.headerCount, 0u);
    EXPECT_EQ(+response.value.tag, static_cast<std::uint32_t>(kFlatKindEmpty));
    response.release(&response);
    const ApiResponse zero{};
    EXPECT_EQ(std::memcmp(&response, &zero, sizeof zero), 0);
    // Releasing a zeroed record does nothing.
    ApiResponse released{};
    record.invoker(&released, &request);
    ApiResponseRelease release = released.release;
    release(&released);
    release(&released);
}

TEST_F(RouteTableTest, BuiltinHelp) {
    table.RegisterRoute(
        RouteMethod::Get, "/mox-x/v1/items/{id}", [](std::int32_t) { return RouteResult<>(); },
        RouteArgument("id").Description("Item {id}"));
    const auto call = [&](const std::vector<std::pair<std::string, std::string>>& arguments) {
        Call call("/mox-x/v1/items/1");
        for (const auto& [name, value] : arguments) call.Arg(name, value);
        return Invoke("GetMoxXV1ItemsById", call);
    };

    const Answer full = call({{"$builtin", "Help"}});
    ASSERT_EQ(full.error, std::nullopt);
    const BindingProperty& function = full.value.Field("functions").Element(0);
    EXPECT_EQ(function.Field("name").GetString(), "GetMoxXV1ItemsById");
    EXPECT_EQ(function.Field("arguments").Element(0).Field("description").GetString(), "Item {id}");
    EXPECT_GT(full.value.Field("types").Size(), 0u);

    const Answer epytext = call({{"$builtin", "Help"}, {"format", "Epytext"}});
    ASSERT_EQ(epytext.error, std::nullopt);
    EXPECT_EQ(epytext.value.Field("functions").Field("GetMoxXV1ItemsById").GetString(),
              "@param id: Item E{lb}idE{rb}\r\n@type id: int32\r\n@tags: Plugins,Plugin mox-x\r\n");
    EXPECT_THAT(std::string(epytext.value.Field("types").Field("BindingAsyncState").GetString()),
                StartsWith("Possible states of an asynchronous operation."));

    BindingProperty help;
    help.SetString("Help");
    BindingProperty two;
    two.SetSigned(2);
    const Answer byParameters =
        Invoke("GetMoxXV1ItemsById", Call("/mox-x/v1/items/1").Param("$builtin", help).Param("format", two));
    EXPECT_EQ(byParameters.value.Field("functions").Field("GetMoxXV1ItemsById").Kind(), BindingKind::String);

    const Answer unsupported = call({{"$builtin", "Reset"}});
    EXPECT_EQ(unsupported.status, 400u);
    EXPECT_EQ(unsupported.error, "Unsupported builtin function");
    const Answer badFormat = call({{"$builtin", "Help"}, {"format", "Pdf"}});
    EXPECT_EQ(badFormat.status, 400u);
    EXPECT_EQ(badFormat.error, "Pdf is not a valid BindingHelpFormat enumeration value for 'format'.");
    // The path still has to match a route.
    EXPECT_EQ(Invoke("GetMoxXV1ItemsById", Call("/elsewhere").Arg("$builtin", "Help")).error,
              "Invalid function");
}

}  // namespace
}  // namespace Zarn::Framework
