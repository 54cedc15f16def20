// Text for an attached debugger's output window. Does nothing where there is no such channel.
#pragma once

namespace Zarn::Platform {

void DebuggerOutput(const char* text);

}  // namespace Zarn::Platform
