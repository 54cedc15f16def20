// Reads a scenario: a file in YAML or JSON (JSON when its name ends in ".json", YAML otherwise; a
// JSON text is YAML as well), or the default scenario built into the program. A failure carries
// the decoder's message with its position.
#pragma once

#include <string>

#include "binding/binding_result.h"

namespace Zarn::MoxHost {

// An empty path reads the built-in default scenario.
Binding::BindingResult ReadScenario(const std::string& path);

}  // namespace Zarn::MoxHost
