// Work handed to the host's loop thread by other threads (the HTTP server's): the plugin is
// entered from the loop thread only, so a request thread posts a task here and waits for the
// answer the task gives. The loop thread waits on the inbox between turns, no longer than until
// its next timer is due. Once closed, posting fails and the caller answers on its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace Zarn::MoxHost {

class LoopInbox {
public:
    using Task = std::function<void()>;

    // Any thread. False once closed: the task will never run.
    bool Post(Task task);
    // Loop thread: the tasks posted so far, waiting up to `timeout` for one when there is none.
    std::deque<Task> Take(std::chrono::steady_clock::duration timeout);
    // Any thread: ends the loop's waiting; Take returns at once from now on.
    void RequestStop();
    bool StopRequested() const;
    // Loop thread, once stopped: refuses further tasks and returns those still queued, which the
    // loop runs so that no poster waits for ever.
    std::deque<Task> Close();

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    bool stop_ = false;
    bool closed_ = false;
};

}  // namespace Zarn::MoxHost
