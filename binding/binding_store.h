// BindingStore: the storage shared by a value tree. It is created by the first value of a tree
// that needs storage and shared with every element and field created through it; each value
// that refers to it holds one reference, and the last one to go frees it.
//
// It holds the tree's string table (interned, reference-counted texts hashed with 32-bit FNV-1a,
// 8 buckets to start, at most one entry per bucket on average; the shared empty string is never
// entered) and four pools of fixed-size blocks (blob vectors, enum pairs, collection vectors,
// structure maps) carved from 4096-byte pages of the process-wide page supply.
//
// Not locked: it belongs to one tree, which one thread at a time works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "binding/detail/block_pool.h"

namespace Zarn::Binding {

namespace detail {
struct InternedString;
}

class BindingStore {
public:
    BindingStore(const BindingStore&) = delete;
    BindingStore& operator=(const BindingStore&) = delete;

    // Entries of the string table (distinct non-empty texts in use).
    std::size_t StringCount() const noexcept { return stringCount_; }
    // Buckets of the string table.
    std::size_t BucketCount() const noexcept { return buckets_.size(); }
    // Blocks handed out and not yet returned, over the four pools.
    std::size_t BlocksInUse() const noexcept;
    // Pages taken from the process-wide supply.
    std::size_t PageCount() const noexcept;

private:
    friend class BindingProperty;
    friend class BindingField;

    BindingStore();
    ~BindingStore();

    static BindingStore* Create();
    void AddReference() noexcept { ++references_; }
    void DropReference() noexcept;

    // The entry for `text`, counted once more (the shared empty string for an empty text).
    detail::InternedString* Intern(std::string_view text);
    // The entry already holding `text`, or null; counts nothing.
    detail::InternedString* Find(std::string_view text) const noexcept;
    void AddReference(detail::InternedString* entry) noexcept;
    void Release(detail::InternedString* entry) noexcept;
    void Grow();

    std::size_t references_ = 0;
    std::vector<detail::InternedString*> buckets_;
    std::size_t stringCount_ = 0;

    detail::BlockPool blobPool_;
    detail::BlockPool enumPool_;
    detail::BlockPool collectionPool_;
    detail::BlockPool structurePool_;
};

// 32-bit FNV-1a (offset basis 2166136261, prime 16777619).
std::uint32_t Fnv1a32(std::string_view bytes) noexcept;

}  // namespace Zarn::Binding
