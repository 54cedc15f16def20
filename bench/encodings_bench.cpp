// The encodings against their peers, side by side in one process on the same generated inputs
// (one end-of-game statistics message, "match", and about 5 MB of them, "big"). Throughput is in
// bytes of input read (or of text written) per second. Before the benchmarks run, the memory kept
// by one decoded document is measured for the decoders and the peers' documents: it is printed,
// and each decoding benchmark carries its figure as the counters kept_bytes and kept_per_byte
// (bytes kept per byte of the JSON text), so that one run gives speed and memory side by side.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <rapidjson/document.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <yaml-cpp/yaml.h>
#include <yaml.h>
#include <msgpack.hpp>
#include <nlohmann/json.hpp>
#ifdef MOX_HAVE_SIMDJSON
#include <simdjson.h>
#endif

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "encodings/message_pack_decoder.h"
#include "encodings/yaml_decoder.h"

namespace {

using Zarn::Binding::BindingProperty;

constexpr unsigned kOurJsonFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag;

const std::string& Input(const std::string& name) {
    static std::map<std::string, std::string> inputs;
    auto found = inputs.find(name);
    if (found != inputs.end()) return found->second;
    std::ifstream in(std::string(MOX_BENCH_INPUT_DIR) + "/" + name, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "missing benchmark input %s in %s\n", name.c_str(), MOX_BENCH_INPUT_DIR);
        std::exit(1);
    }
    return inputs[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The memory kept by one decoded document, by document ("match", "big") and decoder, measured
// once before the benchmarks run.
struct KeptMemory {
    double bytes = 0;
    double perTextByte = 0;
};
std::map<std::string, KeptMemory>& KeptByDecoder() {
    static std::map<std::string, KeptMemory> kept;
    return kept;
}

// "match.json" and "JSON" give "match JSON".
std::string MemoryKey(const char* file, const char* decoder) {
    const std::string name(file);
    return name.substr(0, name.find('.')) + " " + decoder;
}

template <typename Run>
void Measure(benchmark::State& state, const std::string& text, Run run) {
    for (auto _ : state) run();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The same, with the kept memory of `decoder` on `file` beside the speed.
template <typename Run>
void MeasureKeeping(benchmark::State& state, const char* file, const char* decoder, const std::string& text,
                    Run run) {
    Measure(state, text, run);
    const auto found = KeptByDecoder().find(MemoryKey(file, decoder));
    if (found == KeptByDecoder().end()) return;
    state.counters["kept_bytes"] = found->second.bytes;
    state.counters["kept_per_byte"] = found->second.perTextByte;
}

void JsonReadOurs(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    MeasureKeeping(state, file, "JSON", text,
                   [&] { benchmark::DoNotOptimize(Zarn::Encodings::ReadJson(text)); });
}

template <unsigned Flags>
void RapidJsonDom(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    MeasureKeeping(state, file, "RapidJSON DOM", text, [&] {
        rapidjson::Document document;
        document.Parse<Flags>(text.data(), text.size());
        benchmark::DoNotOptimize(document);
    });
}

void JsonReadRapidJsonDom(benchmark::State& state, const char* file) {
    RapidJsonDom<rapidjson::kParseDefaultFlags>(state, file);
}

// The same engine with the flags the reader uses.
void JsonReadRapidJsonDomFullPrecision(benchmark::State& state, const char* file) {
    RapidJsonDom<kOurJsonFlags>(state, file);
}

void JsonReadRapidJsonTokenizer(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    Measure(state, text, [&] {
        rapidjson::BaseReaderHandler<> handler;
        rapidjson::Reader reader;
        rapidjson::StringStream stream(text.c_str());
        benchmark::DoNotOptimize(reader.Parse<kOurJsonFlags>(stream, handler));
    });
}

void JsonReadNlohmann(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    MeasureKeeping(state, file, "nlohmann-json", text,
                   [&] { benchmark::DoNotOptimize(nlohmann::json::parse(text)); });
}

#ifdef MOX_HAVE_SIMDJSON
void JsonReadSimdjson(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    simdjson::padded_string padded(text);
    simdjson::dom::parser parser;
    Measure(state, text, [&] { benchmark::DoNotOptimize(parser.parse(padded)); });
}
#endif

void JsonWriteOurs(benchmark::State& state, const char* file) {
    BindingProperty value = Zarn::Encodings::ReadJson(Input(file)).Value();
    std::size_t written = 0;
    for (auto _ : state) {
        std::string text = Zarn::Encodings::WriteJson(value);
        written += text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}

void JsonWriteRapidJson(benchmark::State& state, const char* file) {
    rapidjson::Document document;
    document.Parse<kOurJsonFlags>(Input(file).c_str());
    std::size_t written = 0;
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
        std::string text(buffer.GetString(), buffer.GetSize());
        written += text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}

void JsonWriteNlohmann(benchmark::State& state, const char* file) {
    nlohmann::json document = nlohmann::json::parse(Input(file));
    std::size_t written = 0;
    for (auto _ : state) {
        std::string text = document.dump();
        written += text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}

// The tree's own costs, apart from any encoding: a deep copy of a decoded document (the copy's
// release included), and the release of a decoded document on its own.
void CopyOurs(benchmark::State& state, const char* file) {
    const Zarn::Binding::BindingResult decoded = Zarn::Encodings::ReadJson(Input(file));
    for (auto _ : state) {
        BindingProperty copy(decoded.Value());
        benchmark::DoNotOptimize(copy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Input(file).size()));
}

void DestroyOurs(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    for (auto _ : state) {
        state.PauseTiming();
        auto decoded = std::make_unique<Zarn::Binding::BindingResult>(Zarn::Encodings::ReadJson(text));
        state.ResumeTiming();
        decoded.reset();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void YamlReadOurs(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    MeasureKeeping(state, file, "YAML", text,
                   [&] { benchmark::DoNotOptimize(Zarn::Encodings::DecodeYaml(text)); });
}

// libyaml's events with nothing done to them: the floor of any decoder built on it.
void YamlReadLibyamlEvents(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    Measure(state, text, [&] {
        yaml_parser_t parser;
        yaml_parser_initialize(&parser);
        yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
        yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                                     text.size());
        for (bool done = false; !done;) {
            yaml_event_t event;
            if (!yaml_parser_parse(&parser, &event)) break;
            done = event.type == YAML_STREAM_END_EVENT;
            yaml_event_delete(&event);
        }
        yaml_parser_delete(&parser);
    });
}

void YamlReadYamlCpp(benchmark::State& state, const char* file) {
    const std::string& text = Input(file);
    Measure(state, text, [&] { benchmark::DoNotOptimize(YAML::Load(text)); });
}

void MessagePackReadOurs(benchmark::State& state, const char* file) {
    const std::string& bytes = Input(file);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    MeasureKeeping(state, file, "MessagePack", bytes,
                   [&] { benchmark::DoNotOptimize(Zarn::Encodings::DecodeMessagePack(data, bytes.size())); });
}

void MessagePackReadMsgpackCxx(benchmark::State& state, const char* file) {
    const std::string& bytes = Input(file);
    Measure(state, bytes, [&] { benchmark::DoNotOptimize(msgpack::unpack(bytes.data(), bytes.size())); });
}

// One flat object of many keys in a given order: the cost of building a structure must not
// depend on the order its keys arrive in.
enum class KeyOrder { Ascending, Descending, Shuffled };

constexpr std::uint32_t kManyKeys = 160000;

std::vector<std::uint32_t> KeySequence(KeyOrder order) {
    std::vector<std::uint32_t> keys(kManyKeys);
    for (std::uint32_t i = 0; i < kManyKeys; ++i) keys[i] = i;
    if (order == KeyOrder::Descending) std::reverse(keys.begin(), keys.end());
    if (order == KeyOrder::Shuffled) std::shuffle(keys.begin(), keys.end(), std::mt19937(20240611));
    return keys;
}

// Fixed-width names, so their text order is their number order.
std::string KeyName(std::uint32_t key) {
    char name[16];
    std::snprintf(name, sizeof name, "key%06u", key);
    return name;
}

std::string ManyKeysJson(KeyOrder order) {
    std::string text = "{";
    for (std::uint32_t key : KeySequence(order)) {
        if (text.size() > 1) text += ',';
        text += '"' + KeyName(key) + "\":" + std::to_string(key);
    }
    return text + "}";
}

std::string ManyKeysMessagePack(KeyOrder order) {
    std::string bytes = {'\xDF', static_cast<char>(kManyKeys >> 24), static_cast<char>(kManyKeys >> 16),
                         static_cast<char>(kManyKeys >> 8), static_cast<char>(kManyKeys)};
    for (std::uint32_t key : KeySequence(order)) {
        std::string name = KeyName(key);
        bytes += static_cast<char>(0xA0 | name.size());  // fixstr: the names are 9 bytes
        bytes += name;
        bytes += {'\xCE', static_cast<char>(key >> 24), static_cast<char>(key >> 16),
                  static_cast<char>(key >> 8), static_cast<char>(key)};
    }
    return bytes;
}

void JsonReadManyKeys(benchmark::State& state, KeyOrder order) {
    const std::string text = ManyKeysJson(order);
    Measure(state, text, [&] { benchmark::DoNotOptimize(Zarn::Encodings::ReadJson(text)); });
}

void MessagePackReadManyKeys(benchmark::State& state, KeyOrder order) {
    const std::string bytes = ManyKeysMessagePack(order);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    Measure(state, bytes,
            [&] { benchmark::DoNotOptimize(Zarn::Encodings::DecodeMessagePack(data, bytes.size())); });
}

BENCHMARK_CAPTURE(JsonReadOurs, match, "match.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonDom, match, "match.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonDomFullPrecision, match, "match.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonTokenizer, match, "match.json");
BENCHMARK_CAPTURE(JsonReadNlohmann, match, "match.json");
#ifdef MOX_HAVE_SIMDJSON
BENCHMARK_CAPTURE(JsonReadSimdjson, match, "match.json");
#endif
BENCHMARK_CAPTURE(JsonReadOurs, big, "big.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonDom, big, "big.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonDomFullPrecision, big, "big.json");
BENCHMARK_CAPTURE(JsonReadRapidJsonTokenizer, big, "big.json");
BENCHMARK_CAPTURE(JsonReadNlohmann, big, "big.json");
#ifdef MOX_HAVE_SIMDJSON
BENCHMARK_CAPTURE(JsonReadSimdjson, big, "big.json");
#endif

BENCHMARK_CAPTURE(JsonWriteOurs, match, "match.json");
BENCHMARK_CAPTURE(JsonWriteRapidJson, match, "match.json");
BENCHMARK_CAPTURE(JsonWriteNlohmann, match, "match.json");
BENCHMARK_CAPTURE(JsonWriteOurs, big, "big.json");
BENCHMARK_CAPTURE(JsonWriteRapidJson, big, "big.json");
BENCHMARK_CAPTURE(JsonWriteNlohmann, big, "big.json");

BENCHMARK_CAPTURE(CopyOurs, match, "match.json");
BENCHMARK_CAPTURE(DestroyOurs, match, "match.json");
BENCHMARK_CAPTURE(CopyOurs, big, "big.json");
BENCHMARK_CAPTURE(DestroyOurs, big, "big.json");

BENCHMARK_CAPTURE(YamlReadOurs, match, "match.yaml");
BENCHMARK_CAPTURE(YamlReadLibyamlEvents, match, "match.yaml");
BENCHMARK_CAPTURE(YamlReadYamlCpp, match, "match.yaml");
BENCHMARK_CAPTURE(YamlReadOurs, big, "big.yaml");
BENCHMARK_CAPTURE(YamlReadLibyamlEvents, big, "big.yaml");
BENCHMARK_CAPTURE(YamlReadYamlCpp, big, "big.yaml");

BENCHMARK_CAPTURE(MessagePackReadOurs, match, "match.msgpack");
BENCHMARK_CAPTURE(MessagePackReadMsgpackCxx, match, "match.msgpack");
BENCHMARK_CAPTURE(MessagePackReadOurs, big, "big.msgpack");
BENCHMARK_CAPTURE(MessagePackReadMsgpackCxx, big, "big.msgpack");

BENCHMARK_CAPTURE(JsonReadManyKeys, ascending, KeyOrder::Ascending)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JsonReadManyKeys, descending, KeyOrder::Descending)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JsonReadManyKeys, shuffled, KeyOrder::Shuffled)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MessagePackReadManyKeys, ascending, KeyOrder::Ascending)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MessagePackReadManyKeys, descending, KeyOrder::Descending)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MessagePackReadManyKeys, shuffled, KeyOrder::Shuffled)->Unit(benchmark::kMillisecond);

// Heap bytes in use, from the allocator's own accounting (every allocation, whatever allocates).
std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Every document stays alive until all are measured: the value store keeps freed pages for
// reuse, which would make a later measurement look smaller. Each decoder decodes the text twice
// and the second document is measured: the first also pays for what a process sets up once
// (the tables of stores and names, the page supply), which a long-lived plugin does not pay per
// document.
template <typename Decode>
std::shared_ptr<void> PrintKept(const char* file, const char* decoder, const std::string& text,
                                Decode decode) {
    std::shared_ptr<void> first = decode();
    std::size_t before = HeapInUse();
    std::shared_ptr<void> second = decode();
    std::size_t after = HeapInUse();
    std::shared_ptr<void> kept = std::make_shared<std::pair<std::shared_ptr<void>, std::shared_ptr<void>>>(
        std::move(first), std::move(second));
    const double bytes = static_cast<double>(after - before);
    const double perTextByte = bytes / static_cast<double>(text.size());
    KeptByDecoder()[MemoryKey(file, decoder)] = {bytes, perTextByte};
    std::printf("  %-24s %10.1f KB  %5.2f x the JSON text\n", decoder, bytes / 1024.0, perTextByte);
    return kept;
}

void PrintMemory(const char* file) {
    const std::string& json = Input(std::string(file) + ".json");
    const std::string& yaml = Input(std::string(file) + ".yaml");
    const std::string& bytes = Input(std::string(file) + ".msgpack");
    std::printf("Memory kept by one decoded %s document (%zu bytes of JSON):\n", file, json.size());
    std::shared_ptr<void> kept[] = {
        PrintKept(
            file, "JSON", json,
            [&] { return std::make_shared<Zarn::Binding::BindingResult>(Zarn::Encodings::ReadJson(json)); }),
        PrintKept(file, "YAML", json,
                  [&] {
                      return std::make_shared<Zarn::Binding::BindingResult>(
                          Zarn::Encodings::DecodeYaml(yaml));
                  }),
        PrintKept(file, "MessagePack", json,
                  [&] {
                      return std::make_shared<Zarn::Encodings::MessagePackDecoding>(
                          Zarn::Encodings::DecodeMessagePack(
                              reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
                  }),
        PrintKept(file, "RapidJSON DOM", json,
                  [&] {
                      auto document = std::make_shared<rapidjson::Document>();
                      document->Parse<kOurJsonFlags>(json.c_str());
                      return document;
                  }),
        PrintKept(file, "nlohmann-json", json,
                  [&] { return std::make_shared<nlohmann::json>(nlohmann::json::parse(json)); }),
    };
    benchmark::DoNotOptimize(kept);
}

}  // namespace

int main(int argc, char** argv) {
    PrintMemory("match");
    PrintMemory("big");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
