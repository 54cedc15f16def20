// The method codes of local and external requests and their names: 1 "DELETE", 2 "GET",
// 3 "HEAD", 4 "OPTIONS", 5 "PATCH", 6 "POST", 7 "PUT", 8 a custom method named separately. Any
// other code stands for no method. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace Zarn::Framework {

// The code as it goes into a request record: 1 to 8 unchanged, anything else 0.
std::uint32_t SanitizedMethod(std::uint32_t method) noexcept;

// "DELETE" ... "PUT" for 1 to 7, `customName` for 8, "" otherwise.
std::string_view ApiMethodName(std::uint32_t method, std::string_view customName = {}) noexcept;

}  // namespace Zarn::Framework
