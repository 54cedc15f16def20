// Champion aliases are matched without regard to the case of ASCII letters: the summary's aliases are
// keyed, and the statistics' skin names looked up, lower-cased byte by byte. Other bytes stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Client::EndOfGame {

inline std::string AsciiLowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

}  // namespace Zarn::Client::EndOfGame
