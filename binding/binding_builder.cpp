#include "binding/binding_builder.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "binding/binding_store.h"
#include "binding/detail/interned_string.h"
#include "binding/detail/name_ids.h"
#include "binding/detail/store_ids.h"
#include "binding/detail/value_storage.h"

namespace Zarn::Binding {
namespace {

constexpr std::size_t kFirstScratchItems = 64;

}  // namespace

BindingBuilder::~BindingBuilder() {
    ReleaseItems();
    std::free(items_);
    if (store_ != nullptr) store_->DropReference();
}

void BindingBuilder::GrowItems() {
    const std::size_t capacity = capacity_ == 0 ? kFirstScratchItems : capacity_ * 2;
    if (capacity > std::numeric_limits<std::size_t>::max() / sizeof(BindingProperty)) throw std::bad_alloc();
    auto* items = static_cast<BindingProperty*>(std::malloc(capacity * sizeof(BindingProperty)));
    if (items == nullptr) throw std::bad_alloc();
    if (size_ != 0) {
        std::memcpy(static_cast<void*>(items), static_cast<const void*>(items_),
                    size_ * sizeof(BindingProperty));
    }
    std::free(items_);
    items_ = items;
    capacity_ = capacity;
}

void BindingBuilder::SetKey(std::string_view key) {
    const std::uint64_t prefix = detail::KeyPrefix(key.data(), key.size());
    Frame& frame = frames_.back();
    if (size_ > frame.first) {
        BindingProperty& last = items_[size_ - 1];
        const int order = detail::CompareKeys(detail::NameWithId(last.nameId_), prefix, key);
        if (order == 0) {
            last.ReleasePayload();
            pending_ = true;
            return;
        }
        // Keys that keep coming in order spare the structure its sort.
        if (order > 0) frame.ordered = false;
    }
    // Room first, so that nothing can fail once the name is counted.
    if (size_ == capacity_) GrowItems();
    const detail::InternedString* name = store_->InternName(key, prefix);
    PushItem(name->nameId);
    pending_ = true;
}

void BindingBuilder::Open(bool structure) {
    if (frames_.size() == frames_.capacity()) frames_.reserve(frames_.size() * 2 + 8);
    std::size_t slot;
    if (pending_) {
        pending_ = false;
        slot = size_ - 1;
    } else if (frames_.empty()) {
        root_->Reset();
        if (store_ == nullptr) {
            BindingStore& store = root_->EnsureStore();
            store.AddReference();
            store_ = &store;
            storeId_ = root_->StoreId();
        }
        slot = kRootSlot;
    } else {
        if (size_ == capacity_) GrowItems();
        PushItem(0);
        slot = size_ - 1;
    }
    frames_.push_back(Frame{slot, size_, structure, true});
}

BindingProperty& BindingBuilder::Close() {
    const Frame frame = frames_.back();
    const std::size_t count = size_ - frame.first;
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("BindingProperty: too many elements");
    static_assert(sizeof(BindingField) == sizeof(BindingProperty));
    using FieldArray = BindingProperty::FieldArray;
    using ElementArray = BindingProperty::ElementArray;
    void* block = store_->AllocateChunk(ElementArray::Bytes(count));
    auto* elements = static_cast<ElementArray*>(block);
    elements->size = static_cast<std::uint32_t>(count);
    elements->capacity = static_cast<std::uint32_t>(count);
    // Values hold no pointers to themselves, so moving their bytes relocates them.
    if (count != 0) {
        std::memcpy(static_cast<void*>(elements->Items()), static_cast<const void*>(items_ + frame.first),
                    count * sizeof(BindingProperty));
    }
    ++store_->containers_;
    size_ = frame.first;
    frames_.pop_back();

    BindingProperty& target = frame.slot == kRootSlot ? *root_ : items_[frame.slot];
    if (frame.structure) {
        target.payload_.fields = static_cast<FieldArray*>(block);
        target.SetKind(BindingKind::Structure);
        if (!frame.ordered) target.SortFields();
    } else {
        target.payload_.elements = elements;
        target.SetKind(BindingKind::Collection);
    }
    return target;
}

void BindingBuilder::ReleaseItems() noexcept {
    for (std::size_t k = frames_.size(); k-- > 0;) {
        const Frame& frame = frames_[k];
        const std::size_t end = k + 1 < frames_.size() ? frames_[k + 1].first : size_;
        for (std::size_t i = frame.first; i < end; ++i) {
            BindingProperty& item = items_[i];
            if (frame.structure) store_->Release(detail::NameWithId(item.nameId_));
            item.ReleasePayload();
            if (item.counted_) detail::StoreWithId(item.StoreId())->DropReference();
        }
    }
    frames_.clear();
    size_ = 0;
    pending_ = false;
}

}  // namespace Zarn::Binding
