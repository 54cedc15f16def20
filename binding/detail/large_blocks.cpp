#include "binding/detail/large_blocks.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "binding/detail/block_pool.h"

namespace Zarn::Binding::detail {
namespace {

template <typename Header>
Header* HeaderOf(void* block) noexcept {
    return reinterpret_cast<Header*>(static_cast<char*>(block) - sizeof(Header));
}

}  // namespace

void* LargeBlocks::Allocate(std::size_t bytes) {
    if (bytes > kLargestCarved) return AllocateFromHeap(bytes);
    if (freeLists_ != nullptr) {
        FreeBlock*& head = freeLists_[CarvedClass(bytes)];
        if (head != nullptr) {
            FreeBlock* block = head;
            BlockPool::Unpoison(block, CarvedRoom(bytes) - sizeof(CarvedHeader));
            head = block->next;
            return block;
        }
    }
    if (static_cast<std::size_t>(end_ - next_) >= CarvedRoom(bytes) || heapBytes_ >= kCarveAfterHeapBytes)
        return Carve(bytes);
    return AllocateFromHeap(bytes);
}

void* LargeBlocks::AllocateFromHeap(std::size_t bytes) {
    if (bytes > static_cast<std::size_t>(-1) - sizeof(HeapHeader)) throw std::bad_alloc();
    auto* header = static_cast<HeapHeader*>(std::malloc(sizeof(HeapHeader) + bytes));
    if (header == nullptr) throw std::bad_alloc();
    header->previous = nullptr;
    header->next = heapBlocks_;
    header->origin = Origin::Heap;
    if (heapBlocks_ != nullptr) heapBlocks_->previous = header;
    heapBlocks_ = header;
    heapBytes_ += bytes;
    return header + 1;
}

void* LargeBlocks::Carve(std::size_t bytes) {
    const std::size_t room = CarvedRoom(bytes);
    if (static_cast<std::size_t>(end_ - next_) < room) AddSegment();
    auto* header = reinterpret_cast<CarvedHeader*>(next_);
    next_ += room;
    BlockPool::Unpoison(header, room);
    header->origin = Origin::Carved;
    return header + 1;
}

void LargeBlocks::AddSegment() {
    auto* segment = static_cast<Segment*>(std::malloc(kSegmentBytes));
    if (segment == nullptr) throw std::bad_alloc();
    segment->next = segments_;
    segments_ = segment;
    next_ = reinterpret_cast<char*>(segment + 1);
    end_ = reinterpret_cast<char*>(segment) + kSegmentBytes;
    if (freeLists_ == nullptr) {
        freeLists_ = reinterpret_cast<FreeBlock**>(next_);
        std::memset(freeLists_, 0, CarvedClassCount() * sizeof(FreeBlock*));
        next_ += (CarvedClassCount() * sizeof(FreeBlock*) + 7) / 8 * 8;
    }
    BlockPool::Poison(next_, static_cast<std::size_t>(end_ - next_));
}

void LargeBlocks::Free(void* block, std::size_t bytes) noexcept {
    if (HeaderOf<CarvedHeader>(block)->origin == Origin::Carved) {
        auto* freed = static_cast<FreeBlock*>(block);
        FreeBlock*& head = freeLists_[CarvedClass(bytes)];
        freed->next = head;
        head = freed;
        BlockPool::Poison(block, CarvedRoom(bytes) - sizeof(CarvedHeader));
        return;
    }
    HeapHeader* header = HeaderOf<HeapHeader>(block);
    if (header->previous != nullptr) header->previous->next = header->next;
    if (header->next != nullptr) header->next->previous = header->previous;
    if (heapBlocks_ == header) heapBlocks_ = header->next;
    heapBytes_ -= bytes;
    std::free(header);
}

void LargeBlocks::ReleaseAll() noexcept {
    while (heapBlocks_ != nullptr) {
        HeapHeader* next = heapBlocks_->next;
        std::free(heapBlocks_);
        heapBlocks_ = next;
    }
    heapBytes_ = 0;
    while (segments_ != nullptr) {
        Segment* next = segments_->next;
        BlockPool::Unpoison(segments_, kSegmentBytes);
        std::free(segments_);
        segments_ = next;
    }
    next_ = nullptr;
    end_ = nullptr;
    freeLists_ = nullptr;
}

}  // namespace Zarn::Binding::detail
