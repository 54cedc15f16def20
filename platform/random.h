// Random bytes from the operating system's cryptographic source, for secrets that guard a local
// service (the host's API token). Any thread.
#pragma once

#include <cstddef>

namespace Zarn::Platform {

// Fills `size` bytes; false when the source could not give them all (the bytes are then unusable).
bool FillSecureRandom(void* bytes, std::size_t size);

}  // namespace Zarn::Platform
