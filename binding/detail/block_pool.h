// A pool of equal-sized blocks carved from 4096-byte pages of the process-wide page supply.
// Freed blocks are kept for reuse; the pages go back to the supply when the pool is cleared or
// dies. Not locked: a pool belongs to one store.
#pragma once

#include <cstddef>
#include <vector>

namespace Zarn::Binding::detail {

inline constexpr std::size_t kPageSize = 4096;

class BlockPool {
public:
    explicit BlockPool(std::size_t blockSize = 16) noexcept;
    ~BlockPool() { ReleaseAll(); }
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    void SetBlockSize(std::size_t blockSize) noexcept;
    std::size_t BlockSize() const noexcept { return blockSize_; }

    void* Allocate() {
        if (freeList_ != nullptr) {
            FreeBlock* block = freeList_;
            Unpoison(block, blockSize_);
            freeList_ = block->next;
            ++inUse_;
            return block;
        }
        if (static_cast<std::size_t>(end_ - next_) < blockSize_) AddPage();
        void* block = next_;
        next_ += blockSize_;
        Unpoison(block, blockSize_);
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

    // Returns every page at once; all blocks become invalid.
    void ReleaseAll() noexcept;

    std::size_t BlocksInUse() const noexcept { return inUse_; }
    std::size_t PageCount() const noexcept { return pages_.size(); }

private:
    struct FreeBlock {
        FreeBlock* next;
    };

    void AddPage();

    // Under AddressSanitizer, blocks not handed out are poisoned, so that a value used after its
    // release is caught even though its memory stays in the pool.
    static void Poison(void* memory, std::size_t size) noexcept;
    static void Unpoison(void* memory, std::size_t size) noexcept;

    std::size_t blockSize_;
    FreeBlock* freeList_ = nullptr;
    char* next_ = nullptr;  // the unused rest of the newest page
    char* end_ = nullptr;
    std::size_t inUse_ = 0;
    std::vector<void*> pages_;
};

#if !defined(__SANITIZE_ADDRESS__)
inline void BlockPool::Poison(void*, std::size_t) noexcept {}
inline void BlockPool::Unpoison(void*, std::size_t) noexcept {}
#endif

// The process-wide supply of 4096-byte pages, created on first use and guarded by its own mutex.
// It keeps a bounded number of returned pages for reuse.
void* TakePage();
void ReturnPage(void* page) noexcept;

}  // namespace Zarn::Binding::detail
