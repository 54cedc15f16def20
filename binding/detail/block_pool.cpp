#include "binding/detail/block_pool.h"

#include <cstdlib>
#include <mutex>
#include <new>

#include "platform/mutex.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace Zarn::Binding::detail {
namespace {

// Returned pages kept for reuse, at most 4 MB; the rest goes back to the heap.
constexpr std::size_t kMaxCachedPages = 1024;

class PageSupply {
public:
    void* Take() {
        {
            std::lock_guard<Platform::Mutex> lock(mutex_);
            if (cachedCount_ != 0) return cached_[--cachedCount_];
        }
        void* page = std::malloc(kPageSize);
        if (page == nullptr) throw std::bad_alloc();
        return page;
    }

    // One lock for all the pages of a store, which may be thousands. The cache holds the pages'
    // addresses apart from the pages, so that returning one does not touch its memory.
    void Return(void* const* pages, std::size_t count) noexcept {
        std::size_t kept = 0;
        {
            std::lock_guard<Platform::Mutex> lock(mutex_);
            for (; kept < count && cachedCount_ < kMaxCachedPages; ++kept)
                cached_[cachedCount_++] = pages[kept];
        }
        for (std::size_t i = kept; i < count; ++i) std::free(pages[i]);
    }

private:
    Platform::Mutex mutex_;
    void* cached_[kMaxCachedPages];
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

#if defined(__SANITIZE_ADDRESS__)
void BlockPool::Poison(void* memory, std::size_t size) noexcept { ASAN_POISON_MEMORY_REGION(memory, size); }
void BlockPool::Unpoison(void* memory, std::size_t size) noexcept {
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
}
#endif

void* TakePage() { return Supply().Take(); }

void ReturnPages(void* const* pages, std::size_t count) noexcept { Supply().Return(pages, count); }

void BlockPool::Attach(PageArena& arena, std::size_t blockSize) noexcept {
    arena_ = &arena;
    blockSize_ = RoundToBlock(blockSize);
}

void PageArena::AddPage() {
    if (pages_.size() == pages_.capacity()) pages_.reserve(pages_.empty() ? 8 : pages_.size() * 2);
    void* page = TakePage();
    pages_.push_back(page);
    next_ = static_cast<char*>(page);
    end_ = next_ + kPageSize;
    BlockPool::Poison(page, kPageSize);
}

void PageArena::ReleaseAll() noexcept {
    for (void* page : pages_) BlockPool::Unpoison(page, kPageSize);
    ReturnPages(pages_.data(), pages_.size());
    pages_.clear();
    next_ = nullptr;
    end_ = nullptr;
}

}  // namespace Zarn::Binding::detail
