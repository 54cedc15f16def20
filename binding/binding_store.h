// BindingStore: the storage shared by a value tree. It is created by the first value of a tree
// that needs storage and shared with every element and field created through it.
//
// It holds the tree's string table (interned, reference-counted texts in a hash set keyed by
// 32-bit FNV-1a, 8 buckets to start, at most one entry per bucket on average, with a small
// lookaside in front so that repeated texts skip the hash; the shared empty string is never
// entered; texts used as field names also hold an id of the process-wide name table), two pools
// of fixed-size blocks (blob vectors, enum pairs) and size-class pools for texts and containers (a
// collection's or structure's header with its elements or fields, in one block), all carved from
// 4096-byte pages of the process-wide page supply. The pools share their pages, so a small tree
// keeps about what it uses instead of a partly used page per block size. Blocks above 512 bytes
// are not pooled (detail/large_blocks.h): a page holds few of them, and rounding them to a class
// or starting a page for one would keep more than they use.
//
// Values that hold the store from outside a container (a tree's root, a subtree moved out of or
// into another tree) count one reference each; elements and fields live inside their root's
// count. When the last counted holder goes, the whole store goes at once, without walking the
// tree.
//
// Not locked: it belongs to one tree, which one thread at a time works on.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "binding/detail/block_pool.h"
#include "binding/detail/interned_string.h"
#include "binding/detail/large_blocks.h"

namespace Zarn::Binding {

namespace detail {
struct BlobBlock;
}  // namespace detail

class BindingStore {
public:
    BindingStore(const BindingStore&) = delete;
    BindingStore& operator=(const BindingStore&) = delete;

    // Entries of the string table (distinct non-empty texts in use).
    std::size_t StringCount() const noexcept { return stringCount_; }
    // Buckets of the string table.
    std::size_t BucketCount() const noexcept { return buckets_.size(); }
    // Blocks of blobs, enum pairs and containers handed out and not yet returned.
    std::size_t BlocksInUse() const noexcept;
    // Pages taken from the process-wide supply.
    std::size_t PageCount() const noexcept;

private:
    friend class BindingProperty;
    friend class BindingField;
    friend class BindingBuilder;

    // 16 to 512 bytes: every 8 bytes up to 64, then four classes per power of two (80, 96, 112,
    // 128, 160, ...). Small blocks are most of a tree (structures of two or three fields, short
    // texts), so their classes follow the sizes of values and fields closely; an exactly sized
    // array wastes at most a fifth of its chunk.
    static constexpr std::size_t kChunkClasses = 19;
    static constexpr std::size_t kLookasideSlots = 256;
    static constexpr std::size_t kLargestChunk = 512;

    BindingStore();
    ~BindingStore();

    static BindingStore* Create();
    void AddReference() noexcept { ++references_; }
    void DropReference() noexcept;

    // The entry for `text`, counted once more (the shared empty string for an empty text).
    detail::InternedString* Intern(std::string_view text) {
        return Intern(text, detail::KeyPrefix(text.data(), text.size()));
    }
    // The same with the text's KeyPrefix already at hand. A text met recently is found in the
    // lookaside without a call.
    detail::InternedString* Intern(std::string_view text, std::uint64_t prefix) {
        if (lookaside_ != nullptr && !text.empty()) {
            detail::InternedString* recent = lookaside_[LookasideSlot(prefix, text.data(), text.size())];
            if (recent != nullptr && detail::SameText(recent, prefix, text.data(), text.size())) {
                ++recent->references;
                return recent;
            }
        }
        return InternSlow(text, prefix);
    }
    detail::InternedString* InternSlow(std::string_view text, std::uint64_t prefix);
    // The same for a field name: the entry also gets a name id (detail/name_ids.h) if it has none.
    detail::InternedString* InternName(std::string_view text, std::uint64_t prefix) {
        detail::InternedString* entry = Intern(text, prefix);
        if (entry->nameId == 0 && entry->references != 0) GiveNameId(entry);
        return entry;
    }
    // Leases a run of ids when none is spare; on failure releases `entry` and throws.
    void GiveNameId(detail::InternedString* entry);
    // The entry already holding `text`, or null; counts nothing.
    detail::InternedString* Find(std::string_view text) const noexcept;
    void AddReference(detail::InternedString* entry) noexcept {
        if (entry->references != 0) ++entry->references;
    }
    void Release(detail::InternedString* entry) noexcept;
    void Grow();
    static std::size_t LookasideSlot(std::uint64_t prefix, const char* text, std::size_t length) noexcept {
        std::uint64_t mix = prefix ^ (static_cast<std::uint64_t>(length) * 0x9E3779B97F4A7C15ull);
        if (length > 8) {
            std::uint64_t tail;
            std::memcpy(&tail, text + length - 8, sizeof(tail));
            mix ^= std::rotl(tail * 0xC2B2AE3D27D4EB4Full, 31);
        }
        return static_cast<std::size_t>((mix * 0xFF51AFD7ED558CCDull) >> 56);
    }

    // Memory for texts and arrays: size classes up to 512 bytes, large blocks above.
    void* AllocateChunk(std::size_t bytes) {
        return bytes <= kLargestChunk ? chunkPools_[ChunkClass(bytes)].Allocate()
                                      : largeBlocks_.Allocate(bytes);
    }
    void FreeChunk(void* chunk, std::size_t bytes) noexcept {
        if (bytes <= kLargestChunk) {
            chunkPools_[ChunkClass(bytes)].Free(chunk);
        } else {
            largeBlocks_.Free(chunk, bytes);
        }
    }
    // Whether chunks of the two sizes take the same room.
    static bool SameChunkSize(std::size_t a, std::size_t b) noexcept;
    static std::size_t ChunkClass(std::size_t bytes) noexcept {
        if (bytes <= 64) return bytes <= 16 ? 0 : (bytes - 9) / 8;
        const auto width = static_cast<std::size_t>(std::bit_width(bytes - 1));  // bytes in (2^(w-1), 2^w]
        const std::size_t base = std::size_t{1} << (width - 1);
        return 7 + 4 * (width - 7) + (bytes - 1 - base) / (base / 4);
    }
    static std::size_t ChunkClassSize(std::size_t index) noexcept;

    // Blob blocks, linked so that ReleaseAll can free their buffers.
    std::vector<std::uint8_t>* NewBlob(std::vector<std::uint8_t>&& bytes);
    void DeleteBlob(std::vector<std::uint8_t>* blob) noexcept;

    // Frees everything at once: texts, blocks, chunks and the buffers of blobs.
    void ReleaseAll() noexcept;

    std::size_t containers_ = 0;  // collections and structures, each one chunk
    std::uint32_t id_ = 0;        // in the table of detail/store_ids.h
    std::size_t references_ = 0;
    // The last counted holder can free the store whole instead of walking its tree.
    bool SoleHolder() const noexcept { return references_ == 1 && !hasForeignSubtrees_; }

    // Set once a subtree of another store was moved into this tree: the tree must then be
    // walked when it goes, so that the subtree releases its own store.
    bool hasForeignSubtrees_ = false;

    std::vector<detail::InternedString*> buckets_;
    // Name ids leased for this store's names and not in use. The capacity covers every id of the
    // leased runs, so that a released name always gives its id back without allocating.
    std::vector<std::uint32_t> spareNameIds_;
    std::vector<std::uint32_t> nameIdRuns_;  // the first ids of the leased runs
    std::size_t stringCount_ = 0;
    detail::InternedString** lookaside_ = nullptr;  // kLookasideSlots entries, from a chunk

    detail::PageArena arena_;
    detail::BlockPool blobPool_;
    detail::BlockPool enumPool_;
    detail::BlockPool chunkPools_[kChunkClasses];
    detail::LargeBlocks largeBlocks_;
    detail::BlobBlock* blobs_ = nullptr;  // the live blob blocks, linked
};

}  // namespace Zarn::Binding
