// The plugin library's own allocation functions. Compiled into the plugin's shared library only
// (mox_add_plugin_library), never into a host: every operator new and delete of the library
// lands here, and the C allocation functions the library's code calls are routed through the
// __wrap_ functions below (by the linker's --wrap options on Linux, by the renaming of
// platform/c_allocation_routing.h on Windows), so the counters see the library's blocks and
// none of the host's. The plugin library exports none of it (its version script keeps only the
// entry).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/memory_counters.h"
#include "platform/memory.h"

#ifdef _WIN32
// The renamed calls end here; below, malloc and the others are the C runtime's own.
#undef malloc
#undef calloc
#undef realloc
#undef free
#undef strdup

namespace {
void* __real_malloc(std::size_t size) { return std::malloc(size); }
void* __real_calloc(std::size_t count, std::size_t size) { return std::calloc(count, size); }
void* __real_realloc(void* block, std::size_t size) { return std::realloc(block, size); }
void __real_free(void* block) { __wrap_free(block); }
char* __real_strdup(const char* text) { return _strdup(text); }
}  // namespace
#else
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* block, std::size_t size);
void __real_free(void* block);
char* __real_strdup(const char* text);
int __real_posix_memalign(void** block, std::size_t alignment, std::size_t size);
void* __real_aligned_alloc(std::size_t alignment, std::size_t size);
}
#endif

extern "C" {
void* __wrap_malloc(std::size_t size);
void __wrap_free(void* block);
}

namespace {

using Zarn::Framework::LibraryMemoryCounters;
using Zarn::Platform::AllocationUsableSize;

void* Counted(void* block) noexcept {
    if (block != nullptr) LibraryMemoryCounters().RecordAllocation(AllocationUsableSize(block));
    return block;
}

void* AllocateOrThrow(std::size_t size) {
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = __wrap_malloc(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

// Aligned blocks come from malloc too, so that free-time accounting needs nothing but the block:
// the address malloc returned is kept in the word before the aligned address.
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    const std::size_t align = static_cast<std::size_t>(alignment);
    if (size > SIZE_MAX - align - sizeof(void*)) throw std::bad_alloc();
    auto* raw = static_cast<unsigned char*>(AllocateOrThrow(size + align + sizeof(void*)));
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
    auto* aligned = reinterpret_cast<unsigned char*>((start + align - 1) & ~(std::uintptr_t{align} - 1));
    std::memcpy(aligned - sizeof(void*), &raw, sizeof raw);
    return aligned;
}

void FreeAligned(void* block) noexcept {
    if (block == nullptr) return;
    void* raw = nullptr;
    std::memcpy(&raw, static_cast<unsigned char*>(block) - sizeof(void*), sizeof raw);
    __wrap_free(raw);
}

}  // namespace

extern "C" {

void* __wrap_malloc(std::size_t size) { return Counted(__real_malloc(size)); }

void* __wrap_calloc(std::size_t count, std::size_t size) { return Counted(__real_calloc(count, size)); }

char* __wrap_strdup(const char* text) { return static_cast<char*>(Counted(__real_strdup(text))); }

#ifndef _WIN32
void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size) {
    return Counted(__real_aligned_alloc(alignment, size));
}

int __wrap_posix_memalign(void** block, std::size_t alignment, std::size_t size) {
    const int error = __real_posix_memalign(block, alignment, size);
    if (error == 0) Counted(*block);
    return error;
}
#endif

void __wrap_free(void* block) {
    if (block == nullptr) return;
    LibraryMemoryCounters().RecordFree(AllocationUsableSize(block));
    __real_free(block);
}

// A null block is an allocation, a failed call changes nothing (the old block stays live), and a
// block freed by a zero size is a free: counting those as reallocations would leave the live
// counts permanently off.
void* __wrap_realloc(void* block, std::size_t size) {
    if (block == nullptr) return __wrap_malloc(size);
    const std::size_t oldSize = AllocationUsableSize(block);
    void* moved = __real_realloc(block, size);
    if (moved != nullptr) {
        LibraryMemoryCounters().RecordReallocation(oldSize, AllocationUsableSize(moved));
    } else if (size == 0) {
        LibraryMemoryCounters().RecordFree(oldSize);
    }
    return moved;
}

}  // extern "C"

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return AllocateOrThrow(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept {
    return operator new(size, alignment, tag);
}

void operator delete(void* block) noexcept { __wrap_free(block); }
void operator delete[](void* block) noexcept { __wrap_free(block); }
void operator delete(void* block, std::size_t) noexcept { __wrap_free(block); }
void operator delete[](void* block, std::size_t) noexcept { __wrap_free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { __wrap_free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { __wrap_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { FreeAligned(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(block); }
