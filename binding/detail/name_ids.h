// The process-wide table of field names by id. A field names its key by a 32-bit id kept in the
// spare half of its value's second word instead of by a pointer beside the value, which keeps a
// field at 16 bytes on 64-bit builds as on 32-bit ones.
//
// A store leases ids in runs of kNameIdRun and hands them to its names without locking; the runs
// go back when the store is cleared or dies, so the table stays as small as the names of the
// stores alive at once.
//
// Threads: leasing and returning runs take the table's mutex. Writing and reading the entries of
// a run takes none: only the store's own thread writes them (after its lease published the
// block), and a tree reaches another thread only through a synchronisation of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zarn::Binding::detail {

struct InternedString;

inline constexpr unsigned kNameIdBlockBits = 12;
inline constexpr std::size_t kNameIdBlockSize = std::size_t{1} << kNameIdBlockBits;
// At most 2^28 names alive at once, far beyond what the memory of a process holds.
inline constexpr std::size_t kNameIdBlocks = std::size_t{1} << 16;
inline constexpr std::uint32_t kNameIdRun = 16;

// Blocks of the table, made as runs are leased. Block 0 is static and id 0 stands for the shared
// empty string (the empty name), which no store owns; the rest of run 0 is never leased.
extern InternedString** nameIdBlocks[kNameIdBlocks];

inline InternedString* NameWithId(std::uint32_t id) noexcept {
    return nameIdBlocks[id >> kNameIdBlockBits][id & (kNameIdBlockSize - 1)];
}
inline void SetNameWithId(std::uint32_t id, InternedString* entry) noexcept {
    nameIdBlocks[id >> kNameIdBlockBits][id & (kNameIdBlockSize - 1)] = entry;
}

// The first of kNameIdRun fresh ids; throws std::bad_alloc when no id or no memory is left.
std::uint32_t LeaseNameIdRun();
// Gives back runs by their first ids.
void ReturnNameIdRuns(const std::uint32_t* firstIds, std::size_t count) noexcept;

}  // namespace Zarn::Binding::detail
