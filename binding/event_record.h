// A registered event as the registry lists it: its name, payload type and documentation. Registered with
// BindingRegistry::AddEvent.
#pragma once

#include <string>
#include <vector>

#include "binding/type_descriptor.h"

namespace Zarn::Binding {

struct EventRecord {
    std::string name;
    std::string nameSpace;
    TypeDescriptor payload;
    std::string description;
    std::vector<std::string> tags;
};

}  // namespace Zarn::Binding
