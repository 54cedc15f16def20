// The plugin's API description, as the entry gave it, as a value: functions (name, method, path),
// types (name, kind, fields or values) and events (name, payload type).
#pragma once

#include "binding/binding_property.h"
#include "mox/plugin_abi.h"

namespace Zarn::MoxHost {

Binding::BindingProperty DescribeApi(const ApiDescription& api);

}  // namespace Zarn::MoxHost
