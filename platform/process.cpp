#include "platform/process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>

#include <climits>
#endif

namespace Zarn::Platform {

#ifdef _WIN32
std::string ProgramFilePath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::uintptr_t CurrentThreadId() { return GetCurrentThreadId(); }
#else
std::string ProgramFilePath() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::uintptr_t CurrentThreadId() { return static_cast<std::uintptr_t>(pthread_self()); }
#endif

std::string FileNamePart(const std::string& path) {
    // Both separators: Windows paths use "\", and the Linux build sees "/".
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace Zarn::Platform
