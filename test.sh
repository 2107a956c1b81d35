#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANDRIX_TESTS=ON -DKELVANDRIX_BENCH=ON >/dev/null
cmake --build build/test -j"$(nproc)"
./scripts/with-display ctest --test-dir build/test --output-on-failure -j"$(nproc)"
