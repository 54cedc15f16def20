// Force-included by the fuzz preset. clang 14 lacks the builtin behind libstdc++'s
// std::source_location, so the header declares nothing there; this supplies the same interface
// from the older builtins. Newer compilers use the library's own.
#pragma once

#if defined(__cplusplus) && __cplusplus > 201703L && defined(__clang__) && __clang_major__ < 15 && \
    !__has_builtin(__builtin_source_location)
#include <cstdint>

namespace std {

struct source_location {
    static consteval source_location current(const char* file = __builtin_FILE(),
                                             const char* function = __builtin_FUNCTION(),
                                             std::uint_least32_t line = __builtin_LINE(),
                                             std::uint_least32_t column = __builtin_COLUMN()) noexcept {
        source_location location;
        location.file_ = file;
        location.function_ = function;
        location.line_ = line;
        location.column_ = column;
        return location;
    }
    constexpr source_location() noexcept = default;
    constexpr std::uint_least32_t line() const noexcept { return line_; }
    constexpr std::uint_least32_t column() const noexcept { return column_; }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }

private:
    const char* file_ = "";
    const char* function_ = "";
    std::uint_least32_t line_ = 0;
    std::uint_least32_t column_ = 0;
};

}  // namespace std
#endif
