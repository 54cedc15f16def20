// The allocator's view of a block it handed out.
#pragma once

#include <cstddef>

namespace Zarn::Platform {

// Bytes usable in a block returned by malloc (at least the size asked for); 0 for null.
std::size_t AllocationUsableSize(void* block);

}  // namespace Zarn::Platform
