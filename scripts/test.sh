#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build, then a build
# with AddressSanitizer and UndefinedBehaviorSanitizer. The presets (in
# CMakePresets.json) hold each build's options and the tests' environment:
# QT_QPA_PLATFORM=offscreen, and for the sanitizer build UBSAN_OPTIONS and
# ASAN_OPTIONS (leak checks off: Qt and fontconfig keep caches for the life
# of the process; leaks are not what the sanitizer build is for here).
# Each build's tests include install_check: the build installed into a
# staging folder and checked with the desktop's own tools.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

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
# Skipped, saying so, where emscripten or Chromium is not installed
# (scripts/deps.sh --all installs them).
echo "== Page (WebAssembly) in headless Chromium =="
scripts/deps.sh --all >/dev/null || echo "the page's tools could not be installed"
if command -v emcc >/dev/null; then
  scripts/web.sh --build build/web/site
  /usr/bin/python3 tests/web/page_test.py --page build/web/site --cli build/release/cli/palorin-cli
  # The same seeded session through play, the windows and the page.
  /usr/bin/python3 tests/agree/agree_test.py --cli build/release/cli/palorin-cli \
    --qt build/release/tests/ui/ui_agree_driver --page build/web/site
else
  echo "page tests skipped: emcc missing (scripts/deps.sh --all)"
fi
