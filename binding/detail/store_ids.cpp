#include "binding/detail/store_ids.h"

#include <mutex>
#include <new>
#include <vector>

#include "platform/mutex.h"

namespace Zarn::Binding::detail {
namespace {

BindingStore* firstStoreIdBlock[kStoreIdBlockSize];

struct StoreIdAllocator {
    Platform::Mutex mutex;
    std::uint32_t nextUnused = 1;  // id 0 means "no store"
    std::vector<std::uint32_t> freed;
};

// Never destroyed: stores of static values may go during static destruction.
StoreIdAllocator& Allocator() {
    static StoreIdAllocator* const allocator = new StoreIdAllocator();
    return *allocator;
}

}  // namespace

BindingStore** storeIdBlocks[kStoreIdBlocks] = {firstStoreIdBlock};

std::uint32_t RegisterStore(BindingStore* store) {
    StoreIdAllocator& allocator = Allocator();
    std::lock_guard<Platform::Mutex> lock(allocator.mutex);
    std::uint32_t id;
    if (!allocator.freed.empty()) {
        id = allocator.freed.back();
        allocator.freed.pop_back();
    } else {
        id = allocator.nextUnused;
        const std::size_t block = id >> kStoreIdBlockBits;
        if (block >= kStoreIdBlocks) throw std::bad_alloc();
        if (storeIdBlocks[block] == nullptr) storeIdBlocks[block] = new BindingStore* [kStoreIdBlockSize] {};
        // Room to give the id back later, so that unregistering never fails.
        if (allocator.freed.capacity() < id) allocator.freed.reserve(std::size_t{id} * 2);
        ++allocator.nextUnused;
    }
    storeIdBlocks[id >> kStoreIdBlockBits][id & (kStoreIdBlockSize - 1)] = store;
    return id;
}

void UnregisterStore(std::uint32_t id) noexcept {
    StoreIdAllocator& allocator = Allocator();
    std::lock_guard<Platform::Mutex> lock(allocator.mutex);
    storeIdBlocks[id >> kStoreIdBlockBits][id & (kStoreIdBlockSize - 1)] = nullptr;
    allocator.freed.push_back(id);
}

}  // namespace Zarn::Binding::detail
