// Static description of a state tree. Every state names its parent, its entry and exit actions,
// its initial transition and the ordered table of transitions it handles. Trees are written once
// as constants (constexpr for text, enum and integer events) and referred to only by address:
// states are compared by identity and cannot be copied.
//
// A tree reads best as forward declarations, then one table of transitions per state, then the
// states:
//
//   using S = Zarn::Hsm::State<Owner, std::string>;
//   using T = Zarn::Hsm::Transition<Owner, std::string>;
//   extern const S kRoot, kIdle, kBusy;
//   constexpr T kIdleTransitions[] = {
//       {.event = "GO", .target = &kBusy, .action = &OnGo},
//   };
//   constexpr S kRoot{.name = "Root", .initial = {.target = &kIdle}};
//   constexpr S kIdle{.name = "Idle", .parent = &kRoot, .transitions = kIdleTransitions};
//   constexpr S kBusy{.name = "Busy", .parent = &kRoot, .entry = &EnterBusy};
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace Zarn::Hsm {

template <typename OwnerT, typename EventT>
class StateMachine;

// Transitions keep text events as views so that a table of them can be constexpr; the machine still
// receives and formats the owning event type.
template <typename EventT>
struct EventStorage {
    using Type = EventT;
};

template <typename CharT, typename Traits, typename Alloc>
struct EventStorage<std::basic_string<CharT, Traits, Alloc>> {
    using Type = std::basic_string_view<CharT, Traits>;
};

// Entry, exit and transition actions. They see the machine read-only and reach the owner through it.
template <typename OwnerT, typename EventT>
using Action = void (*)(const StateMachine<OwnerT, EventT>&);

// Turns an event into text for warnings and diagrams; may be empty.
template <typename EventT>
using EventFormatter = std::function<std::string(const EventT&)>;

template <typename OwnerT, typename EventT>
struct State;

template <typename OwnerT, typename EventT>
struct Transition {
    typename EventStorage<EventT>::Type event{};
    // Null makes an internal transition: only the action runs.
    const State<OwnerT, EventT>* target = nullptr;
    Action<OwnerT, EventT> action = nullptr;
};

namespace detail {

// A copy of a state would be a different state (identity matters), so copying is ruled out
// while State stays an aggregate.
struct Pinned {
    constexpr Pinned() = default;
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;
};

}  // namespace detail

template <typename OwnerT, typename EventT>
struct State {
    using OwnerType = OwnerT;
    using EventType = EventT;

    std::string_view name;
    // Null only for the root of a tree.
    const State* parent = nullptr;
    Action<OwnerT, EventT> entry = nullptr;
    Action<OwnerT, EventT> exit = nullptr;
    // Followed right after the state was entered by a transition; its event is never matched.
    // A null target means the state has none.
    Transition<OwnerT, EventT> initial{};
    // Searched in order; the first row with an equal event wins.
    std::span<const Transition<OwnerT, EventT>> transitions{};
    [[no_unique_address]] detail::Pinned pinned{};
};

}  // namespace Zarn::Hsm
