#include "tools/mox_host/account.h"

#include <cstdint>
#include <cwchar>

#include "encodings/json_writer.h"
#include "host/plugin_call.h"

namespace Zarn::MoxHost {

using Binding::BindingKind;
using Binding::BindingProperty;

namespace {

constexpr const char* kStatsBlock = "/mox-end-of-game/v1/eog-stats-block";

// The server's statistics shown for each player, with their column titles. The names are the
// server's data, not ours: this is the one place that knows them.
struct ShownStatistic {
    const char* name;
    const char* title;
};
constexpr ShownStatistic kShownStatistics[] = {
    {"KILLS", "K"}, {"DEATHS", "D"}, {"ASSISTS", "A"}, {"GOLD_EARNED", "GOLD"}};

constexpr std::size_t kItemSlots = 7;
constexpr std::size_t kLongestShownValue = 300;

const char* kBold = "1";
const char* kDim = "2";
const char* kGreen = "32";
const char* kRed = "31";
const char* kYellow = "33";
const char* kCyan = "36";

std::string Clip(std::string text) {
    if (text.size() > kLongestShownValue) text = text.substr(0, kLongestShownValue) + "...";
    return text;
}

std::string Padded(const std::string& text, std::size_t width, bool right = false) {
    const std::size_t used = DisplayWidth(text);
    const std::string pad(used < width ? width - used : 0, ' ');
    return right ? pad + text : text + pad;
}

std::string NumberText(const BindingProperty& value) {
    if (value.Kind() == BindingKind::Empty) return "-";
    if (value.Kind() == BindingKind::String) return std::string(value.GetString());
    return Encodings::WriteJson(value);
}

std::string ChampionAlias(const BindingProperty& champions, const BindingProperty& championId) {
    for (const BindingProperty& champion : champions.Elements()) {
        if (champion.Field("id").AsSigned(-1) == championId.AsSigned(-2)) {
            return std::string(champion.Field("alias").GetString());
        }
    }
    return championId.Kind() == BindingKind::Empty ? "?" : "#" + NumberText(championId);
}

}  // namespace

#ifdef _WIN32
// Windows has no wcwidth, and its wchar_t holds UTF-16 units: the text is decoded as UTF-8 here,
// with East Asian wide characters taking two columns and combining marks none.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC0 ? 2
                                                  : 0;
        if (length == 0 || at + length > text.size()) {
            ++width;  // not UTF-8: one column per byte
            ++at;
            continue;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i)
            code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        at += length;
        if ((code >= 0x0300 && code <= 0x036F) || (code >= 0x200B && code <= 0x200F)) continue;
        const bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                          (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                          (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                          (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x1F300 && code <= 0x1F64F) ||
                          (code >= 0x20000 && code <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}
#else
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    std::mbstate_t state{};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    while (at < end) {
        wchar_t c = 0;
        const std::size_t used = std::mbrtowc(&c, at, static_cast<std::size_t>(end - at), &state);
        if (used == 0 || used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            // Not valid in the current encoding: one column per byte, start over.
            state = std::mbstate_t{};
            ++width;
            ++at;
            continue;
        }
        const int columns = ::wcwidth(c);
        width += columns < 0 ? 1 : static_cast<std::size_t>(columns);
        at += used;
    }
    return width;
}
#endif

std::string Account::Paint(const char* code, const std::string& text) const {
    if (!colour_) return text;
    return "\033[" + std::string(code) + "m" + text + "\033[0m";
}

void Account::Add(const BindingProperty& object) {
    const std::string_view kind = object.Field("kind").GetString();
    if (kind == "load") {
        out_ << Paint(kBold, "loaded " + std::string(object.Field("name").GetString())) << " "
             << Encodings::WriteJson(object.Field("version")) << ", " << object.Field("functions").Size()
             << " functions\n";
    } else if (kind == "step") {
        out_ << Paint(kBold, "step " + std::to_string(object.Field("index").GetUnsigned()) + "  " +
                                 std::string(object.Field("op").GetString()))
             << " " << object.Field("target").GetString() << "\n";
    } else if (kind == "event") {
        const BindingProperty& payload = object.Field("payload");
        if (object.Field("name").GetString() == "OnJsonApiEvent") {
            out_ << "  " << Paint(kCyan, "published") << " " << payload.Field("eventType").GetString() << " "
                 << payload.Field("uri").GetString() << "\n";
            if (payload.Field("uri").GetString() == kStatsBlock &&
                payload.Field("eventType").GetString() != "Delete") {
                lastStats_ = payload.Field("data");
            }
        } else if (object.Field("name").GetString().rfind("OnJsonApiEvent_", 0) != 0) {
            out_ << "  " << Paint(kCyan, "sent") << " " << object.Field("name").GetString() << "\n";
        }
    } else if (kind == "request") {
        std::string line = "  " + Paint(kYellow, "requested") + " " +
                           std::string(object.Field("method").GetString()) + " " +
                           std::string(object.Field("path").GetString());
        if (!object.Field("body").GetString().empty())
            line += " " + Clip(std::string(object.Field("body").GetString()));
        line += " -> " + std::to_string(object.Field("status").GetUnsigned());
        if (!object.Field("error").GetString().empty())
            line += " " + std::string(object.Field("error").GetString());
        out_ << line << "\n";
    } else if (kind == "external") {
        out_ << "  " << Paint(kYellow, "fetched") << " " << object.Field("method").GetString() << " "
             << object.Field("url").GetString() << " -> " << object.Field("status").GetUnsigned() << " "
             << object.Field("error").GetString() << "\n";
    } else if (kind == "log") {
        out_ << "  " << Paint(kDim, "log " + std::string(object.Field("text").GetString())) << "\n";
    } else if (kind == "call") {
        std::string line = "  called " + std::string(object.Field("method").GetString()) + " " +
                           std::string(object.Field("path").GetString()) + " -> " +
                           std::to_string(Host::EffectiveStatus(
                               static_cast<std::uint32_t>(object.Field("status").GetUnsigned()),
                               std::string(object.Field("error").GetString())));
        if (!object.Field("error").GetString().empty())
            line += " " + std::string(object.Field("error").GetString());
        out_ << line << "\n";
    } else if (kind == "expect") {
        if (object.Field("ok").GetBool()) {
            out_ << "  " << Paint(kGreen, "expectation held") << "\n";
        } else {
            out_ << "  "
                 << Paint(kRed, "expectation failed: " + std::string(object.Field("detail").GetString()))
                 << "\n";
        }
    } else if (kind == "fault") {
        out_ << "  " << Paint(kRed, "FAULT " + std::string(object.Field("text").GetString())) << "\n";
    } else if (kind == "shutdown") {
        out_ << Paint(kBold, "shut down") << "\n";
    }
}

void Account::Finish(const BindingProperty& champions) {
    if (lastStats_.Kind() != BindingKind::Structure) return;
    out_ << "\n"
         << Paint(kBold, "End of game " + NumberText(lastStats_.Field("gameId")) + "  " +
                             std::string(lastStats_.Field("gameMode").GetString()) + " " +
                             std::string(lastStats_.Field("queueType").GetString()))
         << "\n";
    // Column widths over every player, so both teams line up.
    std::size_t nameWidth = 6, championWidth = 8;
    for (const BindingProperty& team : lastStats_.Field("teams").Elements()) {
        for (const BindingProperty& player : team.Field("players").Elements()) {
            nameWidth = std::max(nameWidth, DisplayWidth(player.Field("summonerName").GetString()));
            championWidth =
                std::max(championWidth, DisplayWidth(ChampionAlias(champions, player.Field("championId"))));
        }
    }
    std::string header =
        "  " + Padded("PLAYER", nameWidth) + "  " + Padded("CHAMPION", championWidth) + "  LVL";
    for (const ShownStatistic& statistic : kShownStatistics)
        header += "  " + Padded(statistic.title, 6, true);
    header += "  ITEMS";
    for (const BindingProperty& team : lastStats_.Field("teams").Elements()) {
        const bool won = team.Field("isWinningTeam").GetBool();
        std::string title = team.Field("name").GetString().empty()
                                ? "Team " + NumberText(team.Field("teamId"))
                                : std::string(team.Field("name").GetString());
        out_ << "\n" << Paint(won ? kGreen : kBold, title + (won ? "  * WINNER" : "")) << "\n";
        out_ << Paint(kDim, header) << "\n";
        for (const BindingProperty& player : team.Field("players").Elements()) {
            std::string row =
                "  " + Padded(std::string(player.Field("summonerName").GetString()), nameWidth) + "  " +
                Padded(ChampionAlias(champions, player.Field("championId")), championWidth) + "  " +
                Padded(NumberText(player.Field("level")), 3, true);
            for (const ShownStatistic& statistic : kShownStatistics)
                row += "  " + Padded(NumberText(player.Field("stats").Field(statistic.name)), 6, true);
            row += " ";
            for (std::size_t slot = 0; slot < kItemSlots; ++slot)
                row += " " + Padded(NumberText(player.Field("items").Element(slot)), 5, true);
            out_ << row << "\n";
        }
    }
}

}  // namespace Zarn::MoxHost
