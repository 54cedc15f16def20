// Reporting a player of the finished game: once per player and game, through the platform's report
// service, with a note to the suggested-players plugin and the published list of reported players.
#include <algorithm>
#include <cstdint>

#include "end_of_game/end_of_game_plugin.h"
#include "logging/message_format.h"

namespace Zarn::Client::EndOfGame {

Framework::RouteResult<Api::EndOfGamePlayerComplaintV2> EndOfGamePlugin::ReportPlayer(
    const Api::EndOfGamePlayerComplaintV2& complaint) {
    const std::uint64_t reported = complaint.reportedSummonerId;
    if (std::binary_search(reportedPlayers_.begin(), reportedPlayers_.end(), reported))
        return Framework::RouteFailure{403, "Account was already reported."};

    Lcds::ClientReportV1 report;
    report.offenderSummonerId = reported;
    report.gameId = complaint.gameId;
    report.offenses = complaint.offenses;
    report.comments = complaint.comment;
    const AwaitResult sent = ServiceProxyRequestAndWait("report", "reportPlayer", report);
    if (sent.Failed()) {
        return Framework::RouteFailure{
            500, Logging::FormatMessage("Failed to report account %1: %2", reported, sent.Error().message)};
    }

    Request(kApiMethodPost, "/mox-suggested-players/v1/reported-player",
            Framework::RequestParameters(Registry()).SetBody(complaint));
    // Found only now: the list may have changed while the report was under way.
    const auto position = std::lower_bound(reportedPlayers_.begin(), reportedPlayers_.end(), reported);
    if (position == reportedPlayers_.end() || *position != reported)
        reportedPlayers_.insert(position, reported);
    PublishResource(PluginResourceEventType::Update, kReportedPlayersAddress, reportedPlayers_);
    return complaint;
}

}  // namespace Zarn::Client::EndOfGame
