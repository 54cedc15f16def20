// The file through which `mox-host serve` tells local tools where it listens and which secret it
// wants: made only by its owner's user (mode 0600, never following a link), one "key=value" line
// each for pid, port, user, secret and url. Removed when the server stops, also on SIGINT/SIGTERM
// and on a crash of the plugin; RemoveNow is async-signal-safe for that. Main thread.
#pragma once

#include <string>

#include "host/host_result.h"

namespace Zarn::MoxHost {

class Lockfile {
public:
    Lockfile() = default;
    ~Lockfile() { Remove(); }
    Lockfile(const Lockfile&) = delete;
    Lockfile& operator=(const Lockfile&) = delete;

    // Replaces a file left at `path` by an earlier run with a new one holding `contents`.
    Host::HostResult Write(const std::string& path, const std::string& contents);
    void Remove();
    // For a signal handler: unlinks without allocating.
    void RemoveNow() noexcept;

private:
    std::string path_;
    bool written_ = false;
};

}  // namespace Zarn::MoxHost
