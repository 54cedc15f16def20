// Pools of equal-sized blocks, all carved from the 4096-byte pages of one PageArena, which takes
// them from the process-wide page supply. Sharing the pages between the pools of a store keeps a
// small tree from holding a partly used page per block size. Freed blocks are kept by their pool
// for reuse; the pages go back to the supply when the arena is cleared or dies. Not locked: an
// arena and its pools belong to one store.
#pragma once

#include <cstddef>
#include <vector>

namespace Zarn::Binding::detail {

inline constexpr std::size_t kPageSize = 4096;

// The pages of one store, handed out front to back to its pools.
class PageArena {
public:
    PageArena() noexcept = default;
    ~PageArena() { ReleaseAll(); }
    PageArena(const PageArena&) = delete;
    PageArena& operator=(const PageArena&) = delete;

    // `size` bytes (a multiple of 8, at most a page) from the newest page, or from a new one when
    // they do not fit: the rest of the old page stays unused, which costs little as long as the
    // blocks are small beside the page.
    void* Carve(std::size_t size) {
        if (static_cast<std::size_t>(end_ - next_) < size) AddPage();
        void* block = next_;
        next_ += size;
        return block;
    }

    // Returns every page at once; all blocks become invalid.
    void ReleaseAll() noexcept;

    std::size_t PageCount() const noexcept { return pages_.size(); }

private:
    void AddPage();

    char* next_ = nullptr;  // the unused rest of the newest page
    char* end_ = nullptr;
    // Kept apart from the pages, so that a page holds two blocks of half its size.
    std::vector<void*> pages_;
};

class BlockPool {
public:
    BlockPool() noexcept = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // Before the first Allocate: the arena to carve from and the size of the blocks.
    void Attach(PageArena& arena, std::size_t blockSize) noexcept;
    std::size_t BlockSize() const noexcept { return blockSize_; }

    void* Allocate() {
        void* block;
        if (freeList_ != nullptr) {
            block = freeList_;
            Unpoison(block, blockSize_);
            freeList_ = freeList_->next;
        } else {
            block = arena_->Carve(blockSize_);
            Unpoison(block, blockSize_);
        }
        ++inUse_;
        return block;
    }

    void Free(void* block) noexcept {
        auto* freed = static_cast<FreeBlock*>(block);
        freed->next = freeList_;
        freeList_ = freed;
        Poison(block, blockSize_);
        --inUse_;
    }

    // Forgets every block; the arena's ReleaseAll returns their memory.
    void Clear() noexcept {
        freeList_ = nullptr;
        inUse_ = 0;
    }

    std::size_t BlocksInUse() const noexcept { return inUse_; }

    // Under AddressSanitizer, memory not handed out is poisoned, so that a value used after its
    // release is caught even though its memory stays in the store.
    static void Poison(void* memory, std::size_t size) noexcept;
    static void Unpoison(void* memory, std::size_t size) noexcept;

private:
    struct FreeBlock {
        FreeBlock* next;
    };

    PageArena* arena_ = nullptr;
    std::size_t blockSize_ = 0;
    FreeBlock* freeList_ = nullptr;
    std::size_t inUse_ = 0;
};

#if !defined(__SANITIZE_ADDRESS__)
inline void BlockPool::Poison(void*, std::size_t) noexcept {}
inline void BlockPool::Unpoison(void*, std::size_t) noexcept {}
#endif

// The process-wide supply of 4096-byte pages, created on first use and guarded by its own mutex.
// It keeps a bounded number of returned pages for reuse.
void* TakePage();
void ReturnPages(void* const* pages, std::size_t count) noexcept;

}  // namespace Zarn::Binding::detail
