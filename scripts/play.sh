#!/usr/bin/env bash
# Plays a scenario through the plugin with mox-host: installs what is missing, builds the host and
# the plugin in the default preset, then runs the scenario (the built-in ranked victory without one).
# Usage: scripts/play.sh [SCENARIO] [mox-host run options...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ "$(id -u)" -eq 0 ]; then scripts/setup.sh; else sudo scripts/setup.sh; fi
[ -f build/default/build.ninja ] || cmake --preset default > /dev/null
cmake --build --preset default --target mox_host > /dev/null
# A scenario named relative to where the caller stood.
args=()
for arg in "$@"; do
  if [ -f "$OLDPWD/$arg" ]; then args+=("$OLDPWD/$arg"); else args+=("$arg"); fi
done
exec "$root/build/default/tools/mox_host/mox-host" run "${args[@]}"
