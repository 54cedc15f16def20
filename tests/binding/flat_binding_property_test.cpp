#include "binding/flat_binding_property.h"

#include <gtest/gtest.h>

namespace Zarn::Binding {
namespace {

TEST(FlatBindingPropertyTest, KindNames) { EXPECT_STREQ(FlatKindName(11), ""); }

}  // namespace
}  // namespace Zarn::Binding
