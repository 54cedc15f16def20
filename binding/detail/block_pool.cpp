#include "binding/detail/block_pool.h"

#include <cstdlib>
#include <mutex>
#include <new>

#include "platform/mutex.h"

namespace Zarn::Binding::detail {
namespace {

// Returned pages kept for reuse, at most 1 MB; the rest goes back to the heap.
constexpr std::size_t kMaxCachedPages = 256;

struct CachedPage {
    CachedPage* next;
};

class PageSupply {
public:
    void* Take() {
        {
            std::lock_guard<Platform::Mutex> lock(mutex_);
            if (cached_ != nullptr) {
                CachedPage* page = cached_;
                cached_ = page->next;
                --cachedCount_;
                return page;
            }
        }
        void* page = std::malloc(kPageSize);
        if (page == nullptr) throw std::bad_alloc();
        return page;
    }

    void Return(void* page) noexcept {
        {
            std::lock_guard<Platform::Mutex> lock(mutex_);
            if (cachedCount_ < kMaxCachedPages) {
                auto* cached = static_cast<CachedPage*>(page);
                cached->next = cached_;
                cached_ = cached;
                ++cachedCount_;
                return;
            }
        }
        std::free(page);
    }

private:
    Platform::Mutex mutex_;
    CachedPage* cached_ = nullptr;
    std::size_t cachedCount_ = 0;
};

// Never destroyed: stores of static values may return their pages during static destruction.
PageSupply& Supply() {
    static PageSupply* const supply = new PageSupply();
    return *supply;
}

constexpr std::size_t RoundToBlock(std::size_t size) noexcept {
    const std::size_t align = alignof(std::max_align_t) < 8 ? alignof(std::max_align_t) : 8;
    const std::size_t atLeast = size < sizeof(void*) ? sizeof(void*) : size;
    return (atLeast + align - 1) / align * align;
}

}  // namespace

void* TakePage() { return Supply().Take(); }

void ReturnPage(void* page) noexcept { Supply().Return(page); }

BlockPool::BlockPool(std::size_t blockSize) noexcept : blockSize_(RoundToBlock(blockSize)) {}

BlockPool::~BlockPool() {
    for (void* page : pages_) ReturnPage(page);
}

void* BlockPool::Allocate() {
    if (freeList_ != nullptr) {
        FreeBlock* block = freeList_;
        freeList_ = block->next;
        ++inUse_;
        return block;
    }
    if (static_cast<std::size_t>(end_ - next_) < blockSize_) {
        pages_.reserve(pages_.size() + 1);
        void* page = TakePage();
        pages_.push_back(page);
        next_ = static_cast<char*>(page);
        end_ = next_ + kPageSize;
    }
    void* block = next_;
    next_ += blockSize_;
    ++inUse_;
    return block;
}

void BlockPool::Free(void* block) noexcept {
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = freeList_;
    freeList_ = freed;
    --inUse_;
}

}  // namespace Zarn::Binding::detail
