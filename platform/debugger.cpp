#include "platform/debugger.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace Zarn::Platform {

#ifdef _WIN32
void DebuggerOutput(const char* text) { OutputDebugStringA(text); }
#else
void DebuggerOutput(const char*) {}
#endif

}  // namespace Zarn::Platform
