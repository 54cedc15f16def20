// BindingBuilder: builds a value tree bottom-up, in the order a decoder meets its nodes.
//
// The items of the open containers wait on one scratch stack, reused from container to
// container; a container gets one block of exactly its size when it closes, and its items are
// copied once, into that block. Nothing grows item by item, and nothing is given back as
// containers close.
//
// While it builds, the builder holds a reference to the tree's store, so that whatever the
// caller does to the root (a failed decode resets it) leaves the waiting items valid until the
// builder releases them. Items of containers still open when the builder goes are released; a
// root whose container never closed is left empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"

namespace Zarn::Binding {

class BindingBuilder {
public:
    // Builds into `root`, which is set the first time a node targets it.
    explicit BindingBuilder(BindingProperty& root) noexcept : root_(&root) {}
    ~BindingBuilder();
    BindingBuilder(const BindingBuilder&) = delete;
    BindingBuilder& operator=(const BindingBuilder&) = delete;

    // Open containers; 0 at the top level.
    std::size_t Depth() const noexcept { return frames_.size(); }
    // True when the innermost container is a structure waiting for the key of its next field.
    bool ExpectsKey() const noexcept { return InnermostIsStructure() && !pending_; }
    bool InnermostIsStructure() const noexcept { return !frames_.empty() && frames_.back().structure; }

    // Names the next field of the innermost structure (see ExpectsKey). Fields keep their arrival
    // order until the structure closes and are then put in key order, O(n log n) whatever the
    // order; of fields of one name the later is kept whole, and a key equal to the one just
    // before starts that field over.
    void SetKey(std::string_view key);
    // The value the next node fills: the field of the pending key, a new element of the
    // innermost collection, or the root. Valid until the next call to the builder.
    BindingProperty& Target() {
        if (pending_) {
            pending_ = false;
            return items_[size_ - 1];
        }
        if (frames_.empty()) return *root_;
        if (size_ == capacity_) GrowItems();
        return PushItem(0);
    }
    // Makes the next target a container and opens it. The caller bounds the depth.
    void Open(bool structure);
    // Closes the innermost container, which gets its items, and returns it: valid until the next
    // call to the builder.
    BindingProperty& Close();

private:
    static constexpr std::size_t kRootSlot = static_cast<std::size_t>(-1);

    struct Frame {
        std::size_t slot;   // of the container on the scratch stack, or kRootSlot
        std::size_t first;  // its first item on the scratch stack
        bool structure;
        bool ordered = true;  // the keys so far came in key order, each once
    };

    void GrowItems();
    BindingProperty& PushItem(std::uint32_t nameId) noexcept {
        BindingProperty* item = new (items_ + size_) BindingProperty(storeId_, nameId);
        ++size_;
        return *item;
    }
    void ReleaseItems() noexcept;

    BindingProperty* root_;
    BindingStore* store_ = nullptr;  // counted while set
    std::uint32_t storeId_ = 0;
    bool pending_ = false;  // the last item is a field whose value is still to come
    // Slots of the items, moved by their bytes as the stack grows: values hold no pointers to
    // themselves.
    BindingProperty* items_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::vector<Frame> frames_;
};

}  // namespace Zarn::Binding
