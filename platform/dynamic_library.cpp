#include "platform/dynamic_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace Zarn::Platform {

DynamicLibrary::~DynamicLibrary() { Close(); }

#ifdef _WIN32
static std::string LastErrorText() {
    DWORD code = GetLastError();
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) --length;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
}

bool DynamicLibrary::Open(const std::string& path, std::string& error) {
    Close();
    handle_ = LoadLibraryA(path.c_str());
    if (handle_ == nullptr) error = LastErrorText();
    return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const std::string& name, std::string& error) const {
    void* address = handle_
                        ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()))
                        : nullptr;
    if (address == nullptr) error = handle_ ? LastErrorText() : "no library is open";
    return address;
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}
#else
static std::string LoaderMessage(const char* fallback) {
    const char* message = dlerror();
    return message != nullptr ? message : fallback;
}

bool DynamicLibrary::Open(const std::string& path, std::string& error) {
    Close();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) error = LoaderMessage("unknown error");
    return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const std::string& name, std::string& error) const {
    if (handle_ == nullptr) {
        error = "no library is open";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name.c_str());
    if (address == nullptr) error = LoaderMessage("the symbol is null");
    return address;
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}
#endif

}  // namespace Zarn::Platform
