#include "tools/mox_host/loop_inbox.h"

#include <utility>

namespace Zarn::MoxHost {

bool LoopInbox::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

std::deque<LoopInbox::Task> LoopInbox::Take(std::chrono::steady_clock::duration timeout) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, timeout, [this] { return stop_ || !tasks_.empty(); });
    std::deque<Task> taken;
    taken.swap(tasks_);
    return taken;
}

void LoopInbox::RequestStop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

bool LoopInbox::StopRequested() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

std::deque<LoopInbox::Task> LoopInbox::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    std::deque<Task> taken;
    taken.swap(tasks_);
    return taken;
}

}  // namespace Zarn::MoxHost
