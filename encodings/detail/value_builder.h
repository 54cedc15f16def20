// The one value builder behind every decoder: decoders turn their input into node events and ask
// the builder where each node goes. The tree is built bottom-up (binding/binding_builder.h): the
// open containers wait on explicit stacks (no recursion, whatever the input), and the builder
// refuses to open one beyond kMaxDecodeDepth.
//
// A reference to a target or to a closed container stays valid until the next call to the
// builder. An open structure's fields are not yet in key order, so nothing reads them by name
// before it closes.
#pragma once

#include <cassert>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/binding_builder.h"
#include "binding/binding_property.h"
#include "encodings/decode_limits.h"

namespace Zarn::Encodings::detail {

struct NoFrameData {};

template <typename FrameData = NoFrameData>
class ValueBuilder {
public:
    struct Frame {
        FrameData data;
    };
    struct Closed {
        Binding::BindingProperty* value;  // valid until the next call to the builder
        FrameData data;
    };

    explicit ValueBuilder(Binding::BindingProperty& root) : tree_(root) {}

    bool AtTopLevel() const noexcept { return frames_.empty(); }
    std::size_t Depth() const noexcept { return frames_.size(); }
    Frame& Innermost() noexcept { return frames_.back(); }
    bool InnermostIsStructure() const noexcept { return tree_.InnermostIsStructure(); }

    // True when the innermost container is a structure waiting for the key of its next field.
    bool ExpectsKey() const noexcept { return tree_.ExpectsKey(); }

    // Names the next field of the innermost structure. Fields are put in key order once, as the
    // structure closes, so no order of keys costs more than O(n log n); a repeated key keeps the
    // later value entirely (containers included). The key of the field just before is reused,
    // started over.
    void SetKey(std::string_view key) {
        assert(ExpectsKey());
        tree_.SetKey(key);
    }

    // The value the next node fills: the field of the pending key, a new element of the
    // innermost collection, or the root.
    Binding::BindingProperty& Target() { return tree_.Target(); }

    // Makes the next target a container and opens it; false, with nothing changed, when that
    // would nest deeper than kMaxDecodeDepth.
    bool Open(bool structure, FrameData data = {}) {
        if (frames_.size() >= kMaxDecodeDepth) return false;
        frames_.push_back(Frame{std::move(data)});
        try {
            tree_.Open(structure);
        } catch (...) {
            frames_.pop_back();
            throw;
        }
        return true;
    }

    // Closes the innermost container, which gets no more items: a structure's fields are put in
    // key order.
    Closed Close() {
        Binding::BindingProperty& value = tree_.Close();
        Closed closed{&value, std::move(frames_.back().data)};
        frames_.pop_back();
        return closed;
    }

private:
    Binding::BindingBuilder tree_;
    std::vector<Frame> frames_;
};

}  // namespace Zarn::Encodings::detail
