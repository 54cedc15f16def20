#include "binding/binding_store.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "binding/binding_property.h"
#include "binding/detail/interned_string.h"

namespace Zarn::Binding {
namespace detail {

InternedString* SharedEmptyString() noexcept {
    // The header is followed by the terminating NUL that Text() points at.
    struct Storage {
        InternedString header;
        char nul;
    };
    static Storage storage{{nullptr, 0, 2166136261u, 0}, '\0'};
    return &storage.header;
}

}  // namespace detail

namespace {
constexpr std::size_t kInitialBuckets = 8;
}

std::uint32_t Fnv1a32(std::string_view bytes) noexcept {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

BindingStore::BindingStore()
    : buckets_(kInitialBuckets, nullptr),
      blobPool_(sizeof(BindingProperty::Blob)),
      enumPool_(sizeof(BindingEnum)),
      collectionPool_(sizeof(BindingProperty::ElementVector)),
      structurePool_(sizeof(BindingProperty::FieldVector)) {}

BindingStore::~BindingStore() {
    // Every value has released its texts by now; this only guards against a miscount.
    for (detail::InternedString* entry : buckets_) {
        while (entry != nullptr) {
            detail::InternedString* next = entry->next;
            std::free(entry);
            entry = next;
        }
    }
}

BindingStore* BindingStore::Create() { return new BindingStore(); }

void BindingStore::DropReference() noexcept {
    if (--references_ == 0) delete this;
}

std::size_t BindingStore::BlocksInUse() const noexcept {
    return blobPool_.BlocksInUse() + enumPool_.BlocksInUse() + collectionPool_.BlocksInUse() +
           structurePool_.BlocksInUse();
}

std::size_t BindingStore::PageCount() const noexcept {
    return blobPool_.PageCount() + enumPool_.PageCount() + collectionPool_.PageCount() +
           structurePool_.PageCount();
}

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

detail::InternedString* BindingStore::Intern(std::string_view text) {
    if (text.empty()) return detail::SharedEmptyString();
    const std::uint32_t hash = Fnv1a32(text);
    detail::InternedString*& bucket = buckets_[hash & (buckets_.size() - 1)];
    for (detail::InternedString* entry = bucket; entry != nullptr; entry = entry->next) {
        if (entry->hash == hash && entry->length == text.size() &&
            std::memcmp(entry->Text(), text.data(), text.size()) == 0) {
            ++entry->references;
            return entry;
        }
    }
    void* memory = std::malloc(sizeof(detail::InternedString) + text.size() + 1);
    if (memory == nullptr) throw std::bad_alloc();
    auto* entry = static_cast<detail::InternedString*>(memory);
    entry->next = bucket;
    entry->length = text.size();
    entry->hash = hash;
    entry->references = 1;
    char* bytes = reinterpret_cast<char*>(entry + 1);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    bucket = entry;
    if (++stringCount_ > buckets_.size()) Grow();
    return entry;
}

void BindingStore::AddReference(detail::InternedString* entry) noexcept {
    if (entry->references != 0) ++entry->references;
}

void BindingStore::Release(detail::InternedString* entry) noexcept {
    // The shared empty string has no count and is never released.
    if (entry->references == 0 || --entry->references != 0) return;
    detail::InternedString** link = &buckets_[entry->hash & (buckets_.size() - 1)];
    while (*link != entry) link = &(*link)->next;
    *link = entry->next;
    --stringCount_;
    std::free(entry);
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

}  // namespace Zarn::Binding
