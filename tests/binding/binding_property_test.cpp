#include "binding/binding_property.h"

#include <gtest/gtest.h>

namespace Zarn::Binding {
namespace {

TEST(BindingPropertyTest, DefaultIsEmpty) { EXPECT_EQ(BindingProperty().Kind(), BindingKind::Empty); }

}  // namespace
}  // namespace Zarn::Binding
