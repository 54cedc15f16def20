// Cost of the road one match's statistics take through the plugin: the JSON text of a server message
// (the match of shared/bench-inputs/gen.py) is decoded, read into the LCDS record, reshaped into the
// published block, converted to the published value and written as JSON again. Each step is timed on
// its own, with its heap traffic (bytes and allocations per step), beside the whole chain, so the chain
// can be compared with the JSON decode of the same text alone.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "allocation_counting.h"
#include "binding/binding_registry.h"
#include "binding/native_conversion.h"
#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "end_of_game/api/api_registration.h"
#include "end_of_game/api/end_of_game_records.h"
#include "end_of_game/lcds/lcds_records.h"
#include "end_of_game/lcds/lcds_registration.h"
#include "end_of_game/lcds/lcds_stats_conversion.h"

namespace {

using Zarn::Bench::AllocationCounters;
using Zarn::Binding::BindingProperty;
using Zarn::Binding::BindingRegistry;
using Zarn::Binding::BindingResult;
namespace EndOfGame = Zarn::Client::EndOfGame;

struct Chain {
    Chain() {
        const EndOfGame::RegistrationContext context{registry, "MoxEndOfGame", {}, {}};
        EndOfGame::RegisterApiTypes(context);
        EndOfGame::RegisterLcdsTypes(context);
        std::ifstream file(std::string(MOX_BENCH_INPUT_DIR) + "/match.json", std::ios::binary);
        std::ostringstream contents;
        contents << file.rdbuf();
        text = contents.str();
        decoded = Zarn::Encodings::ReadJson(text).Value();
        BindingResult result;
        Zarn::Binding::Assign(registry, decoded, lcds, "<result>", result);
        ok = !text.empty() && result.Succeeded();
        EndOfGame::ConvertLcdsEndOfGameStats(stats, lcds);
        Zarn::Binding::Convert(registry, stats, published, result);
        ok = ok && result.Succeeded();
    }

    BindingRegistry registry;
    std::string text;
    BindingProperty decoded;
    EndOfGame::Lcds::EndOfGameStats lcds;
    EndOfGame::Api::EndOfGameStats stats;
    BindingProperty published;
    bool ok = false;
};

const Chain& Shared() {
    static const Chain chain;
    return chain;
}

// The whole road; false when a step failed.
bool RunChain(const Chain& chain, std::string& json) {
    BindingResult decoded = Zarn::Encodings::ReadJson(chain.text);
    if (decoded.Failed()) return false;
    EndOfGame::Lcds::EndOfGameStats lcds;
    BindingResult result;
    Zarn::Binding::Assign(chain.registry, decoded.Value(), lcds, "<result>", result);
    EndOfGame::Api::EndOfGameStats stats;
    EndOfGame::ConvertLcdsEndOfGameStats(stats, lcds);
    BindingProperty published;
    Zarn::Binding::Convert(chain.registry, stats, published, result);
    json = Zarn::Encodings::WriteJson(published);
    return result.Succeeded();
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Shared().text.size()));
}

void BM_Step1_JsonDecode(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        BindingResult decoded = Zarn::Encodings::ReadJson(chain.text);
        benchmark::DoNotOptimize(decoded);
    }
    counters.Report(state, "step");
    SetBytes(state);
}
BENCHMARK(BM_Step1_JsonDecode);

void BM_WholeChain(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        std::string json;
        if (!RunChain(chain, json)) return state.SkipWithError("a step failed");
        benchmark::DoNotOptimize(json);
    }
    counters.Report(state, "chain");
    SetBytes(state);
}
BENCHMARK(BM_WholeChain);

void BM_Step2_ValueToLcdsRecord(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        EndOfGame::Lcds::EndOfGameStats lcds;
        BindingResult result;
        Zarn::Binding::Assign(chain.registry, chain.decoded, lcds, "<result>", result);
        benchmark::DoNotOptimize(lcds);
    }
    counters.Report(state, "step");
}
BENCHMARK(BM_Step2_ValueToLcdsRecord);

void BM_Step3_Reshape(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        EndOfGame::Api::EndOfGameStats stats;
        EndOfGame::ConvertLcdsEndOfGameStats(stats, chain.lcds);
        benchmark::DoNotOptimize(stats);
    }
    counters.Report(state, "step");
}
BENCHMARK(BM_Step3_Reshape);

void BM_Step4_PublishedValue(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        BindingProperty published;
        BindingResult result;
        Zarn::Binding::Convert(chain.registry, chain.stats, published, result);
        benchmark::DoNotOptimize(published);
    }
    counters.Report(state, "step");
}
BENCHMARK(BM_Step4_PublishedValue);

void BM_Step5_JsonText(benchmark::State& state) {
    const Chain& chain = Shared();
    if (!chain.ok) return state.SkipWithError("inputs missing or not converted");
    AllocationCounters counters;
    for (auto _ : state) {
        std::string json = Zarn::Encodings::WriteJson(chain.published);
        benchmark::DoNotOptimize(json);
    }
    counters.Report(state, "step");
}
BENCHMARK(BM_Step5_JsonText);

}  // namespace

BENCHMARK_MAIN();
