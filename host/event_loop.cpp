#include "host/event_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace Zarn::Host {

EventLoop::EventLoop(ClockMode mode) : mode_(mode) {
    if (mode_ == ClockMode::kReal) realStart_ = Platform::PerformanceCounter();
}

double EventLoop::Now() const {
    if (mode_ == ClockMode::kVirtual) return virtualNow_;
    return static_cast<double>(Platform::PerformanceCounter() - realStart_) /
           static_cast<double>(Platform::PerformanceFrequency());
}

void EventLoop::QueueDelivery(Task task) { deliveries_.push_back({nextSequence_++, std::move(task)}); }

void EventLoop::Post(Task task) { posted_.push_back({nextSequence_++, std::move(task)}); }

std::uint64_t EventLoop::Schedule(double delaySeconds, Task task) {
    double delay = delaySeconds > 0.0 ? delaySeconds : 0.0;
    std::uint64_t id = nextTimer_++;
    timers_.emplace(TimerKey{Now() + delay, id}, std::move(task));
    return id;
}

void EventLoop::RunQueue(std::deque<Queued>& queue, std::uint64_t limit, bool& ran) {
    // Nested turns may pop from the same queue meanwhile, so the front is read afresh each time.
    while (!queue.empty() && queue.front().sequence < limit) {
        Task task = std::move(queue.front().task);
        queue.pop_front();
        ran = true;
        task();
    }
}

bool EventLoop::Turn() {
    const std::uint64_t limit = nextSequence_;
    const std::uint64_t timerLimit = nextTimer_;
    const double now = Now();
    bool ran = false;
    RunQueue(deliveries_, limit, ran);
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first > now) break;
        if (it->first.second >= timerLimit) {
            ++it;
            continue;
        }
        Task task = std::move(it->second);
        timers_.erase(it);
        ran = true;
        task();
        it = timers_.begin();
    }
    RunQueue(posted_, limit, ran);
    return ran;
}

bool EventLoop::HasDueWork() const {
    if (!deliveries_.empty() || !posted_.empty()) return true;
    return !timers_.empty() && timers_.begin()->first.first <= Now();
}

bool EventLoop::RunUntilIdle(std::size_t maxTurns) {
    for (std::size_t turn = 0; turn < maxTurns; ++turn) {
        if (!HasDueWork()) return true;
        Turn();
    }
    return !HasDueWork();
}

bool EventLoop::Advance(double seconds, std::size_t maxTurns) {
    if (!(seconds > 0.0)) return RunUntilIdle(maxTurns);
    if (mode_ == ClockMode::kReal) {
        const double end = Now() + seconds;
        for (;;) {
            if (!RunUntilIdle(maxTurns)) return false;
            double now = Now();
            if (now >= end) return true;
            double wake = end;
            if (auto due = NextDue(); due && *due < wake) wake = *due;
            if (wake > now) std::this_thread::sleep_for(std::chrono::duration<double>(wake - now));
        }
    }
    const double end = virtualNow_ + seconds;
    for (;;) {
        if (!RunUntilIdle(maxTurns)) return false;
        auto due = NextDue();
        if (!due || *due > end) break;
        virtualNow_ = std::max(virtualNow_, *due);
    }
    virtualNow_ = end;
    return RunUntilIdle(maxTurns);
}

std::optional<double> EventLoop::NextDue() const {
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first.first;
}

void EventLoop::Clear() {
    deliveries_.clear();
    posted_.clear();
    timers_.clear();
}

}  // namespace Zarn::Host
