#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer. The presets (in
# CMakePresets.json) hold each build's options and the tests' environment:
# QT_QPA_PLATFORM=offscreen, and for the sanitizer build UBSAN_OPTIONS and
# ASAN_OPTIONS (leak checks off: Qt and fontconfig keep caches for the life
# of the process; leaks are not what the sanitizer build is for here).
# Each build's tests include install_check: the build installed into a
# staging folder and checked with the desktop's own tools.
#
# Under CI (CI=true) every tool the suite needs is installed first
# (scripts/deps.sh --all) and none may be missing: the page's tests and the
# fuzz targets run too. The random tests use their fixed seed unless
# PALORIN_RANDOM_SEED asks for another ("new": a fresh one).
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${CI:-} == true ]]; then
  scripts/deps.sh --all
else
  scripts/deps.sh
fi
echo "random tests' seed: ${PALORIN_RANDOM_SEED:-the fixed one}"

jobs=$(nproc)

echo "== Release build =="
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

echo "== Sanitizer build (ASan + UBSan) =="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# The page in headless Chromium, against palorin-cli from the release build.
# A missing tool fails the run; by hand PALORIN_SKIP_PAGE=1 skips the page,
# loudly, and under CI nothing can be skipped (scripts/lib/untested.sh).
echo "== Page (WebAssembly) in headless Chromium =="
if [[ ${CI:-} != true && ${PALORIN_SKIP_PAGE:-} != 1 ]]; then
  scripts/deps.sh --all >/dev/null || echo "the page's tools could not be installed"
fi
scripts/page_test.sh build/release/cli/palorin-cli build/release/tests/ui/ui_agree_driver

# The fuzz targets, each for 30 seconds on its corpus: always under CI, by
# hand with PALORIN_FUZZ=1 (scripts/fuzz.sh SECONDS runs them for longer).
if [[ ${CI:-} == true || ${PALORIN_FUZZ:-} == 1 ]]; then
  echo "== Fuzz targets (clang-14, ASan + UBSan) =="
  scripts/fuzz.sh 30
fi
