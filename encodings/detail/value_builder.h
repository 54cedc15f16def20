// The one value builder behind every decoder: decoders turn their input into node events and ask
// the builder where each node goes. It keeps the open containers on an explicit stack (no
// recursion, whatever the input) and refuses to open one beyond kMaxDecodeDepth.
//
// Pointers on the stack stay valid because a container is only changed while it is the innermost
// open one: its parent gains no element or field until it is closed. An open structure's fields
// are not yet in key order, so nothing reads them by name before it closes.
#pragma once

#include <cassert>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/binding_property.h"
#include "encodings/decode_limits.h"

namespace Zarn::Encodings::detail {

struct NoFrameData {};

template <typename FrameData = NoFrameData>
class ValueBuilder {
public:
    struct Frame {
        Binding::BindingProperty* value;
        bool structure;
        FrameData data;
    };

    explicit ValueBuilder(Binding::BindingProperty& root) : root_(&root) {}

    bool AtTopLevel() const noexcept { return frames_.empty(); }
    std::size_t Depth() const noexcept { return frames_.size(); }
    Frame& Innermost() noexcept { return frames_.back(); }
    const std::vector<Frame>& Frames() const noexcept { return frames_; }

    // True when the innermost container is a structure waiting for the key of its next field.
    bool ExpectsKey() const noexcept { return !frames_.empty() && frames_.back().structure && !pending_; }

    // Names the next field of the innermost structure. Fields are appended in arrival order and
    // put in key order once, as the structure closes, so no order of keys costs more than
    // O(n log n); a repeated key keeps the later value entirely (containers included). The key of
    // the field just before is reused, started over.
    void SetKey(std::string_view key) {
        assert(ExpectsKey());
        Binding::BindingProperty& field = frames_.back().value->AppendFieldUnsorted(key);
        if (field.Kind() != Binding::BindingKind::Empty) field.Reset();
        pending_ = &field;
    }

    // The value the next node fills: the field of the pending key, a new element of the
    // innermost collection, or the root.
    Binding::BindingProperty& Target() {
        if (pending_) return *std::exchange(pending_, nullptr);
        if (frames_.empty()) return *root_;
        assert(!frames_.back().structure);
        return frames_.back().value->AppendElement();
    }

    // Makes `target` a container and opens it; false, with nothing changed, when that would
    // nest deeper than kMaxDecodeDepth.
    bool Open(Binding::BindingProperty& target, bool structure, FrameData data = {}) {
        if (frames_.size() >= kMaxDecodeDepth) return false;
        if (structure) {
            target.MakeStructure();
        } else {
            target.MakeCollection();
        }
        frames_.push_back(Frame{&target, structure, std::move(data)});
        return true;
    }

    // Closes the innermost container, which gets no more items: a structure's fields are put in
    // key order, and its spare room goes back.
    Frame Close() {
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        if (frame.structure) frame.value->SortFields();
        frame.value->ShrinkToFit();
        return frame;
    }

private:
    Binding::BindingProperty* root_;
    Binding::BindingProperty* pending_ = nullptr;
    std::vector<Frame> frames_;
};

}  // namespace Zarn::Encodings::detail
