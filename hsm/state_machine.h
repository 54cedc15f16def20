// Runs a statically defined state tree (see state.h) for one owner. The owner keeps the machine as
// a member, calls Start() once when it starts, feeds events through ProcessEvent() and calls Stop()
// when it shuts down. Exit actions run innermost first, entry actions outermost first, a transition's
// own action runs between them, and initial transitions lead down into nested states.
//
// Not re-entrant and holds no lock: one thread at a time drives a machine, and no action may call
// ProcessEvent(), Start() or Stop() on its own machine while it runs. An owner that needs to raise
// events from inside actions must queue them and feed them after the call returns.
//
// Actions run to completion; the engine does not catch what they throw, and `Current()` is then
// wherever the walk had set it.
#pragma once

#include <string>
#include <utility>

#include "hsm/state.h"
#include "hsm/warning_hook.h"

namespace Zarn::Hsm {

template <typename OwnerT, typename EventT>
class StateMachine {
public:
    using StateType = State<OwnerT, EventT>;
    using TransitionType = Transition<OwnerT, EventT>;
    using Formatter = EventFormatter<EventT>;

    // `initial` is the root of the tree; no action runs until Start().
    StateMachine(OwnerT* owner, std::string name, const StateType& initial, Formatter formatEvent = {})
        : owner_(owner), name_(std::move(name)), current_(&initial), formatEvent_(std::move(formatEvent)) {}

    // Actions hold references to the machine; it stays where its owner put it.
    StateMachine(const StateMachine&) = delete;
    StateMachine& operator=(const StateMachine&) = delete;

    // Enters the current state and follows its initial transitions. Does nothing once stopped.
    void Start() {
        if (current_ == nullptr) return;
        if (current_->entry) current_->entry(*this);
        FollowInitialTransition();
    }

    // True when a transition was found and carried out; false when the event is not handled by the
    // current state or its ancestors, or when the transition leads into another tree.
    bool ProcessEvent(const EventT& event) {
        for (const StateType* state = current_; state != nullptr; state = state->parent) {
            for (const TransitionType& transition : state->transitions) {
                if (transition.event == event) return Carry(transition, &event);
            }
        }
        if (WarningHook hook = CurrentWarningHook()) {
            hook(
                "State machine '%s': Event '%s' is not handled by state '%s', or its ancestors. The "
                "event will be ignored.",
                name_.c_str(), EventText(&event).c_str(), NameOf(current_).c_str());
        }
        return false;
    }

    // Exits every active state, innermost first; afterwards there is no current state.
    void Stop() {
        while (current_ != nullptr) {
            if (current_->exit) current_->exit(*this);
            current_ = current_->parent;
        }
    }

    OwnerT* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // The innermost active state; null after Stop().
    const StateType* Current() const { return current_; }

private:
    // `event` is null for initial transitions, which have no event of their own.
    bool Carry(const TransitionType& transition, const EventT* event) {
        const StateType* target = transition.target;
        if (target == nullptr || target == current_) {
            if (transition.action) transition.action(*this);
            return true;
        }

        const StateType* common = LowestCommonAncestor(current_, target);
        if (common == nullptr) {
            if (WarningHook hook = CurrentWarningHook()) {
                hook(
                    "State machine '%s': The transition from state '%s' to state '%s' on event '%s' is "
                    "invalid because the states do not share a common ancestry. The event will be ignored.",
                    name_.c_str(), NameOf(current_).c_str(), NameOf(target).c_str(),
                    EventText(event).c_str());
            }
            return false;
        }

        while (current_ != common) {
            if (current_->exit) current_->exit(*this);
            current_ = current_->parent;
        }
        if (transition.action) transition.action(*this);
        if (target != common) {
            EnterDownTo(target, common);
            FollowInitialTransition();
        }
        return true;
    }

    // Enters the states below `above` down to `state`, outermost first.
    void EnterDownTo(const StateType* state, const StateType* above) {
        if (state->parent != above) EnterDownTo(state->parent, above);
        current_ = state;
        if (state->entry) state->entry(*this);
    }

    void FollowInitialTransition() {
        const StateType* target = current_->initial.target;
        if (target == nullptr) return;
        if (!IsProperDescendant(target, current_)) {
            if (WarningHook hook = CurrentWarningHook()) {
                hook(
                    "State machine '%s': The initial transition from state '%s' to state '%s' is invalid "
                    "because the target state is not a descendant. The transition will be ignored.",
                    name_.c_str(), NameOf(current_).c_str(), NameOf(target).c_str());
            }
            return;
        }
        Carry(current_->initial, nullptr);
    }

    static bool IsProperDescendant(const StateType* state, const StateType* ancestor) {
        for (const StateType* above = state->parent; above != nullptr; above = above->parent) {
            if (above == ancestor) return true;
        }
        return false;
    }

    static int Depth(const StateType* state) {
        int depth = 0;
        for (; state->parent != nullptr; state = state->parent) ++depth;
        return depth;
    }

    // Null when the two states lie in different trees.
    static const StateType* LowestCommonAncestor(const StateType* a, const StateType* b) {
        int depthA = Depth(a);
        int depthB = Depth(b);
        for (; depthA > depthB; --depthA) a = a->parent;
        for (; depthB > depthA; --depthB) b = b->parent;
        while (a != b) {
            a = a->parent;
            b = b->parent;
        }
        return a;
    }

    static std::string NameOf(const StateType* state) { return state ? std::string(state->name) : "n/a"; }

    // Only called once a hook listens: warnings are silent by default and unhandled events are common.
    std::string EventText(const EventT* event) const {
        return event != nullptr && formatEvent_ ? formatEvent_(*event) : "n/a";
    }

    OwnerT* owner_;
    std::string name_;
    const StateType* current_;
    Formatter formatEvent_;
};

}  // namespace Zarn::Hsm
