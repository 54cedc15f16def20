#include "platform/random.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#else
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace Zarn::Platform {

#ifdef _WIN32
bool FillSecureRandom(void* bytes, std::size_t size) {
    return BCryptGenRandom(nullptr, static_cast<PUCHAR>(bytes), static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}
#else
namespace {

// Kernels and sandboxes without getrandom still have the device.
bool ReadUrandom(unsigned char* at, std::size_t size) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    while (size != 0) {
        const ssize_t got = ::read(fd, at, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ::close(fd);
            return false;
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    ::close(fd);
    return true;
}

}  // namespace

bool FillSecureRandom(void* bytes, std::size_t size) {
    auto* at = static_cast<unsigned char*>(bytes);
    while (size != 0) {
        const ssize_t got = ::getrandom(at, size, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadUrandom(at, size);
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}
#endif

}  // namespace Zarn::Platform
