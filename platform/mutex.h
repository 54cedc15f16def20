// The operating system's recursive lock (a critical section on Windows). Any thread may use it;
// it satisfies the standard Lockable requirements, so std::lock_guard and std::unique_lock work.
#pragma once

namespace Zarn::Platform {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock();
    void unlock();
    bool try_lock();

private:
    // Large enough for a CRITICAL_SECTION or a pthread_mutex_t on every supported target.
    alignas(8) unsigned char storage_[64];
};

}  // namespace Zarn::Platform
