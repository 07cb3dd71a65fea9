#!/usr/bin/env bash
# Whole-process start-up of the command line against /bin/true.
#   bench/startup.sh [BUILD_DIR] [RUNS]     (default build/, 200 runs)
# Builds the program and the timer in BUILD_DIR first; use a Release or
# RelWithDebInfo build, never the sanitizer one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j"$(nproc)" --target kalendrina startup_timer >/dev/null
"$build/bench/startup_timer" "$build/kalendrina" "${2:-200}"
