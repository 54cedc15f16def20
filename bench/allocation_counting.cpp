#include "allocation_counting.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> allocatedBytes{0};
std::atomic<std::uint64_t> allocations{0};

// The benchmarks run on one thread; plain loads and stores keep the counting out of the timings.
void Count(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocatedBytes.store(allocatedBytes.load(std::memory_order_relaxed) + size,
                             std::memory_order_relaxed);
        allocations.store(allocations.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
}

}  // namespace

#if defined(__GLIBC__)
// Every heap allocation of the process passes through malloc here (operator new included), so the
// store's pages, interned strings and the flat records' buffers are counted as well.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) {
    Count(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Count(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    Count(size);
    return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}
#else
void* operator new(std::size_t size) {
    Count(size);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#endif

namespace Zarn::Bench {

AllocationCounters::AllocationCounters() {
    allocatedBytes = 0;
    allocations = 0;
    counting = true;
}

void AllocationCounters::Report(benchmark::State& state, const char* unit) {
    counting = false;
    const double iterations = static_cast<double>(state.iterations());
    const std::string suffix(unit);
    if (suffix == "per_trip") {
        state.counters["bytes_per_trip"] = static_cast<double>(allocatedBytes.load()) / iterations;
        state.counters["allocs_per_trip"] = static_cast<double>(allocations.load()) / iterations;
        return;
    }
    state.counters[suffix + "_bytes"] = static_cast<double>(allocatedBytes.load()) / iterations;
    state.counters[suffix + "_allocs"] = static_cast<double>(allocations.load()) / iterations;
}

}  // namespace Zarn::Bench
