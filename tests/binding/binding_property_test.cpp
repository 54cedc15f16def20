#include "binding/binding_property.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "binding/binding_result.h"
#include "binding/binding_store.h"
#include "binding/fnv1a.h"

namespace Zarn::Binding {
namespace {

using Builder = std::function<void(BindingProperty&)>;

BindingProperty Make(const Builder& setup) {
    BindingProperty value;
    setup(value);
    return value;
}

std::vector<std::string> FieldNames(const BindingProperty& value) {
    std::vector<std::string> names;
    for (const BindingField& field : value.Fields()) names.emplace_back(field.Name());
    return names;
}

TEST(BindingKindTest, NamesAndOutOfRange) {
    const char* const expected[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                    "string", "blob", "enum",   "collection", "structure"};
    for (int i = 0; i < 10; ++i) EXPECT_STREQ(BindingKindName(static_cast<BindingKind>(i)), expected[i]);
    EXPECT_STREQ(BindingKindName(static_cast<BindingKind>(10)), "");
    EXPECT_STREQ(BindingKindName(static_cast<BindingKind>(255)), "");
}

// Each kind answers only its own getter, and has the size of its payload.
TEST(BindingPropertyTest, TypedGettersNeverConvertAndSizePerKind) {
    struct Case {
        const char* name;
        Builder setup;
        BindingKind kind;
        std::size_t size;
    };
    const Case cases[] = {
        {"empty", [](BindingProperty&) {}, BindingKind::Empty, 0},
        {"bool", [](BindingProperty& v) { v.SetBool(true); }, BindingKind::Bool, 1},
        {"signed", [](BindingProperty& v) { v.SetSigned(-5); }, BindingKind::Signed, 1},
        {"unsigned", [](BindingProperty& v) { v.SetUnsigned(5); }, BindingKind::Unsigned, 1},
        {"float", [](BindingProperty& v) { v.SetFloat(2.5); }, BindingKind::Float, 1},
        {"string", [](BindingProperty& v) { v.SetString(std::string_view("a\0b", 3)); }, BindingKind::String,
         3},
        {"blob",
         [](BindingProperty& v) {
             v.SetBlob(BindingProperty::Blob{1, 2});
         },
         BindingKind::Blob, 2},
        {"enum", [](BindingProperty& v) { v.SetEnum(3, 77); }, BindingKind::Enum, 1},
        {"collection", [](BindingProperty& v) { v.WriteElement(3); }, BindingKind::Collection, 4},
        {"structure",
         [](BindingProperty& v) {
             v.WriteField("x");
             v.WriteField("y");
         },
         BindingKind::Structure, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BindingProperty value = Make(c.setup);
        EXPECT_EQ(value.Kind(), c.kind);
        EXPECT_EQ(value.Size(), c.size);
        EXPECT_EQ(value.GetBool(false), c.kind == BindingKind::Bool);
        EXPECT_EQ(value.GetSigned(42), c.kind == BindingKind::Signed ? -5 : 42);
        EXPECT_EQ(value.GetUnsigned(42), c.kind == BindingKind::Unsigned ? 5u : 42u);
        EXPECT_EQ(value.GetFloat(4.0), c.kind == BindingKind::Float ? 2.5 : 4.0);
        EXPECT_EQ(value.GetString("dflt"),
                  c.kind == BindingKind::String ? std::string_view("a\0b", 3) : "dflt");
        EXPECT_EQ(value.GetBlob().size(), c.kind == BindingKind::Blob ? 2u : 0u);
        const BindingEnum fallback{9, 9};
        EXPECT_EQ(value.GetEnum(fallback), c.kind == BindingKind::Enum ? BindingEnum(3, 77) : fallback);
    }
}

TEST(BindingPropertyTest, SettersReplaceTheKindAndMakeContainerKeepsContent) {
    BindingProperty value;
    value.SetString("text");
    value.SetSigned(7);
    EXPECT_EQ(value.GetSigned(), 7);
    EXPECT_EQ(value.Store()->StringCount(), 0u);

    value.WriteElement(1).SetBool(true);
    value.MakeCollection();
    EXPECT_EQ(value.Size(), 2u);
    value.MakeStructure();
    EXPECT_EQ(value.Kind(), BindingKind::Structure);
    EXPECT_EQ(value.Size(), 0u);

    BindingProperty::Blob bytes{1, 2, 3};
    value.SetBlob(std::move(bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(value.GetBlob(), (BindingProperty::Blob{1, 2, 3}));

    value.SetString(static_cast<const char*>(nullptr));
    EXPECT_EQ(value.Kind(), BindingKind::String);
    EXPECT_EQ(value.GetString("x"), "");
}

TEST(BindingPropertyTest, ElementGrowthRules) {
    BindingProperty list;
    for (int i = 0; i < 3; ++i) list.AppendElement().SetSigned(i);

    const BindingProperty& constList = list;
    EXPECT_EQ(constList.Element(5).Kind(), BindingKind::Empty);
    EXPECT_EQ(list.Size(), 3u);

    list.WriteElement(5).SetString("six");
    ASSERT_EQ(list.Size(), 6u);
    EXPECT_EQ(list.Element(2).GetSigned(), 2);
    EXPECT_EQ(list.Element(3).Kind(), BindingKind::Empty);
    EXPECT_EQ(list.Element(5).GetString(), "six");
    for (const BindingProperty& element : list.Elements()) EXPECT_EQ(element.Store(), list.Store());

    BindingProperty scalar;
    scalar.SetFloat(1.0);
    EXPECT_EQ(scalar.Element(0).Kind(), BindingKind::Empty);
    scalar.WriteElement(0).SetBool(false);
    EXPECT_EQ(scalar.Kind(), BindingKind::Collection);
    EXPECT_EQ(scalar.Size(), 1u);
}

TEST(BindingPropertyTest, FieldAccessAndOverwriteInPlace) {
    BindingProperty value;
    value.SetSigned(12);
    value.WriteField("id").SetUnsigned(3);
    ASSERT_EQ(value.Kind(), BindingKind::Structure);
    EXPECT_EQ(value.Size(), 1u);
    EXPECT_EQ(value.Field("id").GetUnsigned(), 3u);

    value.WriteField("id").SetString("again");
    EXPECT_EQ(value.Size(), 1u);
    EXPECT_EQ(value.Field("id").GetString(), "again");

    EXPECT_TRUE(value.HasField("id"));
    EXPECT_FALSE(value.HasField("i"));
    EXPECT_FALSE(value.HasField("idx"));
    EXPECT_EQ(value.Field("missing").Kind(), BindingKind::Empty);
    EXPECT_EQ(value.Size(), 1u);

    BindingProperty list;
    list.AppendElement();
    EXPECT_FALSE(list.HasField("id"));
    EXPECT_EQ(list.Field("id").Kind(), BindingKind::Empty);
}

TEST(BindingPropertyTest, KeysInUnsignedByteOrder) {
    BindingProperty value;
    for (const char* key : {"b", "\xC3\xA9t\xC3\xA9", "a", "B", "ab", "\x7F", "", "a"}) value.WriteField(key);
    EXPECT_EQ(FieldNames(value),
              (std::vector<std::string>{"", "B", "a", "ab", "b", "\x7F", "\xC3\xA9t\xC3\xA9"}));
    for (const char* key : {"", "B", "a", "ab", "b", "\x7F", "\xC3\xA9t\xC3\xA9"})
        EXPECT_TRUE(value.HasField(key)) << key;
    // Fields shifted by an insertion stay in the tree's store.
    for (const BindingField& field : value.Fields())
        EXPECT_EQ(field.Value().Store(), value.Store()) << field.Name();

    // Ascending insertion (the decoders' order) gives the same map.
    BindingProperty sorted;
    for (const char* key : {"", "B", "a", "ab", "b", "\x7F", "\xC3\xA9t\xC3\xA9"}) sorted.WriteField(key);
    EXPECT_EQ(sorted, value);
}

TEST(BindingPropertyTest, FieldsAppendedInAnyOrderAreSortedOnceAndTheLaterOfANameKept) {
    BindingProperty other;
    other.WriteField("deep").AppendElement().SetString("from another tree");
    BindingProperty value;
    value.AppendFieldUnsorted("c").SetSigned(1);
    value.AppendFieldUnsorted("a").AppendElement().SetString("superseded");
    value.AppendFieldUnsorted("b") = std::move(other);  // a subtree of another store, superseded too
    value.AppendFieldUnsorted("ab").SetSigned(2);
    value.AppendFieldUnsorted("b").SetSigned(3);
    value.AppendFieldUnsorted("a").SetSigned(4);
    value.AppendFieldUnsorted("a").SetSigned(5);  // the last field's name: that field again
    EXPECT_EQ(value.Size(), 6u);
    value.SortFields();
    EXPECT_EQ(FieldNames(value), (std::vector<std::string>{"a", "ab", "b", "c"}));
    EXPECT_EQ(value.Field("a").GetSigned(), 5);
    EXPECT_EQ(value.Field("ab").GetSigned(), 2);
    EXPECT_EQ(value.Field("b").GetSigned(), 3);
    EXPECT_EQ(value.Field("c").GetSigned(), 1);

    // Fields in order are left as they are; the structure stays writable.
    value.SortFields();
    value.WriteField("aa").SetBool(true);
    EXPECT_EQ(FieldNames(value), (std::vector<std::string>{"a", "aa", "ab", "b", "c"}));
    BindingProperty scalar;
    scalar.SetSigned(1);
    scalar.SortFields();
    EXPECT_EQ(scalar.GetSigned(), 1);
}

TEST(BindingStoreTest, StringsAreSharedAndReleased) {
    BindingProperty tree;
    tree.WriteElement(0).SetString("shared text");
    tree.WriteElement(1).SetString("shared text");
    tree.WriteElement(2).SetString("");
    const BindingStore& store = *tree.Store();
    EXPECT_EQ(store.StringCount(), 1u);

    tree.WriteElement(0).SetSigned(1);
    EXPECT_EQ(store.StringCount(), 1u);
    EXPECT_EQ(tree.Element(1).GetString(), "shared text");
    EXPECT_EQ(tree.Element(2).GetString("x"), "");

    tree.WriteElement(1).Reset();
    EXPECT_EQ(store.StringCount(), 0u);

    BindingProperty empty;
    empty.SetString("");
    EXPECT_EQ(empty.Store(), nullptr);
    EXPECT_EQ(empty.GetString("x"), "");
}

TEST(BindingStoreTest, TableGrowsAndBlocksReturnOnReset) {
    BindingProperty tree;
    for (int i = 0; i < 100; ++i) {
        BindingProperty& item = tree.AppendElement();
        item.WriteField("name").SetString("item " + std::to_string(i));
        item.WriteField("tag").SetEnum(i, 7);
        item.WriteField("data").SetBlob(BindingProperty::Blob{1});
    }
    const BindingStore& store = *tree.Store();
    EXPECT_EQ(store.StringCount(), 103u);  // three keys, one hundred names
    EXPECT_GE(store.BucketCount(), 128u);
    EXPECT_EQ(store.BlocksInUse(), 1u + 100 * 3);  // the list, then per item its map, enum and blob
    tree.MakeStructure();
    EXPECT_EQ(store.StringCount(), 0u);
    EXPECT_EQ(store.BlocksInUse(), 1u);

    // The root as the store's only holder lets go of everything at once, and can be filled again.
    tree.WriteField("again").SetString("text");
    tree.Reset();
    EXPECT_EQ(store.StringCount(), 0u);
    EXPECT_EQ(store.PageCount(), 0u);
    tree.WriteField("again").SetString("text");
    EXPECT_EQ(tree.Field("again").GetString(), "text");
}

TEST(BindingStoreTest, LargeBlocksSurviveGrowthReleaseAndReuse) {
    // Lists of 40 to 339 items take 648 to 5432 bytes and long texts above 512 bytes: heap blocks
    // first, then, once the tree holds 32 KB of them, blocks carved from the store's own segments
    // (up to 4096 bytes), freed and handed out again as the lists are rebuilt with other sizes.
    BindingProperty tree;
    const auto count = [](std::size_t list, std::size_t round) {
        return 40 + (list * 37 + round * 101) % 300;
    };
    const auto text = [](std::size_t list, std::size_t round) {
        return std::string(600 + list, static_cast<char>('a' + round));
    };
    for (std::size_t round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        for (std::size_t i = 0; i < 60; ++i) {
            BindingProperty& list = tree.WriteElement(i);
            list.Reset();
            for (std::size_t k = 0; k < count(i, round); ++k)
                list.AppendElement().SetUnsigned(i * 1000 + k + round);
            list.AppendElement().SetString(text(i, round));
            if (i % 3 == 0) list.ShrinkToFit();
        }
        bool intact = true;
        for (std::size_t i = 0; i < 60; ++i) {
            const BindingProperty& list = tree.Element(i);
            intact = intact && list.Size() == count(i, round) + 1 &&
                     list.Element(count(i, round)).GetString() == text(i, round);
            for (std::size_t k = 0; intact && k < count(i, round); ++k)
                intact = list.Element(k).GetUnsigned() == i * 1000 + k + round;
        }
        EXPECT_TRUE(intact);
        const BindingProperty copy = tree;
        EXPECT_EQ(copy, tree);
    }
    const BindingStore& store = *tree.Store();
    EXPECT_EQ(store.BlocksInUse(), 61u);
    tree.MakeStructure();
    EXPECT_EQ(store.BlocksInUse(), 1u);
    EXPECT_EQ(store.StringCount(), 0u);
}

TEST(BindingStoreTest, Fnv1a32) {
    EXPECT_EQ(Fnv1a32(""), 2166136261u);
    EXPECT_EQ(Fnv1a32("a"), 0xE40C292Cu);
    EXPECT_EQ(Fnv1a32("foobar"), 0xBF9CF968u);
}

TEST(BindingPropertyTest, LenientReadings) {
    struct Case {
        const char* name;
        Builder setup;
        bool asBool;
        std::int64_t asSigned;
        std::uint64_t asUnsigned;
        std::string asString;
    };
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kUMax = std::numeric_limits<std::uint64_t>::max();
    auto text = [](const char* t) { return [t](BindingProperty& v) { v.SetString(t); }; };
    auto blob = [](BindingProperty::Blob b) { return [b](BindingProperty& v) { v.SetBlob(b); }; };
    // Defaults passed below: AsBool(false), AsSigned(-9), AsUnsigned(9), AsString("dflt").
    const Case cases[] = {
        {"empty", [](BindingProperty&) {}, false, -9, 9, "dflt"},
        {"true", [](BindingProperty& v) { v.SetBool(true); }, true, 1, 1, "true"},
        {"false", [](BindingProperty& v) { v.SetBool(false); }, false, 0, 0, "false"},
        {"signed -5", [](BindingProperty& v) { v.SetSigned(-5); }, true, -5, kUMax - 4, "-5"},
        {"unsigned max", [](BindingProperty& v) { v.SetUnsigned(kUMax); }, true, -1, kUMax,
         "18446744073709551615"},
        {"float -2.7", [](BindingProperty& v) { v.SetFloat(-2.7); }, true, -2, kUMax - 1, "-2.700000"},
        {"float 0", [](BindingProperty& v) { v.SetFloat(-0.0); }, false, 0, 0, "-0.000000"},
        {"float NaN", [](BindingProperty& v) { v.SetFloat(std::nan("")); }, true, 0, 0, "nan"},
        {"float 2^63", [](BindingProperty& v) { v.SetFloat(9223372036854775808.0); }, true, kMax,
         9223372036854775808u, "9223372036854775808.000000"},
        {"float 1e30", [](BindingProperty& v) { v.SetFloat(1e30); }, true, kMax, kUMax,
         "1000000000000000019884624838656.000000"},
        {"float -1e30", [](BindingProperty& v) { v.SetFloat(-1e30); }, true, kMin, 9223372036854775808u,
         "-1000000000000000019884624838656.000000"},
        {"text 0x1F", text("0x1F"), false, 31, 31, "0x1F"},
        {"text 017", text("017"), false, 15, 15, "017"},
        {"text -5", text("-5"), false, -5, kUMax - 4, "-5"},
        {"text spaces and tail", text(" \t+42abc"), false, 42, 42, " \t+42abc"},
        {"text no digits", text("abc"), false, 0, 0, "abc"},
        {"text true", text("true"), true, 0, 0, "true"},
        {"text 1", text("1"), true, 1, 1, "1"},
        {"text True", text("True"), false, 0, 0, "True"},
        {"text overflow", text("99999999999999999999"), false, kMax, kUMax, "99999999999999999999"},
        {"text underflow", text("-99999999999999999999"), false, kMin, kUMax, "-99999999999999999999"},
        {"enum -3", [](BindingProperty& v) { v.SetEnum(-3, 1); }, true, -3, kUMax - 2, "-3"},
        {"enum 0", [](BindingProperty& v) { v.SetEnum(0, 1); }, false, 0, 0, "0"},
        {"blob 0", blob({}), false, -9, 9, ""},
        {"blob 1", blob({'f'}), true, -9, 9, "Zg=="},
        {"blob 2", blob({'f', 'o'}), true, -9, 9, "Zm8="},
        {"blob 3", blob({'f', 'o', 'o'}), true, -9, 9, "Zm9v"},
        {"blob high bits", blob({0xFB, 0xFF, 0xBF}), true, -9, 9, "+/+/"},
        {"empty collection", [](BindingProperty& v) { v.MakeCollection(); }, false, -9, 9, "dflt"},
        {"collection", [](BindingProperty& v) { v.AppendElement(); }, true, -9, 9, "dflt"},
        {"empty structure", [](BindingProperty& v) { v.MakeStructure(); }, false, -9, 9, "dflt"},
        {"structure", [](BindingProperty& v) { v.WriteField("a"); }, true, -9, 9, "dflt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BindingProperty value = Make(c.setup);
        EXPECT_EQ(value.AsBool(false), c.asBool);
        EXPECT_EQ(value.AsSigned(-9), c.asSigned);
        EXPECT_EQ(value.AsUnsigned(9), c.asUnsigned);
        EXPECT_EQ(value.AsString("dflt"), c.asString);
    }
    EXPECT_TRUE(BindingProperty().AsBool(true));
}

TEST(BindingPropertyTest, ReserveOnlyForCollectionsWithLengthLimit) {
    BindingProperty list;
    list.MakeCollection();
    EXPECT_THROW(list.Reserve(kMaxCollectionReserve + 1), std::length_error);
    list.Reserve(16);
    EXPECT_EQ(list.Size(), 0u);

    BindingProperty scalar;
    scalar.SetSigned(1);
    EXPECT_NO_THROW(scalar.Reserve(kMaxCollectionReserve + 1));
    EXPECT_EQ(scalar.Kind(), BindingKind::Signed);
}

TEST(BindingPropertyTest, WriteElementRefusesMoreThanTheCountsHold) {
    if constexpr (sizeof(std::size_t) > 4) {
        BindingProperty list;
        EXPECT_THROW(list.WriteElement(std::size_t{1} << 32), std::length_error);
        EXPECT_EQ(list.Kind(), BindingKind::Collection);
        EXPECT_EQ(list.Size(), 0u);
    }
}

// Counts on both sides of the chunk size classes, up to arrays larger than the largest class.
TEST(BindingPropertyTest, ShrinkToFitKeepsContainersIntactAndGrowable) {
    for (std::size_t count : {0u, 1u, 2u, 3u, 5u, 9u, 17u, 33u, 70u, 100u}) {
        SCOPED_TRACE(count);
        BindingProperty tree;
        BindingProperty& list = tree.WriteField("list");
        BindingProperty& map = tree.WriteField("map");
        list.MakeCollection();
        map.MakeStructure();
        for (std::size_t i = 0; i < count; ++i) {
            list.AppendElement().SetString("item " + std::to_string(i));
            map.WriteField("key " + std::to_string(count - i)).SetUnsigned(i);
        }
        const BindingProperty before = tree;
        list.ShrinkToFit();
        map.ShrinkToFit();
        tree.ShrinkToFit();
        EXPECT_EQ(tree, before);

        list.AppendElement().SetString("more");
        map.WriteField("key 0").SetString("more");
        ASSERT_EQ(list.Size(), count + 1);
        EXPECT_EQ(list.Element(count).GetString(), "more");
        EXPECT_EQ(map.Field("key 0").GetString(), "more");
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(list.Element(i).GetString(), "item " + std::to_string(i));
            EXPECT_EQ(map.Field("key " + std::to_string(count - i)).GetUnsigned(99), i);
        }
    }
    BindingProperty scalar;
    scalar.SetSigned(5);
    scalar.ShrinkToFit();
    EXPECT_EQ(scalar.GetSigned(), 5);
}

BindingProperty SampleTree() {
    BindingProperty tree;
    tree.WriteField("name").SetString("Nightfall");
    tree.WriteField("id").SetUnsigned(1ull << 40);
    tree.WriteField("team").SetEnum(2, 0xABCD);
    tree.WriteField("avatar").SetBlob(BindingProperty::Blob{0, 1, 2});
    BindingProperty& stats = tree.WriteField("stats");
    for (int i = 0; i < 3; ++i) {
        BindingProperty& stat = stats.AppendElement();
        stat.WriteField("statTypeName").SetString("KILLS");
        stat.WriteField("value").SetSigned(i);
    }
    tree.WriteField("ratio").SetFloat(0.5);
    tree.WriteField("none");
    return tree;
}

TEST(BindingPropertyTest, DeepCopyIsIndependentAcrossStores) {
    const BindingProperty original = SampleTree();
    BindingProperty copy(original);
    EXPECT_EQ(copy, original);
    EXPECT_NE(copy.Store(), original.Store());
    EXPECT_EQ(copy.Store()->StringCount(), original.Store()->StringCount());

    copy.WriteField("stats").WriteElement(1).WriteField("statTypeName").SetString("DEATHS");
    copy.WriteField("name").SetString("other");
    EXPECT_NE(copy, original);
    EXPECT_EQ(original.Field("stats").Element(1).Field("statTypeName").GetString(), "KILLS");
    EXPECT_EQ(original.Field("name").GetString(), "Nightfall");

    // Copied into a tree, the texts are interned in that tree's store.
    BindingProperty target;
    target.WriteField("payload") = original;
    EXPECT_EQ(target.Field("payload"), original);
    EXPECT_EQ(target.Field("payload").Field("stats").Element(0).Store(), target.Store());
    EXPECT_EQ(target.Store()->StringCount(), original.Store()->StringCount() + 1);  // plus "payload"
}

TEST(BindingPropertyTest, CopyAssignmentHandlesSelfAndNesting) {
    BindingProperty value = SampleTree();
    const BindingProperty expected = value;
    const BindingProperty& self = value;
    value = self;
    EXPECT_EQ(value, expected);

    // Into its own descendant, and from its own descendant.
    value.WriteField("stats").WriteElement(0) = value;
    EXPECT_EQ(value.Field("stats").Element(0).Field("stats"), expected.Field("stats"));
    value = value.Field("stats");
    EXPECT_EQ(value.Kind(), BindingKind::Collection);
    EXPECT_EQ(value.Element(0), expected);
}

TEST(BindingPropertyTest, MoveLeavesSourceEmpty) {
    BindingProperty source = SampleTree();
    const BindingProperty expected = source;
    BindingProperty moved(std::move(source));
    EXPECT_EQ(source.Kind(), BindingKind::Empty);
    EXPECT_EQ(source.Store(), nullptr);
    EXPECT_EQ(moved, expected);

    // A subtree moved into another tree stays readable after its old tree is gone.
    BindingProperty target;
    {
        BindingProperty other = SampleTree();
        target.WriteField("stats") = std::move(other.WriteField("stats"));
        EXPECT_EQ(other.Field("stats").Kind(), BindingKind::Empty);
    }
    EXPECT_EQ(target.Field("stats"), expected.Field("stats"));

    // From a descendant of the target itself.
    target = std::move(target.WriteField("stats"));
    EXPECT_EQ(target, expected.Field("stats"));
}

// Subtrees moved between trees keep their own store alive, and each store goes with its last
// holder (the sanitizer build checks for leaks and stale reads).
TEST(BindingPropertyTest, SubtreesMovedBetweenTreesKeepTheirStores) {
    const BindingProperty expected = SampleTree();
    BindingProperty host;
    host.WriteField("own").SetString("host text");
    {
        BindingProperty donor = SampleTree();
        host.WriteField("guest") = std::move(donor);
        BindingProperty other = SampleTree();
        host.WriteField("stats") = std::move(other.WriteField("stats"));
        host.WriteField("stats").AppendElement().SetString("added after the move");
    }
    EXPECT_EQ(host.Field("guest"), expected);
    EXPECT_EQ(host.Field("stats").Size(), 4u);
    EXPECT_EQ(host.Field("stats").Element(3).GetString(), "added after the move");

    BindingProperty out = std::move(host.WriteField("guest").WriteField("stats"));
    host.Reset();
    EXPECT_EQ(host.Kind(), BindingKind::Empty);
    EXPECT_EQ(out, expected.Field("stats"));

    host = std::move(out);
    EXPECT_EQ(host, expected.Field("stats"));
}

// A field's name is kept by id in its value's slot: it must follow the slot (not the value) and
// stay right while other trees, and the names they hold, come and go.
TEST(BindingPropertyTest, FieldNamesStayWithTheirSlotsWhileTreesComeAndGo) {
    auto namedTree = [](const std::string& tag) {
        BindingProperty tree;
        // More names than one lease of ids holds, in an order that needs sorting.
        for (int i = 39; i >= 0; --i) tree.AppendFieldUnsorted(tag + std::to_string(i)).SetSigned(i);
        tree.AppendFieldUnsorted("").SetString(tag);
        tree.SortFields();
        return tree;
    };
    auto expectNames = [](const BindingProperty& tree, const std::string& tag) {
        ASSERT_EQ(tree.Size(), 41u);
        EXPECT_EQ(tree.Field("").GetString(), tag);
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(tree.Field(tag + std::to_string(i)).GetSigned(-1), i) << tag << i;
    };
    std::vector<BindingProperty> trees;
    for (int round = 0; round < 6; ++round) {
        trees.push_back(namedTree("r" + std::to_string(round) + "_"));
        if (round % 2 == 1) trees.erase(trees.begin());  // frees names while others are made
    }
    BindingProperty copy = trees.front();
    trees.erase(trees.begin());
    expectNames(copy, "r3_");
    for (std::size_t i = 0; i < trees.size(); ++i) expectNames(trees[i], "r" + std::to_string(4 + i) + "_");

    // Values moved and copied between fields of different trees leave every name in place.
    BindingProperty& a = trees[0].WriteField("r4_7");
    BindingProperty& b = trees[1].WriteField("r5_9");
    a = std::move(b);
    b = copy.Field("r3_1");
    std::swap(trees[0].WriteField("r4_0"), trees[0].WriteField("r4_1"));
    EXPECT_EQ(trees[0].Field("r4_7").GetSigned(), 9);
    EXPECT_EQ(trees[1].Field("r5_9").GetSigned(), 1);
    EXPECT_EQ(trees[0].Field("r4_0").GetSigned(), 1);
    EXPECT_EQ(trees[0].Field("r4_1").GetSigned(), 0);
    const BindingProperty moved = std::move(trees[0]);
    EXPECT_EQ(FieldNames(moved), FieldNames(namedTree("r4_")));
    EXPECT_EQ(FieldNames(trees[1]), FieldNames(namedTree("r5_")));
}

TEST(BindingPropertyTest, Equality) {
    struct Case {
        const char* name;
        Builder a;
        Builder b;
        bool equal;
    };
    const Case cases[] = {
        {"signed 1 vs unsigned 1", [](BindingProperty& v) { v.SetSigned(1); },
         [](BindingProperty& v) { v.SetUnsigned(1); }, false},
        {"0.0 vs -0.0", [](BindingProperty& v) { v.SetFloat(0.0); },
         [](BindingProperty& v) { v.SetFloat(-0.0); }, true},
        {"NaN", [](BindingProperty& v) { v.SetFloat(NAN); }, [](BindingProperty& v) { v.SetFloat(NAN); },
         false},
        {"enum type id", [](BindingProperty& v) { v.SetEnum(1, 2); },
         [](BindingProperty& v) { v.SetEnum(1, 3); }, false},
        {"text with NUL", [](BindingProperty& v) { v.SetString(std::string_view("a\0b", 3)); },
         [](BindingProperty& v) { v.SetString("a"); }, false},
        {"field name", [](BindingProperty& v) { v.WriteField("a"); },
         [](BindingProperty& v) { v.WriteField("b"); }, false},
        {"element count", [](BindingProperty& v) { v.WriteElement(1); },
         [](BindingProperty& v) { v.WriteElement(2); }, false},
        {"nested difference",
         [](BindingProperty& v) { v.WriteField("a").WriteElement(0).WriteField("b").SetBool(true); },
         [](BindingProperty& v) { v.WriteField("a").WriteElement(0).WriteField("b").SetBool(false); }, false},
        {"empty collection vs empty", [](BindingProperty& v) { v.MakeCollection(); }, [](BindingProperty&) {},
         false},
        {"same tree built apart", [](BindingProperty& v) { v = SampleTree(); },
         [](BindingProperty& v) { v = SampleTree(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Make(c.a) == Make(c.b), c.equal);
    }
}

TEST(BindingResultTest, SuccessAndFailure) {
    const BindingResult success = BindingResult::MakeSuccess();
    EXPECT_TRUE(success.Succeeded());
    EXPECT_EQ(success.Message(), "");
    EXPECT_EQ(success.Value().Kind(), BindingKind::Empty);

    BindingResult failure = BindingResult::MakeFailure("A value for 'x' is required.");
    EXPECT_TRUE(failure.Failed());
    EXPECT_EQ(failure.Message(), "A value for 'x' is required.");
    EXPECT_EQ(failure.Value().Size(), 1u);
    EXPECT_EQ(failure.Value().Field("error").GetString(), "A value for 'x' is required.");

    failure.Value().WriteField("error").SetSigned(5);
    EXPECT_EQ(failure.Message(), "");
}

// Nested far deeper than any stack allows: destruction, copy and comparison must not recurse.
TEST(BindingPropertyTest, MillionLevelsDeepValue) {
    constexpr int kDepth = 1000000;
    BindingProperty root;
    BindingProperty* cursor = &root;
    for (int i = 0; i < kDepth; ++i)
        cursor = i % 2 == 0 ? &cursor->AppendElement() : &cursor->WriteField("next");
    cursor->SetString("bottom");

    BindingProperty copy(root);
    EXPECT_TRUE(copy == root);
    copy.Reset();
    EXPECT_EQ(copy.Store()->BlocksInUse(), 0u);
    EXPECT_EQ(copy.Store()->StringCount(), 0u);
}

}  // namespace
}  // namespace Zarn::Binding
