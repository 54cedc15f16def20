// The plugin library's one export, load_mox_end_of_game.
#include "framework/plugin_entry.h"
#include "end_of_game/end_of_game_plugin.h"

MOX_DEFINE_PLUGIN_ENTRY(Zarn::Client::EndOfGame::EndOfGamePlugin, Zarn::Client::EndOfGame::kPluginShortName)
