#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs every test: the plain
# build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the audio layer under ThreadSanitizer and a short fuzzing run of the track
# reader. Everything that needs a display gets a virtual one of its own.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)

./scripts/install-deps

echo "== build and test"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANDRIX_TESTS=ON -DKELVANDRIX_BENCH=ON >/dev/null
cmake --build build/test -j"$jobs"
./scripts/with-display ctest --test-dir build/test --output-on-failure -j"$jobs"

echo "== address and undefined-behaviour sanitizers"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKELVANDRIX_TESTS=ON \
  -DKELVANDRIX_SANITIZE=address,undefined >/dev/null
cmake --build build/asan -j"$jobs"
# Leaks are checked in the project's own code; the GL driver, X and SDL keep
# caches until exit that are not ours to free.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
./scripts/with-display ctest --test-dir build/asan --output-on-failure -j"$jobs"
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

if [ -x scripts/tsan-audio ]; then
  echo "== audio layer under the thread sanitizer"
  ./scripts/tsan-audio
fi

if [ -x scripts/fuzz-sync ] && command -v clang++ >/dev/null; then
  echo "== fuzzing the track reader"
  ./scripts/fuzz-sync 30
fi
