#include "binding/binding_builder.h"

#include <gtest/gtest.h>

#include <string>

#include "binding/binding_property.h"
#include "binding/binding_store.h"

namespace Zarn::Binding {
namespace {

// {"b": [1, "two", [], {}], "a": {"y": 1, "x": 2, "y": {"z": "kept"}}, "c": "first", "c": 3.5,
//  "": true, "long": [0, 1, ..., 299]}, built as a decoder meets it.
void BuildSample(BindingBuilder& builder) {
    builder.Open(true);
    builder.SetKey("b");
    builder.Open(false);
    builder.Target().SetSigned(1);
    builder.Target().SetString("two");
    builder.Open(false);
    builder.Close();
    builder.Open(true);
    builder.Close();
    builder.Close();
    builder.SetKey("a");
    builder.Open(true);
    builder.SetKey("y");
    builder.Target().SetSigned(1);
    builder.SetKey("x");
    builder.Target().SetSigned(2);
    builder.SetKey("y");  // not the key just before: the later field is kept once sorted
    builder.Open(true);
    builder.SetKey("z");
    builder.Target().SetString("kept");
    builder.Close();
    builder.Close();
    builder.SetKey("c");
    builder.Target().SetString("first");
    builder.SetKey("c");  // the key just before: that field starts over
    builder.Target().SetFloat(3.5);
    builder.SetKey("");
    builder.Target().SetBool(true);
    builder.SetKey("long");
    builder.Open(false);
    for (int i = 0; i < 300; ++i) builder.Target().SetSigned(i);
    builder.Close();
    builder.Close();
}

BindingProperty ExpectedSample() {
    BindingProperty expected;
    BindingProperty& b = expected.WriteField("b");
    b.AppendElement().SetSigned(1);
    b.AppendElement().SetString("two");
    b.AppendElement().MakeCollection();
    b.AppendElement().MakeStructure();
    BindingProperty& a = expected.WriteField("a");
    a.WriteField("x").SetSigned(2);
    a.WriteField("y").WriteField("z").SetString("kept");
    expected.WriteField("c").SetFloat(3.5);
    expected.WriteField("").SetBool(true);
    BindingProperty& list = expected.WriteField("long");
    for (int i = 0; i < 300; ++i) list.AppendElement().SetSigned(i);
    return expected;
}

TEST(BindingBuilderTest, BuildsTheTreeInKeyOrderWithTheLaterOfEachName) {
    BindingProperty root;
    root.SetString("replaced");
    {
        BindingBuilder builder(root);
        BuildSample(builder);
        EXPECT_EQ(builder.Depth(), 0u);
    }
    EXPECT_EQ(root, ExpectedSample());
    std::string names;
    for (const BindingField& field : root.Fields()) names += "[" + std::string(field.Name()) + "]";
    EXPECT_EQ(names, "[][a][b][c][long]");
    EXPECT_EQ(root.Field("a").Field("y").Field("z").GetString(), "kept");
    EXPECT_EQ(root.Field("long").Element(299).GetSigned(), 299);

    // The tree is an ordinary one: it grows, copies and lets go like any other.
    root.WriteField("d").AppendElement().SetString("more");
    const BindingProperty copy = root;
    EXPECT_EQ(copy, root);
    root.Reset();
    EXPECT_EQ(root.Store()->StringCount(), 0u);
    EXPECT_EQ(root.Store()->BlocksInUse(), 0u);
}

TEST(BindingBuilderTest, ScalarRootsAndContainersNestedUnderThem) {
    BindingProperty scalar;
    {
        BindingBuilder builder(scalar);
        builder.Target().SetUnsigned(7);
    }
    EXPECT_EQ(scalar.GetUnsigned(), 7u);
    EXPECT_EQ(scalar.Store(), nullptr);  // a scalar needs no store

    BindingProperty empty;
    {
        BindingBuilder builder(empty);
        builder.Open(false);
        EXPECT_EQ(builder.Close().Kind(), BindingKind::Collection);
    }
    EXPECT_EQ(empty.Kind(), BindingKind::Collection);
    EXPECT_EQ(empty.Size(), 0u);
}

// A decoder that fails leaves containers open, and may already have reset the root and written an
// error into it: the waiting items are released without touching the root again.
TEST(BindingBuilderTest, AbandonedBuildReleasesEveryWaitingItem) {
    for (int stopAfter = 0; stopAfter < 6; ++stopAfter) {
        SCOPED_TRACE(stopAfter);
        BindingProperty root;
        {
            BindingBuilder builder(root);
            builder.Open(true);
            for (int i = 0; i < 5; ++i) {
                const std::string level = std::to_string(i);
                builder.SetKey("text");
                builder.Target().SetString("text " + level);
                builder.SetKey("blob");
                builder.Target().SetBlob(BindingProperty::Blob{1, 2});
                builder.SetKey("list");
                builder.Open(false);
                builder.Target().SetEnum(i, 3);
                builder.Target().SetString("item " + level);
                builder.Close();
                builder.SetKey("key " + level);
                if (i == stopAfter) break;
                builder.Open(true);
            }
            root.Reset();
            root.WriteField("error").SetString("failed");
        }
        EXPECT_EQ(root.Field("error").GetString(), "failed");
        EXPECT_EQ(root.Store()->StringCount(), 2u);  // "error" and "failed"
        EXPECT_EQ(root.Store()->BlocksInUse(), 1u);
    }
    BindingProperty untouched;
    {
        BindingBuilder builder(untouched);
        builder.Open(false);
        builder.Target().SetString("waiting");
    }
    EXPECT_EQ(untouched.Kind(), BindingKind::Empty);
    EXPECT_EQ(untouched.Store()->StringCount(), 0u);
}

}  // namespace
}  // namespace Zarn::Binding
