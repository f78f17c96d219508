#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the engine,
# GUI and command tests, then the engine and command tests (tests/cli) again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DARBOLIX_GUI=ON -DARBOLIX_BENCH=ON
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARBOLIX_GUI=OFF -DARBOLIX_BENCH=OFF \
  -DARBOLIX_SANITIZE=ON
cmake --build build-sanitize -j"$jobs" --target arbolix_tests arbolix-cli
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")
