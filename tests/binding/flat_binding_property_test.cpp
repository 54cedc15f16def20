#include "binding/flat_binding_property.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/binding_store.h"
#include "binding/enumerator_names.h"

extern "C" size_t FlatBindingPropertySizeInC(void);
extern "C" size_t FlatStructureEntrySizeInC(void);

namespace Zarn::Binding {
namespace {

class FakeEnumeratorNames : public EnumeratorNames {
public:
    const char* EnumeratorName(std::uint32_t typeId, std::int32_t value) const override {
        const auto found = names_.find({typeId, value});
        return found == names_.end() ? nullptr : found->second.c_str();
    }
    std::map<std::pair<std::uint32_t, std::int32_t>, std::string> names_{{{0x5EA, 1}, "Blue"},
                                                                         {{0x5EA, 2}, "Red"}};
};

// Packed members are read by value: a reference to one may be misaligned.
template <typename T>
T Read(T value) {
    return value;
}

bool IsAllZero(const void* bytes, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        if (p[i] != 0) return false;
    }
    return true;
}

// Owns a flat record the way the host would hold one, releasing it at the end.
struct FlatHolder {
    FlatBindingProperty flat{};
    ~FlatHolder() { ReleaseFlat(flat); }
};

struct ErrorHolder {
    FlatError error{};
    ~ErrorHolder() { ReleaseFlatError(error); }
};

TEST(PluginAbiTest, CAndCppAgreeOnLayout) {
    EXPECT_EQ(FlatBindingPropertySizeInC(), sizeof(FlatBindingProperty));
    EXPECT_EQ(FlatStructureEntrySizeInC(), sizeof(FlatStructureEntry));
    EXPECT_EQ(sizeof(FlatBindingProperty), sizeof(void*) == 4 ? 12u : 16u);
}

TEST(FlatBindingPropertyTest, KindNames) {
    const char* const expected[] = {"",       "bool", "signed", "unsigned",   "float",     "string",
                                    "string", "blob", "blob",   "collection", "structure", ""};
    for (std::uint32_t tag = 0; tag < 12; ++tag) EXPECT_STREQ(FlatKindName(tag), expected[tag]) << tag;
}

TEST(FlatBindingPropertyTest, RoundTripOfEveryKind) {
    BindingProperty value;
    value.WriteField("empty");
    value.WriteField("bool").SetBool(true);
    value.WriteField("signed").SetSigned(-1234567890123);
    value.WriteField("unsigned").SetUnsigned(18446744073709551615u);
    value.WriteField("float").SetFloat(-0.125);
    value.WriteField("string").SetString("Ægir the Bold");
    value.WriteField("empty string").SetString("");
    value.WriteField("blob").SetBlob(BindingProperty::Blob{0, 0xFF, 0});
    value.WriteField("empty blob").SetBlob(BindingProperty::Blob{});
    value.WriteField("empty list").MakeCollection();
    value.WriteField("empty map").MakeStructure();
    BindingProperty& players = value.WriteField("players");
    for (int i = 0; i < 2; ++i) {
        BindingProperty& player = players.AppendElement();
        player.WriteField("summonerName").SetString(i == 0 ? "ZeroCool" : "Ωmega");
        player.WriteField("statistics").AppendElement().WriteField("value").SetSigned(i);
    }

    FlatHolder holder;
    ASSERT_TRUE(ToFlat(value, holder.flat).Succeeded());
    ASSERT_EQ(Read(holder.flat.tag), static_cast<std::uint32_t>(kFlatKindStructure));
    ASSERT_EQ(Read(holder.flat.payload.structure.count), 12u);
    const std::map<std::string, std::uint32_t> expectedTags{
        {"blob", 8},       {"bool", 1},       {"empty", 0},        {"empty blob", 8},
        {"empty list", 9}, {"empty map", 10}, {"empty string", 6}, {"float", 4},
        {"players", 9},    {"signed", 2},     {"string", 6},       {"unsigned", 3}};
    const FlatStructureEntry* entries = holder.flat.payload.structure.entries;
    auto expected = expectedTags.begin();
    for (std::uint32_t i = 0; i < 12; ++i, ++expected) {
        EXPECT_STREQ(entries[i].name, expected->first.c_str());
        EXPECT_EQ(Read(entries[i].value.tag), expected->second) << entries[i].name;
        EXPECT_EQ(Read(entries[i].ownsName), 1);
    }
    EXPECT_STREQ(entries[10].value.payload.text.data, "Ægir the Bold");
    EXPECT_EQ(Read(entries[10].value.payload.text.length), std::strlen("Ægir the Bold"));

    BindingProperty back;
    ErrorHolder error;
    ASSERT_TRUE(FromFlat(holder.flat, back, "<value>", error.error));
    EXPECT_EQ(Read(error.error.message), nullptr);
    EXPECT_EQ(back, value);
}

TEST(FlatBindingPropertyTest, ToFlatReleasesTheRecordAndTruncatesAtNul) {
    BindingProperty value;
    value.SetString(std::string_view("ab\0cd", 5));
    FlatHolder holder;
    ASSERT_TRUE(ToFlat(value, holder.flat).Succeeded());
    // Written again over an owned record: the first copy must be freed (the leak checker sees it).
    ASSERT_TRUE(ToFlat(value, holder.flat).Succeeded());
    EXPECT_EQ(Read(holder.flat.tag), static_cast<std::uint32_t>(kFlatKindOwnedString));
    EXPECT_STREQ(holder.flat.payload.text.data, "ab");
    EXPECT_EQ(Read(holder.flat.payload.text.length), 2u);
}

TEST(FlatBindingPropertyTest, EnumsByNameWhenKnown) {
    const FakeEnumeratorNames names;
    struct Case {
        BindingEnum enumerator;
        const EnumeratorNames* names;
        std::uint32_t tag;
        const char* text;
        std::int64_t number;
    };
    const Case cases[] = {
        {{2, 0x5EA}, nullptr, kFlatKindSigned, nullptr, 2},
        {{2, 0x5EA}, &names, kFlatKindOwnedString, "Red", 0},
        {{3, 0x5EA}, &names, kFlatKindSigned, nullptr, 3},
        {{-1, 0x5EB}, &names, kFlatKindSigned, nullptr, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enumerator.value);
        BindingProperty value;
        value.SetEnum(c.enumerator.value, c.enumerator.typeId);
        FlatHolder holder;
        ASSERT_TRUE(ToFlat(value, holder.flat, c.names).Succeeded());
        EXPECT_EQ(Read(holder.flat.tag), c.tag);
        if (c.text != nullptr) {
            EXPECT_STREQ(holder.flat.payload.text.data, c.text);
        } else {
            EXPECT_EQ(Read(holder.flat.payload.signedValue), c.number);
        }
    }
}

TEST(FlatBindingPropertyTest, StructureEntriesInByteOrder) {
    BindingProperty value;
    for (const char* key : {"b", "a", "\xC3\xA9", "B", "ab"}) value.WriteField(key).SetString(key);
    FlatHolder holder;
    ASSERT_TRUE(ToFlat(value, holder.flat).Succeeded());
    const char* const expected[] = {"B", "a", "ab", "b", "\xC3\xA9"};
    ASSERT_EQ(Read(holder.flat.payload.structure.count), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(holder.flat.payload.structure.entries[i].name, expected[i]);
        EXPECT_STREQ(holder.flat.payload.structure.entries[i].value.payload.text.data, expected[i]);
    }
}

TEST(FlatBindingPropertyTest, EntriesInAnyOrderGiveTheSameStructure) {
    // Descending and shuffled names, with a repeated one whose later entry wins.
    const std::vector<std::vector<const char*>> orders = {
        {"d", "c", "b", "a"}, {"b", "d", "a", "c"}, {"d", "b", "d", "c", "a"}, {"a", "b", "c", "d"}};
    BindingProperty expected;
    for (const char* key : {"a", "b", "c", "d"}) expected.WriteField(key).SetUnsigned(key[0]);
    for (const auto& names : orders) {
        std::vector<FlatStructureEntry> entries(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            entries[i].name = names[i];
            entries[i].value.tag = kFlatKindUnsigned;
            // A repeated name's earlier entry carries a value that must not survive.
            const bool repeatedLater =
                std::count(names.begin() + i + 1, names.end(), std::string_view(names[i]));
            entries[i].value.payload.unsignedValue = repeatedLater ? 0 : names[i][0];
        }
        FlatBindingProperty flat{};
        flat.tag = kFlatKindStructure;
        flat.payload.structure = {entries.data(), static_cast<std::uint32_t>(entries.size())};
        BindingProperty value;
        ASSERT_TRUE(FromFlat(flat, value, "body").Succeeded());
        EXPECT_EQ(value, expected) << names[0] << names[1];
    }
}

TEST(FlatBindingPropertyTest, ReleaseZeroesTheRecord) {
    FlatBindingProperty flat;
    std::memset(&flat, 0xAB, sizeof(flat));
    flat.tag = kFlatKindOwnedBlob;
    flat.payload.bytes.data = static_cast<std::uint8_t*>(std::malloc(4));
    flat.payload.bytes.size = 4;
    ReleaseFlat(flat);
    EXPECT_TRUE(IsAllZero(&flat, sizeof(flat)));

    // Borrowed and unknown tags free nothing but are cleared as well.
    static const char kHostText[] = "host";
    flat.tag = kFlatKindString;
    flat.payload.text.data = kHostText;
    ReleaseFlat(flat);
    EXPECT_TRUE(IsAllZero(&flat, sizeof(flat)));
}

TEST(FlatBindingPropertyTest, BorrowedHostRecordsAreCopied) {
    static const char kText[] = "borrowed";
    static const std::uint8_t kBytes[] = {9, 8, 7};
    FlatBindingProperty elements[3] = {};
    elements[0].tag = kFlatKindString;
    elements[0].payload.text.data = kText;
    elements[1].tag = kFlatKindBlob;
    elements[1].payload.bytes = {kBytes, 3};
    elements[2].tag = kFlatKindString;  // a null borrowed text reads as empty
    FlatStructureEntry entries[2] = {};
    entries[0].name = "z";
    entries[0].value.tag = kFlatKindCollection;
    entries[0].value.payload.collection = {elements, 3};
    entries[1].name = "z";  // a repeated name: the later entry wins
    entries[1].value.tag = kFlatKindUnsigned;
    entries[1].value.payload.unsignedValue = 5;
    FlatBindingProperty flat{};
    flat.tag = kFlatKindStructure;
    flat.payload.structure = {entries, 2};

    BindingProperty value;
    value.WriteField("stale").SetBool(true);
    ASSERT_TRUE(FromFlat(flat, value, "body").Succeeded());
    EXPECT_EQ(value.Size(), 1u);
    EXPECT_EQ(value.Field("z").GetUnsigned(), 5u);

    ASSERT_TRUE(FromFlat(entries[0].value, value, "body").Succeeded());
    ASSERT_EQ(value.Size(), 3u);
    EXPECT_EQ(value.Element(0).GetString(), "borrowed");
    EXPECT_EQ(value.Element(1).GetBlob(), (BindingProperty::Blob{9, 8, 7}));
    EXPECT_EQ(value.Element(2).Kind(), BindingKind::String);
    EXPECT_EQ(value.Element(2).Size(), 0u);
}

TEST(FlatBindingPropertyTest, InvalidRecordsFailWithAMessage) {
    FlatBindingProperty unknown{};
    unknown.tag = 11;
    FlatBindingProperty noElements{};
    noElements.tag = kFlatKindCollection;
    noElements.payload.collection = {nullptr, 2};
    FlatBindingProperty noEntries{};
    noEntries.tag = kFlatKindStructure;
    noEntries.payload.structure = {nullptr, 1};
    FlatBindingProperty noBytes{};
    noBytes.tag = kFlatKindOwnedBlob;
    noBytes.payload.bytes = {nullptr, 3};
    FlatBindingProperty noText{};
    noText.tag = kFlatKindOwnedString;
    noText.payload.text = {nullptr, 3};
    FlatStructureEntry unnamed[1] = {};
    FlatBindingProperty unnamedField{};
    unnamedField.tag = kFlatKindStructure;
    unnamedField.payload.structure = {unnamed, 1};
    // Nested: the caller's name is used at every level.
    FlatBindingProperty nested[2] = {};
    nested[0].tag = kFlatKindSigned;
    nested[1].tag = 0xFFFFFFFF;
    FlatBindingProperty list{};
    list.tag = kFlatKindCollection;
    list.payload.collection = {nested, 2};

    const std::pair<const FlatBindingProperty*, const char*> cases[] = {
        {&unknown,
         "Couldn't assign value to 'body' of type object because the input is of an incompatible type ''."},
        {&list,
         "Couldn't assign value to 'body' of type object because the input is of an incompatible type ''."},
        {&noElements,
         "Couldn't assign value to 'body' of type object because the input 'collection' has a null pointer "
         "with a "
         "non-zero count."},
        {&noEntries,
         "Couldn't assign value to 'body' of type object because the input 'structure' has a null pointer "
         "with a "
         "non-zero count."},
        {&noBytes,
         "Couldn't assign value to 'body' of type object because the input 'blob' has a null pointer with a "
         "non-zero "
         "size."},
        {&noText,
         "Couldn't assign value to 'body' of type object because the input 'string' has a null pointer with "
         "a "
         "non-zero length."},
        {&unnamedField,
         "Couldn't assign value to 'body' of type object because the input 'structure' has a field without a "
         "name."},
    };
    for (const auto& [flat, message] : cases) {
        SCOPED_TRACE(message);
        ErrorHolder error;
        // An earlier owned message is released before the new one is stored.
        error.error.message = static_cast<char*>(std::calloc(1, 1));
        error.error.ownsMessage = 1;
        BindingProperty target;
        EXPECT_FALSE(FromFlat(*flat, target, "body", error.error));
        EXPECT_STREQ(error.error.message, message);
        EXPECT_EQ(Read(error.error.ownsMessage), 1);
    }
}

// A chain of single-element collections, `depth` containers deep, built without recursion.
FlatBindingProperty DeepFlatChain(std::size_t depth) {
    FlatBindingProperty root{};
    FlatBindingProperty* cursor = &root;
    for (std::size_t i = 0; i < depth; ++i) {
        cursor->tag = kFlatKindCollection;
        cursor->payload.collection.elements =
            static_cast<FlatBindingProperty*>(std::calloc(1, sizeof(FlatBindingProperty)));
        cursor->payload.collection.count = 1;
        cursor = cursor->payload.collection.elements;
    }
    cursor->tag = kFlatKindSigned;
    cursor->payload.signedValue = 7;
    return root;
}

TEST(FlatBindingPropertyTest, NestingDepthIsBounded) {
    const std::string tooDeep =
        "Couldn't assign value to 'body' of type object because the input is nested deeper than 1000 levels.";
    for (const std::size_t depth : {kMaxNestingDepth, kMaxNestingDepth + 1, std::size_t{1000000}}) {
        SCOPED_TRACE(depth);
        FlatHolder holder;
        holder.flat = DeepFlatChain(depth);
        BindingProperty target;
        const BindingResult result = FromFlat(holder.flat, target, "body");
        if (depth <= kMaxNestingDepth) {
            ASSERT_TRUE(result.Succeeded()) << result.Message();
            const BindingProperty* cursor = &target;
            for (std::size_t i = 0; i < depth; ++i) cursor = &cursor->Element(0);
            EXPECT_EQ(cursor->GetSigned(), 7);
        } else {
            EXPECT_EQ(result.Message(), tooDeep);
        }
    }
}

TEST(FlatBindingPropertyTest, MillionLevelsDeepValueToFlatAndBack) {
    BindingProperty root;
    BindingProperty* cursor = &root;
    for (int i = 0; i < 1000000; ++i) cursor = &cursor->WriteField("k");
    cursor->SetString("bottom");
    FlatHolder holder;
    ASSERT_TRUE(ToFlat(root, holder.flat).Succeeded());
    const FlatBindingProperty* flat = &holder.flat;
    for (int i = 0; i < 1000000; ++i) flat = &flat->payload.structure.entries[0].value;
    EXPECT_STREQ(flat->payload.text.data, "bottom");
}

}  // namespace
}  // namespace Zarn::Binding
