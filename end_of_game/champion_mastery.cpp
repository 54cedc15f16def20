// Champion-mastery progress: a dialog message of type "championMastery" (by LCDS or in the login
// data) becomes the published ChampionMasteryUpdate and is acknowledged to the server.
#include <cstdint>
#include <string>

#include "binding/native_conversion.h"
#include "encodings/json_reader.h"
#include "end_of_game/end_of_game_plugin.h"
#include "logging/logger.h"

namespace Zarn::Client::EndOfGame {
namespace {

// The payload's members are read leniently: missing or malformed ones read as 0, false or empty.
Api::ChampionMasteryUpdate ReadMasteryUpdate(const Binding::BindingRegistry& registry,
                                             std::string_view messageId,
                                             const Binding::BindingProperty& payload) {
    Api::ChampionMasteryUpdate update;
    update.id = std::string(messageId);
    update.gameId = payload.Field("gameId").AsUnsigned();
    update.playerId = payload.Field("playerId").AsUnsigned();
    update.championId = static_cast<std::int32_t>(payload.Field("championId").AsSigned());
    update.hasLeveledUp = payload.Field("championLevelUp").AsBool();
    update.level = payload.Field("championLevel").AsSigned();
    update.grade = payload.Field("playerGrade").AsString();
    update.pointsBeforeGame = payload.Field("championPointsBeforeGame").AsSigned();
    update.pointsGained = payload.Field("championPointsGained").AsSigned();
    update.pointsGainedIndividualContribution =
        payload.Field("championPointsGainedIndividualContribution").AsSigned();
    update.bonusPointsGained = payload.Field("bonusChampionPointsGained").AsSigned();
    update.pointsSinceLastLevelBeforeGame =
        payload.Field("championPointsSinceLastLevelBeforeGame").AsSigned();
    update.pointsUntilNextLevelBeforeGame =
        payload.Field("championPointsUntilNextLevelBeforeGame").AsSigned();
    update.pointsUntilNextLevelAfterGame = payload.Field("championPointsUntilNextLevelAfterGame").AsSigned();
    update.score = payload.Field("score").AsSigned();
    // A list that does not convert keeps what was converted of it.
    Binding::BindingResult ignored;
    if (payload.HasField("levelUpList"))
        Binding::Assign(registry, payload.Field("levelUpList"), update.levelUpList, "<value>", ignored);
    if (payload.HasField("memberGrades"))
        Binding::Assign(registry, payload.Field("memberGrades"), update.memberGrades, "<value>", ignored);
    return update;
}

}  // namespace

void EndOfGamePlugin::ReceiveMasteryNotification(const Lcds::SimpleDialogMessage& message) {
    if (message.params.empty()) return;
    Binding::BindingResult parsed = Encodings::ReadJson(message.params.front());
    const Binding::BindingProperty payload =
        parsed.Succeeded() ? std::move(parsed.Value()) : Binding::BindingProperty();
    if (message.type != "championMastery") return;

    Logging::Log(3, Logging::kGroupDbg, "Received 'championMastery' message for champion %llu.",
                 static_cast<unsigned long long>(payload.Field("championId").AsUnsigned()));
    if (championMastery_) {
        championMastery_.reset();
        PublishResourceDeleted(kChampionMasteryAddress);
    }
    championMastery_ =
        std::make_unique<Api::ChampionMasteryUpdate>(ReadMasteryUpdate(Registry(), message.msgId, payload));
    PublishResource(PluginResourceEventType::Create, kChampionMasteryAddress, *championMastery_);

    Lcds::SimpleDialogMessageResponse acknowledgement;
    acknowledgement.accountId = message.accountId;
    acknowledgement.msgId = message.msgId;
    acknowledgement.command = "ack";
    const AwaitResult acknowledged =
        InvokeLcdsAndWait("clientFacadeService", "callPersistenceMessaging", acknowledgement);
    if (acknowledged.Failed()) {
        Logging::Log(2, Logging::kGroupDbg,
                     "Failed to acknowledge championMastery notification '%s': %d - %s",
                     message.msgId.c_str(), static_cast<int>(acknowledged.Error().status),
                     acknowledged.Error().message.c_str());
    } else {
        Logging::Log(3, Logging::kGroupDbg, "Acknowledged championMastery notification '%s'",
                     message.msgId.c_str());
    }
}

}  // namespace Zarn::Client::EndOfGame
