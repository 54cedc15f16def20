// EndOfGameStateMachine: where the client stands in the end-of-game flow. Before a game ends the
// machine rests in BeforeEndOfGame; a terminated game leads into AfterEndOfGame, first
// WaitingForStats and then StatsReady once the statistics may be shown; dismissing, logging out or
// a new game flow leave AfterEndOfGame, whose exit resets the plugin's end-of-game data.
//
// The tree is static and shared by every plugin object; the actions reach their plugin through the
// machine's owner. Only EndOfGamePlugin drives the machine (through its event queue, which keeps
// events raised while a transition waits for the host from re-entering it).
#pragma once

#include <string>
#include <string_view>

#include "hsm/state.h"
#include "hsm/state_machine.h"

namespace Zarn::Client::EndOfGame {

class EndOfGamePlugin;

using EndOfGameStateMachine = Hsm::StateMachine<EndOfGamePlugin, std::string>;
using EndOfGameState = Hsm::State<EndOfGamePlugin, std::string>;

inline constexpr const char* kStateMachineName = "EndOfGameStateMachine";

// The machine's events, raised by the plugin's handlers.
inline constexpr std::string_view kEventNewGameFlow = "EOG_EVENT.NEW_GAME_FLOW";
inline constexpr std::string_view kEventLogout = "EOG_EVENT.LOGOUT";
inline constexpr std::string_view kEventDismissStats = "EOG_EVENT.DISMISS_STATS";
inline constexpr std::string_view kEventGameTerminated = "EOG_EVENT.GAME_TERMINATED";
inline constexpr std::string_view kEventStatsReady = "EOG_EVENT.STATS_READY";

// The root of the tree, and its states.
extern const EndOfGameState kEoGFlow;
extern const EndOfGameState kBeforeEndOfGame;
extern const EndOfGameState kAfterEndOfGame;
extern const EndOfGameState kWaitingForStats;
extern const EndOfGameState kStatsReady;

}  // namespace Zarn::Client::EndOfGame
