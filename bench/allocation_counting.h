// Heap traffic of a benchmark loop: every malloc and operator new of the process while an
// AllocationCounters lives (allocation_counting.cpp replaces the allocation functions). Benchmarks run
// on one thread.
#pragma once

#include <benchmark/benchmark.h>

namespace Zarn::Bench {

class AllocationCounters {
public:
    AllocationCounters();
    // Stops counting and reports bytes and allocations per iteration, as `<unit>_bytes` and `<unit>_allocs`
    // ("per_trip" gives bytes_per_trip and allocs_per_trip).
    void Report(benchmark::State& state, const char* unit = "per_trip");
};

}  // namespace Zarn::Bench
