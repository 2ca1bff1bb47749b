#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt and fontconfig keep caches for the life of the process; leaks are not
# what the sanitizer build is for here.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
jobs=$(nproc)

echo "== Release build =="
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Sanitizer build (ASan + UBSan) =="
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPALORIN_SANITIZE=ON \
  -DPALORIN_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs"
