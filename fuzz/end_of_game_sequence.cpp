#include "fuzz/end_of_game_sequence.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

#include "binding/binding_property.h"
#include "encodings/json_reader.h"
#include "framework/host_event_name.h"
#include "host/login_peer.h"
#include "host/plugin_host.h"

namespace Zarn::Client::EndOfGame::Fuzzing {
namespace {

using Binding::BindingProperty;
using Host::BoundaryKind;
using Host::BoundaryRecord;

constexpr std::string_view kStatsBlock = "/mox-end-of-game/v1/eog-stats-block";
constexpr std::string_view kReported = "/mox-end-of-game/v1/reported-players";
constexpr std::string_view kComplaints = "/mox-end-of-game/v2/player-complaints";

// What each observed resource may say; the last rows of a table are the unusual ones.
struct Resource {
    std::string_view address;
    std::array<std::string_view, 3> payloads;
};
constexpr Resource kResources[] = {
    {"/mox-login/v1/session",
     {R"({"state": "SUCCEEDED", "summonerId": 42, "accountId": 4200})",
      R"({"state": "LOGGING_OUT", "summonerId": 42, "accountId": 4200})",
      R"({"state": "SUCCEEDED", "summonerId": 43, "accountId": 0})"}},
    {"/mox-login/v1/login-data-packet",
     {R"({"platformId": "PLAT1", "allSummonerData": {"summonerLevelAndPoints":
          {"summonerLevel": 30, "expPoints": 100, "expToNextLevel": 2000}}})",
      R"({"platformId": "PLAT1", "simpleMessages": [{"accountId": 4200, "msgId": "m1",
          "type": "championMastery", "params": ["{\"championId\": 1, \"championLevel\": 5}"]}]})",
      R"({"platformId": ""})"}},
    {"/mox-gameflow/v1/availability",
     {R"({"state": "InGameFlow", "isAvailable": false})", R"({"state": "Available", "isAvailable": true})",
      R"({})"}},
    {"/mox-gameflow/v1/session",
     {R"({"phase": "InProgress", "gameClient": {"observerServerIp": "127.0.0.1", "observerServerPort": 8088,
          "running": true}, "gameData": {"gameId": 1234}})",
      R"({"phase": "EndOfGame", "gameClient": {"observerServerIp": "127.0.0.1", "observerServerPort": 8088,
          "running": false}, "gameData": {"gameId": 1234}})",
      R"({"phase": "None", "gameClient": {"observerServerIp": "", "running": false}})"}},
    {"/mox-gameflow/v1/spectate", {"true", "false", "null"}},
    {"/mox-champ-select/v1/team-boost",
     {R"({"summonerId": 42, "skinUnlockMode": "UNLOCKED", "price": 95, "unlocked": true})", R"({})",
      R"({"price": "many"})"}},
    {"/zarn-messaging-service/v1/message/summoner/v1/xp",
     {R"({"timestamp": 1, "payload": "{\"xp\": {\"BASE\": 100}, \"level\": {\"initialLevel\": 30,
          \"finalLevel\": 31, \"progress\": {\"initialXp\": 100, \"finalXp\": 40, \"initialLevelBoundary\":
          2000, \"finalLevelBoundary\": 2100}}}"})",
      R"({"timestamp": 2, "payload": "{\"xp\": {\"BASE\": 50}}"})",
      R"({"timestamp": 3, "payload": "not json"})"}},
};

struct LcdsClass {
    std::string_view name;
    std::array<std::string_view, 3> bodies;
};
constexpr LcdsClass kLcdsClasses[] = {
    {"com.zarngames.platform.statistics.EndOfGameStats",
     {R"({"gameId": 1234, "gameMutators": [], "skinIndex": 2, "myTeamInfo": {"name": "Blue"},
          "teamPlayerParticipantStats": [
            {"userId": 42, "summonerId": 42, "summonerName": "Quillfeather", "skinName": "Aurel", "teamId": 100,
             "level": 31, "statistics": [{"statTypeName": "WIN", "value": 1}]},
            {"userId": 43, "summonerName": "Mossback", "skinName": "Brisa", "teamId": 100,
             "statistics": [{"statTypeName": "WIN", "value": 1}]}],
          "otherTeamPlayerParticipantStats": [
            {"userId": 77, "summonerName": "Gravelwit", "skinName": "Unknown", "teamId": 200,
             "statistics": [{"statTypeName": "LOSE", "value": 1}]}]})",
      R"({"gameId": 1235, "gameMutators": ["BasicTutorial"], "teamPlayerParticipantStats": []})",
      R"({"gameId": 1236, "otherTeamPlayerParticipantStats": [{"userId": 42, "teamId": 200,
          "statistics": [{"statTypeName": "LOSE", "value": 1}]}]})"}},
    {"com.zarngames.platform.game.GameDTO",
     {R"({"id": 1234, "gameState": "TERMINATED", "bannedChampions": [{"teamId": 100, "championId": 22}]})",
      R"({"id": 1234, "gameState": "TERMINATED_IN_ERROR"})", R"({"id": 1234, "gameState": "IN_PROGRESS"})"}},
    {"com.zarngames.platform.messaging.persistence.SimpleDialogMessage",
     {R"({"accountId": 4200, "msgId": "m7", "type": "championMastery",
          "params": ["{\"championId\": 22, \"championLevel\": 6, \"playerGrade\": \"S\"}"]})",
      R"({"accountId": 4200, "msgId": "m8", "type": "other", "params": []})",
      R"({"accountId": 4200, "msgId": "m9", "type": "championMastery", "params": ["not json"]})"}},
};

constexpr std::array<std::string_view, 3> kRerollPayloads = {
    R"({"rerollDataBag": {"pointsGainedLastGame": 30, "totalPoints": 250, "rerollCount": 1}})", R"({})",
    "not json"};

// Reads choices from the bytes; zeros once they are used up.
class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const noexcept { return at_ >= size_; }
    std::uint8_t Next() noexcept { return at_ < size_ ? data_[at_++] : 0; }
    std::size_t Pick(std::size_t count) noexcept { return Next() % count; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

bool AscendingAndUnique(const BindingProperty& list) {
    for (std::size_t i = 1; i < list.Size(); ++i) {
        if (list.Element(i - 1).AsUnsigned() >= list.Element(i).AsUnsigned()) return false;
    }
    return true;
}

// How the platform answers reports: at once, with a failure, or not until told (withheld).
const Host::ServiceProxyReply kReportReplies[] = {
    {}, {"FAILED", "", "Account not found", false}, {"OK", "", "", true}};
constexpr std::size_t kWithheld = 2;

class Sequence {
public:
    Sequence(const std::string& pluginPath, ByteSource& bytes)
        : bytes_(bytes), host_(Options()), login_(host_), pluginPath_(pluginPath) {
        host_.Requests().Add("GET", "*", [this](const Host::HostRequest& request) {
            const auto peer = peers_.find(request.path);
            if (peer == peers_.end()) return Host::HostReply::Status(404, "Resource not found");
            return Host::HostReply::Value(peer->second);
        });
        host_.Requests().Add("POST", "*",
                             [](const Host::HostRequest&) { return Host::HostReply::Status(204); });
        host_.SetObserver([this](const BoundaryRecord& record) { Observe(record); });
        peers_["/mox-login/v1/session"] = Parse(kResources[0].payloads[0]);
        peers_["/mox-login/v1/login-data-packet"] = Parse(kResources[1].payloads[0]);
        peers_["/mox-game-data/assets/v1/champion-summary.json"] =
            Parse(R"([{"id": 1, "alias": "Aurel"}, {"id": 22, "alias": "Brisa"}])");
    }

    SequenceOutcome Play() {
        if (host_.Load(pluginPath_).Failed() || !host_.Initialize()) return {"the plugin did not start", 0};
        host_.RunUntilIdle();
        Check();
        while (violation_.empty() && !bytes_.Empty() && !shutDown_) {
            Step();
            Check();
        }
        if (violation_.empty() && !shutDown_) {
            ShutDown();
            Check();
        }
        return {violation_, steps_};
    }

private:
    static Host::HostOptions Options() {
        Host::HostOptions options;
        options.keepTranscript = false;
        return options;
    }

    static BindingProperty Parse(std::string_view text) {
        Binding::BindingResult read = Encodings::ReadJson(text);
        return read.Succeeded() ? std::move(read.Value()) : BindingProperty();
    }

    // A payload of the table, or one with a few bytes overwritten; what no longer parses is sent as
    // a string, a value of the wrong type.
    BindingProperty Payload(std::string_view text) {
        const std::uint8_t edits = bytes_.Next();
        if (edits < 192) return Parse(text);
        std::string mutated(text);
        for (int i = 0; i < 1 + edits % 3; ++i) {
            const std::size_t at = (bytes_.Next() * 256u + bytes_.Next()) % mutated.size();
            mutated[at] = static_cast<char>(bytes_.Next());
        }
        Binding::BindingResult read = Encodings::ReadJson(mutated);
        if (read.Succeeded()) return std::move(read.Value());
        BindingProperty wrong;
        wrong.SetString(mutated);
        return wrong;
    }

    void Fail(std::string text) {
        if (violation_.empty()) violation_ = "step " + std::to_string(steps_) + ": " + std::move(text);
    }

    void Observe(const BoundaryRecord& record) {
        if (record.kind == BoundaryKind::kFault) lastFault_ = record.text;
        if (record.kind == BoundaryKind::kLog) {
            constexpr std::string_view kEntering = "Entering state '";
            const std::size_t at = record.text.find(kEntering);
            if (at != std::string::npos) {
                const std::size_t from = at + kEntering.size();
                state_ = record.text.substr(from, record.text.find('\'', from) - from);
            }
        }
        if (record.kind != BoundaryKind::kEvent || record.name != "OnJsonApiEvent") return;
        const std::string_view uri = record.payload.Field("uri").GetString();
        const std::string_view type = record.payload.Field("eventType").GetString();
        if (uri == kReported && !AscendingAndUnique(record.payload.Field("data")))
            Fail("published reported players out of order or repeated");
        if (uri != kStatsBlock) return;
        if (type == "Create") {
            if (published_) Fail("the statistics block was created twice");
            published_ = true;
        } else if (type == "Delete") {
            // Statistics held but never shown (the game client still ran) were readable, so their
            // removal is announced too.
            if (!published_ && !held_) Fail("Delete of statistics neither published nor held");
            published_ = false;
        } else if (!published_) {
            Fail(std::string(type) + " of the statistics block while it is not published");
        }
    }

    Host::CallResult Call(std::string_view method, std::string_view path, std::string_view body = {}) {
        Host::PluginCall call;
        call.method = std::string(method);
        call.path = std::string(path);
        if (!body.empty()) {
            call.body = std::string(body);
            call.contentType = "application/json";
        }
        return host_.Call(call);
    }

    void Check() {
        if (host_.FaultCount() != 0) Fail("host fault: " + lastFault_);
        if (shutDown_) {
            if (published_) Fail("statistics still published after shutdown");
            if (Host::PluginHost::UnreleasedResponses() != 0) Fail("responses left unreleased");
            return;
        }
        if (state_ != "BeforeEndOfGame" && state_ != "WaitingForStats" && state_ != "StatsReady")
            Fail("the machine rests in '" + state_ + "'");
        const Host::CallResult stats = Call("GET", kStatsBlock);
        const bool held = stats.error.empty() && stats.status < 300;
        held_ = held;
        if (published_ != (state_ == "StatsReady" && held)) {
            Fail(std::string("statistics ") + (published_ ? "published" : "not published") + " in " + state_ +
                 (held ? " while held" : " while none are held"));
        }
        const Host::CallResult reported = Call("GET", kReported);
        if (!AscendingAndUnique(reported.value)) Fail("reported players read out of order or repeated");
        if (!nested_ && Host::PluginHost::UnreleasedResponses() != 0) Fail("responses left unreleased");
    }

    void ShutDown() {
        host_.Shutdown();
        host_.RunUntilIdle();
        shutDown_ = true;
    }

    void Step() {
        ++steps_;
        switch (bytes_.Pick(16)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const Resource& resource = kResources[bytes_.Pick(std::size(kResources))];
                static constexpr std::string_view kTypes[] = {"Create", "Update", "Update", "Delete"};
                const std::string_view type = kTypes[bytes_.Pick(std::size(kTypes))];
                BindingProperty event;
                event.WriteField("uri").SetString(resource.address);
                event.WriteField("eventType").SetString(type);
                if (type == "Delete") {
                    peers_.erase(std::string(resource.address));
                    event.WriteField("data") = BindingProperty();
                } else {
                    BindingProperty data = Payload(resource.payloads[bytes_.Pick(resource.payloads.size())]);
                    peers_[std::string(resource.address)] = data;
                    event.WriteField("data") = std::move(data);
                }
                host_.Deliver(Framework::ResourceEventName(resource.address), std::move(event));
                break;
            }
            case 4:
            case 5:
            case 6: {
                const LcdsClass& lcds = kLcdsClasses[bytes_.Pick(std::size(kLcdsClasses))];
                BindingProperty event;
                event.WriteField("typeName").SetString(lcds.name);
                event.WriteField("body") = Payload(lcds.bodies[bytes_.Pick(lcds.bodies.size())]);
                host_.Deliver(Framework::LcdsEventName(lcds.name), std::move(event), 1);
                break;
            }
            case 7:
                login_.SendAsync("teambuilder-draft", "gameloopPlayerInfoV1",
                                 kRerollPayloads[bytes_.Pick(kRerollPayloads.size())]);
                break;
            case 8:
                Call("GET", kStatsBlock);
                break;
            case 9:
                Call(bytes_.Pick(2) == 0 ? "GET" : "POST", "/mox-end-of-game/v1/champion-mastery-updates");
                break;
            case 10:
            case 11:
                Call("POST", "/mox-end-of-game/v1/state/dismiss-stats");
                break;
            case 12:
            case 13:
                Report();
                break;
            case 14: {
                replyMode_ = bytes_.Pick(nested_ ? 2 : 3);
                login_.SetReply("report.reportPlayer", kReportReplies[replyMode_]);
                break;
            }
            default:
                // Rarely, so that sequences get long; otherwise time passes.
                if (!nested_ && bytes_.Pick(4) == 0) {
                    ShutDown();
                    return;
                }
                host_.Advance(1.0);
                break;
        }
        host_.RunUntilIdle();
    }

    // A complaint about one of a few players, or a body that is not one. With the reply withheld
    // the steps that follow run while the report waits, until the late reply arrives.
    void Report() {
        const std::uint8_t choice = bytes_.Next();
        const std::string body = choice >= 240 ? std::string("{\"gameId\": ")
                                               : R"({"gameId": 1234, "reportedSummonerId": )" +
                                                     std::to_string(choice % 6) +
                                                     R"(, "offenses": "SPAM", "comment": "x"})";
        if (replyMode_ == kWithheld && !nested_) {
            const std::size_t nestedSteps = bytes_.Pick(6);
            const std::size_t sent = login_.Requests().size();
            host_.Post([this, nestedSteps, sent] {
                nested_ = true;
                login_.SetReply("report.reportPlayer", {});
                for (std::size_t i = 0; i < nestedSteps && violation_.empty(); ++i) {
                    Step();
                    Check();
                }
                const auto& requests = login_.Requests();
                for (std::size_t i = sent; i < requests.size(); ++i) {
                    if (requests[i].service == "report" && !requests[i].uuid.empty()) {
                        host_.Deliver(
                            "OnServiceProxyUuidEvent",
                            Host::LoginPeer::ReplyPayload(requests[i].uuid, "report", "reportPlayer", {}));
                        break;
                    }
                }
                // The nested steps may have chosen another answer for what follows.
                login_.SetReply("report.reportPlayer", kReportReplies[replyMode_]);
                nested_ = false;
            });
        }
        Call("POST", kComplaints, body);
    }

    ByteSource& bytes_;
    Host::PluginHost host_;
    Host::LoginPeer login_;
    std::string pluginPath_;
    std::map<std::string, BindingProperty, std::less<>> peers_;
    std::string state_ = "None";
    std::string lastFault_;
    std::string violation_;
    bool published_ = false;
    bool held_ = false;  // the statistics' GET answered them at the last check
    bool shutDown_ = false;
    bool nested_ = false;
    std::size_t replyMode_ = 0;
    std::size_t steps_ = 0;
};

}  // namespace

SequenceOutcome PlayEventSequence(const std::string& pluginPath, const std::uint8_t* data, std::size_t size) {
    ByteSource bytes(data, size);
    SequenceOutcome outcome;
    {
        Sequence sequence(pluginPath, bytes);
        outcome = sequence.Play();
    }
    if (outcome.violation.empty() && Host::PluginHost::UnreleasedResponses() != 0)
        outcome.violation = "responses left unreleased once the host was gone";
    return outcome;
}

}  // namespace Zarn::Client::EndOfGame::Fuzzing
