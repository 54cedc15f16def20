// Blocks of one store too large for its size-class pools (above 512 bytes).
//
// A small tree takes them from the heap at their exact size. Once a store holds
// kCarveAfterHeapBytes of them that way, blocks up to kLargestCarved bytes are carved, rounded to
// kCarvedGrain, from segments of kSegmentBytes: a big tree then gives back a few dozen segments
// when it goes instead of thousands of blocks, each a cold heap header to visit, while a small
// one keeps no segment tail. Freed carved blocks are kept by rounded size for reuse, as the
// pools keep theirs; larger blocks always come from the heap.
//
// Not locked: it belongs to one store.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zarn::Binding::detail {

class LargeBlocks {
public:
    static constexpr std::size_t kSmallestBlock = 513;  // the pools take everything below
    static constexpr std::size_t kLargestCarved = 4096;
    static constexpr std::size_t kCarvedGrain = 64;
    static constexpr std::size_t kSegmentBytes = 64 * 1024;
    static constexpr std::size_t kCarveAfterHeapBytes = 32 * 1024;

    LargeBlocks() noexcept = default;
    ~LargeBlocks() { ReleaseAll(); }
    LargeBlocks(const LargeBlocks&) = delete;
    LargeBlocks& operator=(const LargeBlocks&) = delete;

    // `bytes` (at least kSmallestBlock), 8-byte aligned; throws std::bad_alloc.
    void* Allocate(std::size_t bytes);
    // `bytes` as given to Allocate.
    void Free(void* block, std::size_t bytes) noexcept;
    // Frees every block and segment at once.
    void ReleaseAll() noexcept;

    // Whether blocks of the two sizes (both at least kSmallestBlock) may take the same room.
    static bool SameRoom(std::size_t a, std::size_t b) noexcept {
        return a <= kLargestCarved && b <= kLargestCarved ? CarvedClass(a) == CarvedClass(b) : a == b;
    }

private:
    // Every block starts after a header whose last word tells where it came from.
    enum class Origin : std::uint64_t { Heap = 0, Carved = 1 };
    struct HeapHeader {
        HeapHeader* previous;
        HeapHeader* next;
        alignas(8) Origin origin;
    };
    struct CarvedHeader {
        Origin origin;
    };
    struct alignas(8) Segment {
        Segment* next;
    };
    struct FreeBlock {
        FreeBlock* next;
    };

    static constexpr std::size_t CarvedRoom(std::size_t bytes) noexcept {
        return (sizeof(CarvedHeader) + bytes + kCarvedGrain - 1) / kCarvedGrain * kCarvedGrain;
    }
    static constexpr std::size_t CarvedClass(std::size_t bytes) noexcept {
        return CarvedRoom(bytes) / kCarvedGrain - CarvedRoom(kSmallestBlock) / kCarvedGrain;
    }
    static constexpr std::size_t CarvedClassCount() noexcept { return CarvedClass(kLargestCarved) + 1; }

    void* AllocateFromHeap(std::size_t bytes);
    void* Carve(std::size_t bytes);
    void AddSegment();

    HeapHeader* heapBlocks_ = nullptr;
    std::size_t heapBytes_ = 0;    // of the heap blocks alive
    Segment* segments_ = nullptr;  // the newest first
    char* next_ = nullptr;         // the unused rest of the newest segment
    char* end_ = nullptr;
    FreeBlock** freeLists_ = nullptr;  // CarvedClassCount() heads, at the start of the first segment
};

}  // namespace Zarn::Binding::detail
