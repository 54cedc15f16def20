#include "platform/memory.h"

#include <malloc.h>

namespace Zarn::Platform {

std::size_t AllocationUsableSize(void* block) {
    if (block == nullptr) return 0;
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

}  // namespace Zarn::Platform
