#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs every test: the plain
# build, the web page in each browser engine, the Windows release under Wine
# (where Wine installs), the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the audio layer under
# ThreadSanitizer and a short fuzzing run of every reader of outside input.
# Everything that needs a display gets a virtual one of its own.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
# Each stage says when it starts, in seconds since the script did.
stage() { echo "== $1 (at ${SECONDS} s)"; }

# The page's tools too: its tests run here, and the audio layer's browser
# test is part of the first suite.
./scripts/install-deps --web

stage "build and test"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANDRIX_TESTS=ON -DKELVANDRIX_BENCH=ON >/dev/null
cmake --build build/test -j"$jobs"
./scripts/with-display ctest --test-dir build/test --output-on-failure -j"$jobs"

stage "the web page in Chromium, Firefox and WebKit"
./scripts/build-web --native build/test
# The production the build made with scripts/new-production, as a page too.
fresh=build/test/tests/scripts/fresh_production
./scripts/build-web --native build/test "$fresh"
for engine in chromium firefox webkit; do
  echo "-- $engine"
  BROWSER_ENGINES=$engine KELVANDRIX_PAGE=build/web KELVANDRIX_RUN=build/test/run \
    KELVANDRIX_SMALL_DATA=build/test/tests/web/kelvandrix-small-data \
    FRESH_PAGE=build/web-fresh_production FRESH_RUN=build/test/run-fresh_production \
    ./scripts/with-display node --test --test-concurrency=1 tests/web/
done

# Where its tools install (MinGW-w64 and Wine are Debian's): the Windows
# release built from this build's data and run under Wine in a prefix of its
# own, and the Windows seams' tests there too.
if ./scripts/install-deps --windows; then
  stage "the Windows release under Wine"
  ./scripts/build-windows --native build/test
  cmake -S . -B build/windows -DKELVANDRIX_TESTS=ON >/dev/null
  cmake --build build/windows -j"$jobs" --target windows_platform_test
  wine_prefix=$(mktemp -d)/wine
  ./scripts/wine-prefix "$wine_prefix"
  WINEPREFIX=$wine_prefix HOME=$wine_prefix/home WINEDEBUG=-all \
    ctest --test-dir build/windows --output-on-failure -j"$jobs"
  WINEPREFIX=$wine_prefix wineserver -k || true
  rm -rf "$(dirname "$wine_prefix")"
  ./scripts/with-display build/test/tests/scripts/buildWindowsTest
else
  echo "== the Windows release under Wine: skipped, scripts/install-deps --windows cannot install its tools here"
fi

stage "address and undefined-behaviour sanitizers"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKELVANDRIX_TESTS=ON \
  -DKELVANDRIX_SANITIZE=address,undefined >/dev/null
cmake --build build/asan -j"$jobs"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks are checked in the project's own code. The GL driver keeps
# allocations until exit from a module it has unloaded by then, which no
# suppression can name, so tests that open a GL context run without the
# leak check.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
  ctest --test-dir build/asan --output-on-failure -j"$jobs" -LE 'gl|e2e|web'
ASAN_OPTIONS=detect_leaks=0 ./scripts/with-display ctest --test-dir build/asan --output-on-failure -j"$jobs" -L 'gl|e2e'
unset UBSAN_OPTIONS

if [ -x scripts/tsan-audio ]; then
  stage "audio layer under the thread sanitizer"
  ./scripts/tsan-audio
fi

if command -v clang++ >/dev/null; then
  stage "fuzzing the readers of outside input"
  ./scripts/fuzz --all 30
fi

stage "done"
