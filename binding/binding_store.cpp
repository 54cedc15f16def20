#include "binding/binding_store.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "binding/binding_property.h"
#include "binding/detail/interned_string.h"
#include "binding/detail/name_ids.h"
#include "binding/detail/store_ids.h"
#include "binding/detail/value_storage.h"
#include "binding/fnv1a.h"

namespace Zarn::Binding {
namespace {

constexpr std::size_t kInitialBuckets = 8;

}  // namespace

BindingStore::BindingStore() : buckets_(kInitialBuckets, nullptr) {
    blobPool_.Attach(arena_, sizeof(detail::BlobBlock));
    enumPool_.Attach(arena_, sizeof(BindingEnum));
    for (std::size_t i = 0; i < kChunkClasses; ++i) chunkPools_[i].Attach(arena_, ChunkClassSize(i));
}

BindingStore::~BindingStore() {
    ReleaseAll();
    if (id_ != 0) detail::UnregisterStore(id_);
}

BindingStore* BindingStore::Create() {
    auto* store = new BindingStore();
    try {
        store->id_ = detail::RegisterStore(store);
    } catch (...) {
        delete store;
        throw;
    }
    return store;
}

void BindingStore::DropReference() noexcept {
    if (--references_ == 0) delete this;
}

std::size_t BindingStore::BlocksInUse() const noexcept {
    return blobPool_.BlocksInUse() + enumPool_.BlocksInUse() + containers_;
}

std::size_t BindingStore::PageCount() const noexcept { return arena_.PageCount(); }

detail::InternedString* BindingStore::Find(std::string_view text) const noexcept {
    if (text.empty()) return detail::SharedEmptyString();
    const std::uint32_t hash = Fnv1a32(text);
    for (detail::InternedString* entry = buckets_[hash & (buckets_.size() - 1)]; entry != nullptr;
         entry = entry->next) {
        if (entry->hash == hash && entry->length == text.size() &&
            std::memcmp(entry->Text(), text.data(), text.size()) == 0) {
            return entry;
        }
    }
    return nullptr;
}

detail::InternedString* BindingStore::InternSlow(std::string_view text, std::uint64_t prefix) {
    if (text.empty()) return detail::SharedEmptyString();
    if (lookaside_ == nullptr) {
        lookaside_ = static_cast<detail::InternedString**>(AllocateChunk(kLookasideSlots * sizeof(void*)));
        std::memset(lookaside_, 0, kLookasideSlots * sizeof(void*));
    }
    detail::InternedString*& recent = lookaside_[LookasideSlot(prefix, text.data(), text.size())];
    if (recent != nullptr && detail::SameText(recent, prefix, text.data(), text.size())) {
        ++recent->references;
        return recent;
    }

    const std::uint32_t hash = Fnv1a32(text);
    detail::InternedString*& bucket = buckets_[hash & (buckets_.size() - 1)];
    for (detail::InternedString* entry = bucket; entry != nullptr; entry = entry->next) {
        if (entry->hash == hash && detail::SameText(entry, prefix, text.data(), text.size())) {
            ++entry->references;
            recent = entry;
            return entry;
        }
    }
    if (text.size() > detail::kMaxTextLength) throw std::length_error("BindingProperty: text too long");
    auto* entry =
        static_cast<detail::InternedString*>(AllocateChunk(sizeof(detail::InternedString) + text.size() + 1));
    entry->next = bucket;
    entry->length = static_cast<std::uint32_t>(text.size());
    entry->hash = hash;
    entry->references = 1;
    entry->nameId = 0;
    entry->prefix = prefix;
    char* bytes = reinterpret_cast<char*>(entry + 1);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    bucket = entry;
    recent = entry;
    if (++stringCount_ > buckets_.size()) Grow();
    return entry;
}

void BindingStore::Release(detail::InternedString* entry) noexcept {
    // The shared empty string has no count and is never released.
    if (entry->references == 0 || --entry->references != 0) return;
    detail::InternedString** link = &buckets_[entry->hash & (buckets_.size() - 1)];
    while (*link != entry) link = &(*link)->next;
    *link = entry->next;
    detail::InternedString*& recent = lookaside_[LookasideSlot(entry->prefix, entry->Text(), entry->length)];
    if (recent == entry) recent = nullptr;
    --stringCount_;
    if (entry->nameId != 0) spareNameIds_.push_back(entry->nameId);
    FreeChunk(entry, sizeof(detail::InternedString) + entry->length + 1);
}

void BindingStore::GiveNameId(detail::InternedString* entry) {
    if (spareNameIds_.empty()) {
        try {
            if (nameIdRuns_.size() == nameIdRuns_.capacity()) nameIdRuns_.reserve(nameIdRuns_.size() * 2 + 1);
            const std::size_t ids = (nameIdRuns_.size() + 1) * detail::kNameIdRun;
            if (spareNameIds_.capacity() < ids) spareNameIds_.reserve(ids * 2);
            const std::uint32_t first = detail::LeaseNameIdRun();
            nameIdRuns_.push_back(first);
            for (std::uint32_t i = detail::kNameIdRun; i-- > 0;) spareNameIds_.push_back(first + i);
        } catch (...) {
            Release(entry);
            throw;
        }
    }
    entry->nameId = spareNameIds_.back();
    spareNameIds_.pop_back();
    detail::SetNameWithId(entry->nameId, entry);
}

void BindingStore::Grow() {
    // A failed allocation leaves the table as it was: merely fuller.
    std::vector<detail::InternedString*> grown;
    try {
        grown.assign(buckets_.size() * 2, nullptr);
    } catch (const std::bad_alloc&) {
        return;
    }
    const std::size_t mask = grown.size() - 1;
    for (detail::InternedString* entry : buckets_) {
        while (entry != nullptr) {
            detail::InternedString* next = entry->next;
            entry->next = grown[entry->hash & mask];
            grown[entry->hash & mask] = entry;
            entry = next;
        }
    }
    buckets_.swap(grown);
}

std::size_t BindingStore::ChunkClassSize(std::size_t index) noexcept {
    if (index < 7) return 16 + 8 * index;
    const std::size_t base = std::size_t{64} << ((index - 7) / 4);
    return base + ((index - 7) % 4 + 1) * (base / 4);
}

bool BindingStore::SameChunkSize(std::size_t a, std::size_t b) noexcept {
    if (a == 0 || b == 0) return a == b;
    if (a > kLargestChunk && b > kLargestChunk) return detail::LargeBlocks::SameRoom(a, b);
    if (a > kLargestChunk || b > kLargestChunk) return false;
    return ChunkClass(a) == ChunkClass(b);
}

std::vector<std::uint8_t>* BindingStore::NewBlob(std::vector<std::uint8_t>&& bytes) {
    auto* block = new (blobPool_.Allocate()) detail::BlobBlock{std::move(bytes), nullptr, nullptr};
    block->next = blobs_;
    if (blobs_ != nullptr) blobs_->previous = block;
    blobs_ = block;
    return &block->bytes;
}

void BindingStore::DeleteBlob(std::vector<std::uint8_t>* blob) noexcept {
    auto* block = reinterpret_cast<detail::BlobBlock*>(blob);
    if (block->previous != nullptr) block->previous->next = block->next;
    if (block->next != nullptr) block->next->previous = block->previous;
    if (blobs_ == block) blobs_ = block->next;
    block->~BlobBlock();
    blobPool_.Free(block);
}

void BindingStore::ReleaseAll() noexcept {
    for (detail::BlobBlock* blob = blobs_; blob != nullptr; blob = blob->next) {
        blob->bytes.~vector();
    }
    blobs_ = nullptr;
    largeBlocks_.ReleaseAll();
    blobPool_.Clear();
    enumPool_.Clear();
    containers_ = 0;
    for (detail::BlockPool& pool : chunkPools_) pool.Clear();
    arena_.ReleaseAll();
    std::fill(buckets_.begin(), buckets_.end(), nullptr);
    stringCount_ = 0;
    lookaside_ = nullptr;
    detail::ReturnNameIdRuns(nameIdRuns_.data(), nameIdRuns_.size());
    nameIdRuns_.clear();
    spareNameIds_.clear();
    hasForeignSubtrees_ = false;
}

}  // namespace Zarn::Binding
