#include "framework/semantic_version.h"

#include "logging/message_format.h"

namespace Zarn::Framework {

std::string SemanticVersion::Text() const {
    std::string text = Logging::FormatMessage("%1.%2.%3", major, minor, patch);
    if (!prerelease.empty()) text.append("-").append(prerelease);
    if (!build.empty()) text.append("+").append(build);
    return text;
}

bool IsCompatible(const SemanticVersion& plugin, const SemanticVersion& host) {
    if (host.major != plugin.major) return false;
    if (host.minor != plugin.minor) return host.minor > plugin.minor;
    return host.patch >= plugin.patch;
}

}  // namespace Zarn::Framework
