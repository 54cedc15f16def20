// Failed-assertion reports: a fixed multi-line text logged as an error in the DBG group, and the fatal
// variant that ends the process after reporting. Any thread may call them.
#pragma once

#include <source_location>
#include <string>
#include <string_view>

namespace Zarn::Logging {

// "Assertion failed!\n\n", then "File: f\n", "Line: n\n\n", "Function: fn\n\n", "Expression: e" and
// "\n\nDescription: d", each only when its input is not empty (the line only when it is not 0).
std::string AssertionText(std::string_view expression, std::string_view description, std::string_view file,
                          int line, std::string_view function);

// Logs AssertionText() with level 2 and group DBG through the format "%s".
void ReportAssertion(std::string_view expression, std::string_view description, std::string_view file,
                     int line, std::string_view function);

// Reports a condition the process cannot survive, named by a code such as "ALE-EECF0606", flushes the
// built-in targets and aborts.
[[noreturn]] void ReportFatal(std::string_view code, std::string_view description = {},
                              std::source_location where = std::source_location::current());

}  // namespace Zarn::Logging
