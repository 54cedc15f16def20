// The registry describing itself: every function, type and event, as structured values (format "Full",
// the help types of builtin_types.h converted to values) or as Epytext documentation strings (format
// "Epytext", CR LF line ends). Serves the API's built-in help function; callable from any thread.
#pragma once

#include <string>
#include <string_view>

#include "binding/binding_result.h"
#include "binding/builtin_types.h"

namespace Zarn::Binding {

class BindingRegistry;
class TypeRecord;
struct EventRecord;
struct FunctionRecord;

// A structure with the fields "functions", "types" and "events", each listing the registry's entries in
// name order: for "Full" a collection of help structures (the registry must hold the built-in help types,
// see RegisterBuiltins), for "Epytext" a structure from each name to its text. Any other format leaves the
// three fields empty.
BindingResult Help(const BindingRegistry& registry, BindingHelpFormat format);

// A leading "-" becomes "E{-}", every "{" "E{lb}" and every "}" "E{rb}".
std::string EscapeEpytext(std::string_view text);

std::string FunctionEpytext(const FunctionRecord& function);
// Enumerations and structures.
std::string TypeEpytext(const TypeRecord& type);
std::string EventEpytext(const EventRecord& event);

BindingFullFunctionHelp FullFunctionHelp(const FunctionRecord& function);
BindingFullTypeHelp FullTypeHelp(const TypeRecord& type);
BindingFullEventHelp FullEventHelp(const EventRecord& event);

}  // namespace Zarn::Binding
