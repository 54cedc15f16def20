// A registered API function as the registry lists it: enough to describe it in help. The code that
// exposes functions to the host builds these and registers them with BindingRegistry::AddFunction.
#pragma once

#include <string>
#include <vector>

#include "binding/type_descriptor.h"

namespace Zarn::Binding {

struct ArgumentRecord {
    std::string name;
    std::string description;
    TypeDescriptor type;
    bool optional = false;
};

struct FunctionRecord {
    std::string name;
    std::string nameSpace;
    std::string description;
    std::string help;
    std::vector<ArgumentRecord> arguments;
    TypeDescriptor returns;  // kind None: returns nothing
    bool threadSafe = false;
    bool async = false;
    TypeDescriptor asyncResult;  // for async functions; kind None when the result carries no value
    std::vector<std::string> tags;
};

}  // namespace Zarn::Binding
