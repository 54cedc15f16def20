// Registers the records of end_of_game_records.h and consumed_records.h with the module's registry, under
// the API name prefix, so that they can be published, accepted as bodies and read from other plugins.
// Run once by the plugin's RegisterApi, before RegisterLcdsTypes and before any route.
#pragma once

#include "end_of_game/registration_context.h"

namespace Zarn::Client::EndOfGame {

// In this order: EndOfGameTeamBoost, ZMSMessage, EndOfGamePlayerComplaintV2, EndOfGamePlayer,
// EndOfGameTeam, EndOfGamePoints, EndOfGameStats, EndOfGameVictoriousComrade, GameflowAvailability,
// GameflowPhase, GameflowClient, GameflowGameData, GameflowSession, LobbyInvitation, ChampionMasteryMini,
// ChampionMasteryGrade, ChampionMasteryUpdate, LoginSummonerLevelAndPoints, LoginSummonerData,
// SimpleMessage, LoginDataPacket, LoginSessionStates, LoginSession, GameDataChampionSummary,
// RerollDataBagForClientV1, GameloopPlayerInfoV1. A record always follows the records it refers to. A
// name already registered keeps its first definition.
void RegisterApiTypes(const RegistrationContext& context);

}  // namespace Zarn::Client::EndOfGame
