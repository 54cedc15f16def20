// Facts about the running process: the executable's path and the calling thread's id.
#pragma once

#include <cstdint>
#include <string>

namespace Zarn::Platform {

// Full path of the executable, or an empty string when the system cannot tell.
std::string ProgramFilePath();

// The file name part of a path: what follows the last directory separator.
std::string FileNamePart(const std::string& path);

// An identifier of the calling thread, unique among the live threads of the process.
std::uintptr_t CurrentThreadId();

}  // namespace Zarn::Platform
