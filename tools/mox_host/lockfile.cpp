#include "tools/mox_host/lockfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// Windows opens no symbolic links by following them and lets no child inherit a descriptor
// opened by a program that starts none.
#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace Zarn::MoxHost {

Host::HostResult Lockfile::Write(const std::string& path, const std::string& contents) {
    Remove();
    // A fresh file, so that neither the mode nor the owner of an old one (or a link planted in
    // its place) decides who may read the secret; written beside and renamed, so that a reader
    // polling for the file never sees half of it.
    const std::string fresh = path + ".new";
    if (::unlink(fresh.c_str()) != 0 && errno != ENOENT)
        return Host::HostResult::Failure("cannot replace " + fresh + ": " + std::strerror(errno));
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return Host::HostResult::Failure("cannot create " + fresh + ": " + std::strerror(errno));
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t wrote = ::write(fd, contents.data() + done, contents.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    const bool complete = done == contents.size();
    const std::string reason = complete ? std::string() : std::strerror(errno);
    ::close(fd);
#ifdef _WIN32
    // rename does not replace an existing file there.
    if (complete) ::unlink(path.c_str());
#endif
    if (!complete || ::rename(fresh.c_str(), path.c_str()) != 0) {
        const std::string why = complete ? std::strerror(errno) : reason;
        ::unlink(fresh.c_str());
        return Host::HostResult::Failure("cannot write " + path + ": " + why);
    }
    path_ = path;
    written_ = true;
    return Host::HostResult::Success();
}

void Lockfile::Remove() {
    RemoveNow();
    written_ = false;
}

void Lockfile::RemoveNow() noexcept {
    if (written_) ::unlink(path_.c_str());
}

}  // namespace Zarn::MoxHost
