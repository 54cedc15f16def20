#include "logging/assertion_report.h"

#include <cstdlib>

#include "logging/logger.h"

namespace Zarn::Logging {

std::string AssertionText(std::string_view expression, std::string_view description, std::string_view file,
                          int line, std::string_view function) {
    std::string text = "Assertion failed!\n\n";
    if (!file.empty()) text.append("File: ").append(file).append("\n");
    if (line != 0) text.append("Line: ").append(std::to_string(line)).append("\n\n");
    if (!function.empty()) text.append("Function: ").append(function).append("\n\n");
    if (!expression.empty()) text.append("Expression: ").append(expression);
    if (!description.empty()) text.append("\n\nDescription: ").append(description);
    return text;
}

void ReportAssertion(std::string_view expression, std::string_view description, std::string_view file,
                     int line, std::string_view function) {
    std::string text = AssertionText(expression, description, file, line, function);
    Log(kLevelError, kGroupDbg, "%s", text.c_str());
}

void ReportFatal(std::string_view code, std::string_view description, std::source_location where) {
    ReportAssertion(code, description, where.file_name(), static_cast<int>(where.line()),
                    where.function_name());
    Logger& logger = Logger::Instance();
    logger.StdErrTarget().Flush();
    logger.StdOutTarget().Flush();
    std::abort();
}

}  // namespace Zarn::Logging
