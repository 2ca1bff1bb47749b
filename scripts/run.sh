#!/usr/bin/env bash
# Builds the editor and starts it, passing on its arguments (files to open,
# --help, --version). It installs and builds only what the editor needs: the
# "editor" preset (build/editor), without GoogleTest or Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --editor
cmake --preset editor >/dev/null
cmake --build --preset editor --target palorin
exec build/editor/app/palorin "$@"
