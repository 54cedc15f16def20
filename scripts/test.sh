#!/usr/bin/env bash
# The whole suite: installs what is missing, checks formatting, then builds every preset
# and runs its tests. Usage: scripts/test.sh [PRESET...]  (default: default m32 asan)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then scripts/setup.sh; else sudo scripts/setup.sh; fi
scripts/check-format.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default m32 asan)
# Without arguments the suite ends with a short fuzzing run; "fuzz" asks for it explicitly.
[ $# -eq 0 ] && presets+=(fuzz)

for preset in "${presets[@]}"; do
  start=$SECONDS
  if [ "$preset" = fuzz ]; then
    echo "=== fuzz: build, then run each target for ${MOX_FUZZ_SECONDS:-25} s"
    fuzz/run.sh "${MOX_FUZZ_SECONDS:-25}"
    echo "=== fuzz: done in $((SECONDS - start)) s"
    continue
  fi
  echo "=== preset $preset: configure and build"
  cmake --preset "$preset" > "build-$preset.configure.log" 2>&1 || { cat "build-$preset.configure.log"; exit 1; }
  # How the tests of a cross build run: natively or under qemu-i386 (cmake/TestEmulator.cmake).
  grep -h '^-- mox: ' "build-$preset.configure.log" | sed 's/^-- mox: /=== preset '"$preset"': /' || true
  rm -f "build-$preset.configure.log"
  cmake --build --preset "$preset"
  echo "=== preset $preset: tests"
  ctest --preset "$preset"
  echo "=== preset $preset: done in $((SECONDS - start)) s"
done

# Editors and clang-tidy find the compile commands at the top of the tree.
[ -f build/default/compile_commands.json ] && ln -sf build/default/compile_commands.json compile_commands.json
echo "=== all presets passed: ${presets[*]}"
