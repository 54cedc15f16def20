// Interface versions exchanged with the host at the entry: the plugin's own (18.0.0), the host's,
// the rule that decides whether the two can work together, and the text form shown in the user
// agent. Pure values; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace Zarn::Framework {

struct SemanticVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;
    std::string prerelease;
    std::string build;

    // "18.2.1", then "-" and the prerelease text and "+" and the build text, each when not empty.
    std::string Text() const;
};

inline const SemanticVersion kPluginApiVersion{18, 0, 0, {}, {}};

// The same major, and a (minor, patch) not lower than the plugin's: a host may add to the
// interface within a major version, never remove from it.
bool IsCompatible(const SemanticVersion& plugin, const SemanticVersion& host);

}  // namespace Zarn::Framework
