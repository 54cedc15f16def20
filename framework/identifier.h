// The identifier rule that turns names and paths into API names: the plugin's type-name prefix
// ("mox-end-of-game" gives MoxEndOfGame) and the function names of routes ("GET" and
// "/mox-end-of-game/v1/reported-players" give GetMoxEndOfGameV1ReportedPlayers). Pure functions,
// callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Framework {

// Applies the rule with a capitalize-next flag that starts set: "!", "+", "-", ".", "/" and "_"
// are dropped and set the flag; "{" becomes "By" and sets it; "}" is dropped; any other byte is
// appended, upper-cased (ASCII only) when the flag is set, and clears it.
std::string IdentifierRule(std::string_view text);

// With an empty prefix the rule applied to `text`; otherwise to the prefix's first character, the
// rest of the prefix in lower case, "/" and then `text` (a method GET puts "Get/" before the path).
std::string Identifier(std::string_view text, std::string_view prefix = {});

}  // namespace Zarn::Framework
