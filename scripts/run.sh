#!/usr/bin/env bash
# Builds the editor and starts it. It uses the test script's release build
# (the "release" preset), so running and testing share one build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target palorin
exec build/release/app/palorin "$@"
