// The allocation counters of the plugin library: bytes and blocks allocated and freed, and the
// peak of bytes in use with the number of live blocks at that peak. The plugin's allocation
// functions (plugin_allocation.cpp, linked into the plugin library only) record every block they
// hand out or take back; `queryMemoryStats` reads them. Any thread: every read and addition is one
// atomic operation.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Zarn::Framework {

class MemoryCounters {
public:
    enum Counter : std::size_t {
        kPeakBytes = 0,
        kLiveBlocksAtPeak = 1,
        kBytesAllocated = 2,
        kAllocations = 3,
        kBytesFreed = 4,
        kFrees = 5,
    };
    using Snapshot = std::array<std::uint64_t, 6>;

    // Sizes are the usable sizes the system allocator reports for the blocks.
    void RecordAllocation(std::size_t size) noexcept;
    void RecordFree(std::size_t size) noexcept;
    // A reallocation that moved or resized a block: the old block freed, the new one allocated.
    void RecordReallocation(std::size_t oldSize, std::size_t newSize) noexcept;

    Snapshot Read() const noexcept;

private:
    // Not one transaction: a concurrent update may briefly leave a lower peak than it saw, which
    // the next allocation corrects.
    void UpdatePeak() noexcept;

    std::atomic<std::uint64_t> counters_[6] = {};
};

// The counters of the plugin library, for the whole process.
MemoryCounters& LibraryMemoryCounters() noexcept;

}  // namespace Zarn::Framework
