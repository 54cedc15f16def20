#include "end_of_game/end_of_game_plugin.h"

#include <utility>

#include "end_of_game/api/api_registration.h"
#include "end_of_game/lcds/lcds_registration.h"

namespace Zarn::Client::EndOfGame {

EndOfGamePlugin::EndOfGamePlugin()
    : machine_(this, kStateMachineName, kEoGFlow, [](const std::string& event) { return event; }) {
    bannedChampions_.max_load_factor(1.0f);
    bannedChampions_.rehash(8);
}

EndOfGamePlugin::~EndOfGamePlugin() = default;

void EndOfGamePlugin::Finalize() {
    machine_.Stop();
    AppModule::Finalize();
}

void EndOfGamePlugin::RegisterApi() {
    const RegistrationContext context{
        Registry(), ApiNamePrefix(), RegistrationTags(),
        [this](std::string_view registeredName, std::uint32_t typeId, std::string_view className) {
            RegisterLcdsClassName(registeredName, typeId, className);
        }};
    RegisterApiTypes(context);
    RegisterLcdsTypes(context);
    RegisterEndpoints();
}

bool EndOfGamePlugin::Initialize() {
    machine_.Start();
    Subscribe();
    LoadChampionSummary();
    return true;
}

bool EndOfGamePlugin::RaiseEvent(std::string_view event) {
    if (inTransition_) {
        // Every state lies under the root, so what the active states handle now is what they
        // will handle when the queue reaches this event.
        pendingEvents_.emplace_back(event);
        for (const EndOfGameState* state = machine_.Current(); state != nullptr; state = state->parent) {
            for (const auto& transition : state->transitions)
                if (transition.event == event) return true;
        }
        return false;
    }
    struct TransitionScope {
        bool& flag;
        explicit TransitionScope(bool& running) : flag(running) { flag = true; }
        ~TransitionScope() { flag = false; }
    } scope(inTransition_);
    const bool handled = machine_.ProcessEvent(std::string(event));
    while (!pendingEvents_.empty()) {
        const std::string next = std::move(pendingEvents_.front());
        pendingEvents_.pop_front();
        machine_.ProcessEvent(next);
    }
    return handled;
}

std::string_view EndOfGamePlugin::CurrentStateName() const {
    return machine_.Current() != nullptr ? machine_.Current()->name : std::string_view("None");
}

}  // namespace Zarn::Client::EndOfGame
