// Plays the end-of-game plugin library, through the host library, a sequence of the events it
// subscribes to, chosen by bytes: peer resources created, updated and deleted (valid or mutated
// payloads), the server's LCDS messages, reroll points from the service proxy, calls of the five
// endpoints, report replies that succeed, fail or are withheld for a while, and shutdown at any
// point. After every step it checks what must hold whatever the order:
//   - the host saw no fault and the machine rests in one of its leaf states;
//   - the statistics block is published (Create announced, Delete not yet) exactly while the
//     machine is in StatsReady and the plugin holds statistics (its GET answers them); only a
//     published block is updated, and a Delete follows only statistics published or held;
//   - the reported players, as published and as read, are ascending and unique;
//   - every response the host filled is released once nothing waits.
// Shared by the libFuzzer target and the seeded test, so a finding of one replays in the other.
//
// Threads: one; each call loads its own host and plugin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Zarn::Client::EndOfGame::Fuzzing {

struct SequenceOutcome {
    std::string violation;  // the first invariant broken, with the step it broke at; empty when none
    std::size_t steps = 0;  // steps played, nested ones included
};

// `pluginPath` is the plugin's shared library.
SequenceOutcome PlayEventSequence(const std::string& pluginPath, const std::uint8_t* data, std::size_t size);

}  // namespace Zarn::Client::EndOfGame::Fuzzing
