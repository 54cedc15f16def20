// The process-wide table of live stores by id. A value names its store by a 32-bit id instead of
// a pointer, which keeps a value at 16 bytes on 64-bit builds as on 32-bit ones. Ids of dead
// stores are reused, so the table stays as small as the number of stores alive at once.
//
// Threads: registering and unregistering take the table's mutex; looking an id up takes none, as
// the thread that works on a tree either made its store (under the mutex, after the table's
// block was published) or was handed the tree through a synchronisation of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zarn::Binding {
class BindingStore;
}  // namespace Zarn::Binding

namespace Zarn::Binding::detail {

inline constexpr unsigned kStoreIdBlockBits = 9;
inline constexpr std::size_t kStoreIdBlockSize = std::size_t{1} << kStoreIdBlockBits;
// At most 2^24 stores alive at once, far beyond what the memory of a process holds.
inline constexpr std::size_t kStoreIdBlocks = std::size_t{1} << 15;

// Blocks of the table, made as ids are needed. Block 0 is static and id 0 is never handed out, so
// "no store" looks up as null without a test.
extern BindingStore** storeIdBlocks[kStoreIdBlocks];

inline BindingStore* StoreWithId(std::uint32_t id) noexcept {
    return storeIdBlocks[id >> kStoreIdBlockBits][id & (kStoreIdBlockSize - 1)];
}

// A fresh id for `store`; throws std::bad_alloc when no id or no memory is left.
std::uint32_t RegisterStore(BindingStore* store);
void UnregisterStore(std::uint32_t id) noexcept;

}  // namespace Zarn::Binding::detail
