// A shared library opened at run time (dlopen / LoadLibrary) and the symbols looked up in it.
// The library stays loaded until the object is destroyed.
#pragma once

#include <string>

namespace Zarn::Platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library; on failure returns false and leaves the loader's message in `error`.
    bool Open(const std::string& path, std::string& error);
    // The address of an exported symbol, or null with the loader's message in `error`.
    void* Symbol(const std::string& name, std::string& error) const;
    void Close();
    bool IsOpen() const noexcept { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

}  // namespace Zarn::Platform
