#include "platform/mutex.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace Zarn::Platform {

#ifdef _WIN32
static_assert(sizeof(CRITICAL_SECTION) <= 64);
static CRITICAL_SECTION* Native(unsigned char* storage) {
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

Mutex::Mutex() { InitializeCriticalSection(Native(storage_)); }
Mutex::~Mutex() { DeleteCriticalSection(Native(storage_)); }
void Mutex::lock() { EnterCriticalSection(Native(storage_)); }
void Mutex::unlock() { LeaveCriticalSection(Native(storage_)); }
bool Mutex::try_lock() { return TryEnterCriticalSection(Native(storage_)) != 0; }
#else
static_assert(sizeof(pthread_mutex_t) <= 64);
static pthread_mutex_t* Native(unsigned char* storage) { return reinterpret_cast<pthread_mutex_t*>(storage); }

Mutex::Mutex() {
    // Recursive, like a critical section: a target may log while the logger holds its lock.
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(Native(storage_), &attributes);
    pthread_mutexattr_destroy(&attributes);
}
Mutex::~Mutex() { pthread_mutex_destroy(Native(storage_)); }
void Mutex::lock() { pthread_mutex_lock(Native(storage_)); }
void Mutex::unlock() { pthread_mutex_unlock(Native(storage_)); }
bool Mutex::try_lock() { return pthread_mutex_trylock(Native(storage_)) == 0; }
#endif

}  // namespace Zarn::Platform
