// Event sequences for the end-of-game plugin library, played through the host library; any broken
// invariant of end_of_game_sequence.h aborts with its text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/end_of_game_sequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto outcome =
        Zarn::Client::EndOfGame::Fuzzing::PlayEventSequence(MOX_END_OF_GAME_PLUGIN, data, size);
    if (!outcome.violation.empty()) {
        std::fprintf(stderr, "end-of-game sequence: %s\n", outcome.violation.c_str());
        std::abort();
    }
    return 0;
}
