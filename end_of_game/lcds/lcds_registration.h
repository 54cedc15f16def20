// Registers the LCDS records of lcds_records.h with the module's registry, under their plugin-side names
// (without the API name prefix), and enters the server class name of each by name and by type id, which
// outgoing LCDS calls use for their "__class" fields. Run once by the plugin's RegisterApi, right after
// RegisterApiTypes.
#pragma once

#include "end_of_game/registration_context.h"

namespace Zarn::Client::EndOfGame {

// In this order: EndOfGameLcdsHarassmentReport, EndOfGameLcdsClientReportV1, EndOfGameLcdsPointsPenalty,
// EndOfGameLcdsSpell, EndOfGameLcdsTeamId, EndOfGameLcdsTeamInfo, EndOfGameLcdsRawStatDTO,
// EndOfGameLcdsPlayerParticipantStatsSummary, EndOfGameLcdsEndOfGameStats, PlayerParticipant,
// BannedChampion, EogLcdsGameDTO, SimpleDialogMessage, SimpleDialogMessageResponse; for each, its class
// name by name, then by type id, then the record and its fields. A name already registered keeps its
// first record, but its class names are replaced.
void RegisterLcdsTypes(const RegistrationContext& context);

}  // namespace Zarn::Client::EndOfGame
