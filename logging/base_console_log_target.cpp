#include "logging/base_console_log_target.h"

namespace Zarn::Logging {

void BaseConsoleLogTarget::WriteToStream(std::FILE* stream, std::string_view line, bool flush) {
    std::fwrite(line.data(), 1, line.size(), stream);
    if (flush) std::fflush(stream);
}

}  // namespace Zarn::Logging
