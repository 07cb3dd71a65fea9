#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             RelWithDebInfo build in build/
#   scripts/test.sh --release   Release build (-O3) in build-release/, without the benchmarks
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   --werror                    with any of the above: compiler warnings fail the build (CI)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
werror=OFF
for arg in "$@"; do
  case "$arg" in
    --release)
      build=build-release
      flags=(-DCMAKE_BUILD_TYPE=Release -DKALENDRINA_BENCH=OFF)
      ;;
    --sanitize)
      build=build-asan
      flags=(-DCMAKE_BUILD_TYPE=Debug -DKALENDRINA_SANITIZE=ON)
      export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
      export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
      ;;
    --werror) werror=ON ;;
    *)
      echo "usage: scripts/test.sh [--release | --sanitize] [--werror]" >&2
      exit 1
      ;;
  esac
done

cmake -S . -B "$build" "${flags[@]}" -DKALENDRINA_WERROR="$werror" >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
