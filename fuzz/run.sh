#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a fixed time (default 25 seconds each),
# seeded from the conformance suites beside the repository. New inputs that libFuzzer finds stay
# in build/fuzz/corpus/ for the next run. Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-25}"
suites="$(pwd)/../shared/conformance"

cmake --preset fuzz > build-fuzz.configure.log 2>&1 || { cat build-fuzz.configure.log; exit 1; }
rm -f build-fuzz.configure.log
cmake --build --preset fuzz

declare -A seeds=(
  [json_reader_fuzzer]="$suites/json/test_parsing"
  [json_round_trip_fuzzer]="$suites/json/test_parsing"
  [message_pack_decoder_fuzzer]="build/fuzz/fuzz/seeds/message_pack"
  [yaml_decoder_fuzzer]="$suites/yaml/data"
  [invoker_fuzzer]="build/fuzz/corpus/invoker_fuzzer"
  [host_records_fuzzer]="build/fuzz/corpus/host_records_fuzzer"
  [end_of_game_sequence_fuzzer]="build/fuzz/corpus/end_of_game_sequence_fuzzer"
)
for target in json_reader_fuzzer json_round_trip_fuzzer message_pack_decoder_fuzzer yaml_decoder_fuzzer \
    invoker_fuzzer host_records_fuzzer end_of_game_sequence_fuzzer; do
  corpus="build/fuzz/corpus/$target"
  log="build/fuzz/$target.log"
  mkdir -p "$corpus"
  echo "=== fuzz $target for ${seconds} s"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build/fuzz/$target-" "$corpus" "${seeds[$target]}" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target failed; the input is in build/fuzz/$target-*" >&2
    exit 1
  fi
  grep -E "^(#[0-9]+\s+DONE|Done [0-9]+ runs)" "$log" | tail -n 1 || true
done
