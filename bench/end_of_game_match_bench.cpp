// Whole matches through the end-of-game plugin library, in-process through the host library, as
// a long-running client session meets them: login, the game client starting, the game ending, the
// server's statistics (the ten-player match of shared/bench-inputs/gen.py), the client stopping,
// the block read by the end-of-game screen and dismissed. No transcript is kept; an observer counts
// the boundary records of one match by kind (without event payloads), and the plugin's own
// counters give its bytes and allocations per match.
//
// MOX_MATCH_BENCH_BASELINE=PATH adds WholeMatch/baseline, the same match through another build of
// the plugin library, so an older build and this one are measured side by side in one run.
//
// MatchMemoryLine plays 10,000 matches in one process and reports the plugin's bytes in use after
// each dismiss (first, last, min, max): a flat line means nothing of a match stays behind.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "binding/binding_property.h"
#include "encodings/json_reader.h"
#include "framework/host_event_name.h"
#include "host/login_peer.h"
#include "host/plugin_host.h"

namespace {

using Zarn::Binding::BindingProperty;
using Zarn::Host::BoundaryKind;
using Zarn::Host::BoundaryRecord;
namespace Host = Zarn::Host;

constexpr const char* kLoginSession = "/mox-login/v1/session";
constexpr const char* kLoginData = "/mox-login/v1/login-data-packet";
constexpr const char* kGameflowSession = "/mox-gameflow/v1/session";
constexpr const char* kStatsClass = "com.zarngames.platform.statistics.EndOfGameStats";
constexpr const char* kGameClass = "com.zarngames.platform.game.GameDTO";
constexpr std::size_t kKinds = static_cast<std::size_t>(BoundaryKind::kShutdown) + 1;

BindingProperty Json(std::string_view text) { return std::move(Zarn::Encodings::ReadJson(text).Value()); }

BindingProperty ResourceEvent(std::string_view uri, std::string_view type, const BindingProperty& data) {
    BindingProperty event;
    event.WriteField("uri").SetString(uri);
    event.WriteField("eventType").SetString(type);
    event.WriteField("data") = data;
    return event;
}

class MatchSession {
public:
    explicit MatchSession(const char* plugin) : host_(Options()), login_(host_) {
        std::ifstream file(std::string(MOX_BENCH_INPUT_DIR) + "/match.json", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        stats_.WriteField("typeName").SetString(kStatsClass);
        stats_.WriteField("body") = Json(text.str());
        // The local player is the first of the first team, so the statistics are this client's.
        const std::uint64_t summonerId =
            stats_.Field("body").Field("teamPlayerParticipantStats").Element(0).Field("userId").AsUnsigned();
        loginSession_ = Json(R"({"state": "SUCCEEDED", "accountId": 4200})");
        loginSession_.WriteField("summonerId").SetUnsigned(summonerId);
        peers_[kLoginData] = Json(R"({"platformId": "PLAT1", "allSummonerData": {"summonerLevelAndPoints":
            {"summonerLevel": 30, "expPoints": 100, "expToNextLevel": 2000}}})");
        peers_["/mox-game-data/assets/v1/champion-summary.json"] = Json(
            R"([{"id": 1, "alias": "Aurel"}, {"id": 2, "alias": "Brisa"}, {"id": 3, "alias": "Corvo"},
                {"id": 4, "alias": "Dusk"}, {"id": 5, "alias": "Ember"}, {"id": 6, "alias": "Fennec"},
                {"id": 7, "alias": "Galen"}, {"id": 8, "alias": "Hollow"}, {"id": 9, "alias": "Iris"},
                {"id": 10, "alias": "Juno"}])");
        const BindingProperty running = Json(R"({"phase": "InProgress", "gameClient": {"running": true},
            "gameData": {"gameId": 1}})");
        const BindingProperty stopped = Json(R"({"phase": "EndOfGame", "gameClient": {"running": false},
            "gameData": {"gameId": 1}})");
        runningEvent_ = ResourceEvent(kGameflowSession, "Update", running);
        stoppedEvent_ = ResourceEvent(kGameflowSession, "Update", stopped);
        loginEvent_ = ResourceEvent(kLoginSession, "Update", loginSession_);
        loginDataEvent_ = ResourceEvent(kLoginData, "Update", peers_[kLoginData]);
        terminated_.WriteField("typeName").SetString(kGameClass);
        terminated_.WriteField("body") = Json(R"({"id": 1, "gameState": "TERMINATED"})");

        host_.Requests().Add("GET", "*", [this](const Host::HostRequest& request) {
            const auto peer = peers_.find(request.path);
            if (peer == peers_.end()) return Host::HostReply::Status(404, "Resource not found");
            return Host::HostReply::Value(peer->second);
        });
        host_.Requests().Add("POST", "*",
                             [](const Host::HostRequest&) { return Host::HostReply::Status(204); });
        host_.SetObserver(
            [this](const BoundaryRecord& record) { ++counts_[static_cast<std::size_t>(record.kind)]; });
        ok_ = host_.Load(plugin).Succeeded() && host_.Initialize();
        host_.RunUntilIdle();
        read_.method = "GET";
        read_.path = "/mox-end-of-game/v1/eog-stats-block";
        dismiss_.method = "POST";
        dismiss_.path = "/mox-end-of-game/v1/state/dismiss-stats";
    }

    bool Ok() const { return ok_ && host_.FaultCount() == 0; }

    // Login to dismiss; false when the block was not served or not dismissed.
    bool Play() {
        Deliver(Zarn::Framework::ResourceEventName(kLoginSession), loginEvent_);
        Deliver(Zarn::Framework::ResourceEventName(kLoginData), loginDataEvent_);
        Deliver(Zarn::Framework::ResourceEventName(kGameflowSession), runningEvent_);
        Deliver(Zarn::Framework::LcdsEventName(kGameClass), terminated_, 1);
        Deliver(Zarn::Framework::LcdsEventName(kStatsClass), stats_, 1);
        Deliver(Zarn::Framework::ResourceEventName(kGameflowSession), stoppedEvent_);
        const Host::CallResult read = host_.Call(read_);
        const Host::CallResult dismissed = host_.Call(dismiss_);
        host_.RunUntilIdle();
        return read.error.empty() && read.status < 300 && dismissed.error.empty();
    }

    MemoryStats Memory() { return host_.QueryMemoryStats(); }
    std::array<std::uint64_t, kKinds>& Counts() { return counts_; }

private:
    static Host::HostOptions Options() {
        Host::HostOptions options;
        options.keepTranscript = false;
        options.recordEventPayloads = false;
        return options;
    }

    void Deliver(std::string name, const BindingProperty& payload, std::uint32_t flag = 0) {
        host_.Deliver(std::move(name), payload, flag);
        host_.RunUntilIdle();
    }

    Host::PluginHost host_;
    Host::LoginPeer login_;
    std::map<std::string, BindingProperty, std::less<>> peers_;
    BindingProperty loginSession_, loginEvent_, loginDataEvent_, runningEvent_, stoppedEvent_, terminated_,
        stats_;
    Host::PluginCall read_, dismiss_;
    std::array<std::uint64_t, kKinds> counts_{};
    bool ok_ = false;
};

std::uint64_t InUse(const MemoryStats& stats) { return stats.bytesAllocated - stats.bytesFreed; }

void WholeMatch(benchmark::State& state, const char* plugin) {
    MatchSession session(plugin);
    if (!session.Ok() || !session.Play()) return state.SkipWithError("the match did not run through");
    session.Counts().fill(0);
    const MemoryStats before = session.Memory();
    std::int64_t matches = 0;
    for (auto _ : state) {
        if (!session.Play()) return state.SkipWithError("a match did not run through");
        ++matches;
    }
    const MemoryStats after = session.Memory();
    const double n = static_cast<double>(matches);
    state.counters["plugin_bytes_per_match"] =
        static_cast<double>(after.bytesAllocated - before.bytesAllocated) / n;
    state.counters["plugin_allocs_per_match"] =
        static_cast<double>(after.allocations - before.allocations) / n;
    state.counters["plugin_peak_bytes"] = static_cast<double>(after.peakBytes);
    state.counters["plugin_peak_above_rest"] = static_cast<double>(after.peakBytes - InUse(after));
    std::uint64_t calls = 0;
    for (std::size_t kind = 0; kind < kKinds; ++kind) {
        const std::uint64_t count = session.Counts()[kind];
        calls += count;
        if (count == 0) continue;
        const std::string name(Host::BoundaryKindName(static_cast<BoundaryKind>(kind)));
        state.counters["records_" + name] = static_cast<double>(count) / n;
    }
    state.counters["records_per_match"] = static_cast<double>(calls) / n;
    if (session.Memory().bytesAllocated == 0) state.SkipWithError("the plugin counts no allocations");
}

void MatchMemoryLine(benchmark::State& state) {
    constexpr int kMatches = 10000;
    for (auto _ : state) {
        MatchSession session(MOX_END_OF_GAME_PLUGIN);
        if (!session.Ok()) return state.SkipWithError("the plugin did not start");
        std::uint64_t first = 0, last = 0, low = UINT64_MAX, high = 0;
        for (int match = 0; match < kMatches; ++match) {
            if (!session.Play()) return state.SkipWithError("a match did not run through");
            last = InUse(session.Memory());
            if (match == 0) first = last;
            low = std::min(low, last);
            high = std::max(high, last);
        }
        state.counters["matches"] = kMatches;
        state.counters["in_use_first"] = static_cast<double>(first);
        state.counters["in_use_last"] = static_cast<double>(last);
        state.counters["in_use_min"] = static_cast<double>(low);
        state.counters["in_use_max"] = static_cast<double>(high);
        if (!session.Ok()) state.SkipWithError("the host recorded a fault");
    }
}
BENCHMARK(MatchMemoryLine)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("WholeMatch", WholeMatch, MOX_END_OF_GAME_PLUGIN)
        ->Unit(benchmark::kMicrosecond);
    if (const char* baseline = std::getenv("MOX_MATCH_BENCH_BASELINE"); baseline && *baseline)
        benchmark::RegisterBenchmark("WholeMatch/baseline", WholeMatch, baseline)
            ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
