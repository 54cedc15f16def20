// One transcript line: a boundary record, or one of the host's own records (step, expect), as a
// JSON object with its `kind` and the fields of that kind. Values that crossed the boundary are
// written by the project's own JSON encoder.
#pragma once

#include <string>

#include "binding/binding_property.h"
#include "host/boundary_record.h"

namespace Zarn::MoxHost {

Binding::BindingProperty TranscriptObject(const Host::BoundaryRecord& record);
// The record's object as one line of compact JSON, without the line break.
std::string TranscriptLine(const Binding::BindingProperty& object);

}  // namespace Zarn::MoxHost
