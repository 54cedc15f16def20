#include "framework/memory_counters.h"

namespace Zarn::Framework {

void MemoryCounters::RecordAllocation(std::size_t size) noexcept {
    counters_[kBytesAllocated].fetch_add(size);
    counters_[kAllocations].fetch_add(1);
    UpdatePeak();
}

void MemoryCounters::RecordFree(std::size_t size) noexcept {
    counters_[kBytesFreed].fetch_add(size);
    counters_[kFrees].fetch_add(1);
}

void MemoryCounters::RecordReallocation(std::size_t oldSize, std::size_t newSize) noexcept {
    counters_[kBytesFreed].fetch_add(oldSize);
    counters_[kFrees].fetch_add(1);
    counters_[kBytesAllocated].fetch_add(newSize);
    counters_[kAllocations].fetch_add(1);
    UpdatePeak();
}

void MemoryCounters::UpdatePeak() noexcept {
    const std::uint64_t current = counters_[kBytesAllocated].load() - counters_[kBytesFreed].load();
    if (current > counters_[kPeakBytes].load()) {
        counters_[kPeakBytes].exchange(current);
        counters_[kLiveBlocksAtPeak].exchange(counters_[kAllocations].load() - counters_[kFrees].load());
    }
}

MemoryCounters::Snapshot MemoryCounters::Read() const noexcept {
    Snapshot snapshot;
    for (std::size_t i = 0; i < snapshot.size(); ++i) snapshot[i] = counters_[i].load();
    return snapshot;
}

MemoryCounters& LibraryMemoryCounters() noexcept {
    // Constant-initialised, so allocations made before any constructor runs are counted too.
    static constinit MemoryCounters counters;
    return counters;
}

}  // namespace Zarn::Framework
