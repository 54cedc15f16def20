#include "binding/detail/name_ids.h"

#include <mutex>
#include <new>
#include <vector>

#include "binding/detail/interned_string.h"
#include "platform/mutex.h"

namespace Zarn::Binding::detail {
namespace {

// The header is followed by the terminating NUL that Text() points at. Constant-initialised, so
// that it is in place before any static value is built.
struct EmptyStringStorage {
    InternedString header;
    char nul;
};
constinit EmptyStringStorage sharedEmptyString{{nullptr, 0, 2166136261u, 0, 0, 0}, '\0'};

constinit InternedString* firstNameIdBlock[kNameIdBlockSize] = {&sharedEmptyString.header};

struct NameIdAllocator {
    Platform::Mutex mutex;
    std::uint32_t nextUnused = kNameIdRun;  // run 0 holds the empty name
    std::vector<std::uint32_t> freedRuns;
};

// Never destroyed: stores of static values may go during static destruction.
NameIdAllocator& Allocator() {
    static NameIdAllocator* const allocator = new NameIdAllocator();
    return *allocator;
}

}  // namespace

constinit InternedString** nameIdBlocks[kNameIdBlocks] = {firstNameIdBlock};

InternedString* SharedEmptyString() noexcept { return &sharedEmptyString.header; }

std::uint32_t LeaseNameIdRun() {
    NameIdAllocator& allocator = Allocator();
    std::lock_guard<Platform::Mutex> lock(allocator.mutex);
    if (!allocator.freedRuns.empty()) {
        const std::uint32_t first = allocator.freedRuns.back();
        allocator.freedRuns.pop_back();
        return first;
    }
    const std::uint32_t first = allocator.nextUnused;
    const std::size_t block = first >> kNameIdBlockBits;
    if (block >= kNameIdBlocks) throw std::bad_alloc();
    // Room to give every leased run back later, so that returning never fails.
    const std::size_t leased = first / kNameIdRun;
    if (allocator.freedRuns.capacity() < leased) allocator.freedRuns.reserve(leased * 2);
    if (nameIdBlocks[block] == nullptr) nameIdBlocks[block] = new InternedString* [kNameIdBlockSize] {};
    allocator.nextUnused += kNameIdRun;
    return first;
}

void ReturnNameIdRuns(const std::uint32_t* firstIds, std::size_t count) noexcept {
    if (count == 0) return;
    NameIdAllocator& allocator = Allocator();
    std::lock_guard<Platform::Mutex> lock(allocator.mutex);
    for (std::size_t i = 0; i < count; ++i) allocator.freedRuns.push_back(firstIds[i]);
}

}  // namespace Zarn::Binding::detail
