// A pool of equal-sized blocks carved from 4096-byte pages of the process-wide page supply.
// Freed blocks are kept for reuse; the pages go back to the supply when the pool dies.
// Not locked: a pool belongs to one store.
#pragma once

#include <cstddef>
#include <vector>

namespace Zarn::Binding::detail {

inline constexpr std::size_t kPageSize = 4096;

class BlockPool {
public:
    explicit BlockPool(std::size_t blockSize) noexcept;
    ~BlockPool();
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    void* Allocate();
    void Free(void* block) noexcept;

    std::size_t BlocksInUse() const noexcept { return inUse_; }
    std::size_t PageCount() const noexcept { return pages_.size(); }

private:
    struct FreeBlock {
        FreeBlock* next;
    };

    std::size_t blockSize_;
    FreeBlock* freeList_ = nullptr;
    char* next_ = nullptr;  // the unused rest of the newest page
    char* end_ = nullptr;
    std::size_t inUse_ = 0;
    std::vector<void*> pages_;
};

// The process-wide supply of 4096-byte pages, created on first use and guarded by its own mutex.
// It keeps a bounded number of returned pages for reuse.
void* TakePage();
void ReturnPage(void* page) noexcept;

}  // namespace Zarn::Binding::detail
