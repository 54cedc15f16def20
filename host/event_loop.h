// The host's loop of pending work on its one thread: queued event deliveries, timers and posted
// tasks (replies due on a later turn). A turn runs, in this order, the deliveries queued before the
// turn began, the timers due at the turn's time that were scheduled before it began (in order of
// due time, then of scheduling), and the tasks posted before it began. Work added during a turn
// waits for a later one, so a turn always ends, even when the work it runs starts nested turns
// (a plugin's `yield`).
//
// Time is virtual (it moves only through Advance) or real (the monotonic clock). Single-threaded:
// every call comes from the host's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace Zarn::Host {

enum class ClockMode { kVirtual, kReal };

class EventLoop {
public:
    using Task = std::function<void()>;

    explicit EventLoop(ClockMode mode = ClockMode::kVirtual);

    ClockMode Mode() const noexcept { return mode_; }
    // Seconds since the loop was made (virtual: moved by Advance only).
    double Now() const;

    void QueueDelivery(Task task);
    void Post(Task task);
    // Runs `task` on the first turn at or after now + delay; a delay that is not positive (NaN
    // included) means the next turn. Returns the timer's sequence number, from 1.
    std::uint64_t Schedule(double delaySeconds, Task task);

    // Runs one turn; returns whether it ran anything.
    bool Turn();
    // Whether a turn now would run something.
    bool HasDueWork() const;
    // Turns until nothing is due. Returns false when `maxTurns` turns did not get there.
    bool RunUntilIdle(std::size_t maxTurns = kDefaultMaxTurns);
    // Moves the clock by `seconds`, stopping at every timer due in between (in order) and running
    // until idle there, then at the end. Real clock: waits the time out, running due work.
    bool Advance(double seconds, std::size_t maxTurns = kDefaultMaxTurns);
    // Due time of the earliest timer.
    std::optional<double> NextDue() const;

    std::size_t PendingTimers() const noexcept { return timers_.size(); }
    // Drops every pending delivery, timer and task.
    void Clear();

    static constexpr std::size_t kDefaultMaxTurns = 100000;

private:
    struct Queued {
        std::uint64_t sequence;
        Task task;
    };
    using TimerKey = std::pair<double, std::uint64_t>;

    static void RunQueue(std::deque<Queued>& queue, std::uint64_t limit, bool& ran);

    ClockMode mode_;
    double virtualNow_ = 0.0;
    std::int64_t realStart_ = 0;
    std::uint64_t nextSequence_ = 1;
    std::uint64_t nextTimer_ = 1;
    std::deque<Queued> deliveries_;
    std::deque<Queued> posted_;
    std::map<TimerKey, Task> timers_;
};

}  // namespace Zarn::Host
