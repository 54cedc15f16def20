// The experience a game brought the local summoner, as one experience message of the messaging service
// tells it. The plugin builds one from each message (parsed from the message's JSON payload), keeps at
// most one, accumulating later ones into it, and merges it into the published statistics. Not
// registered: it never crosses the boundary. Built on the host's thread.
#pragma once

#include <cstdint>

#include "binding/binding_property.h"

namespace Zarn::Client::EndOfGame::Api {

struct ExperienceProgress {
    std::uint64_t base = 0;
    // Time boost and per-win boost together.
    std::uint64_t boost = 0;
    std::uint64_t missions = 0;
    std::uint64_t loyalty = 0;
    std::uint64_t globalBoost = 0;
    bool leveledUp = false;
    std::uint64_t finalLevel = 0;
    std::uint64_t finalExperience = 0;
    std::uint64_t finalLevelBoundary = 0;
    std::uint64_t initialExperience = 0;
    std::uint64_t initialLevelBoundary = 0;
};

// Reads the members "xp" and "level" of a parsed experience message. Never fails: each member is read
// leniently as an unsigned 64-bit number (BindingProperty::AsUnsigned), so a missing member, or one of
// a kind that holds no number, gives 0; a message without "level" gives no level-up and zero level data.
ExperienceProgress ReadExperienceProgress(const Binding::BindingProperty& message);

}  // namespace Zarn::Client::EndOfGame::Api
