#!/usr/bin/env bash
# Builds the page (the editor compiled to WebAssembly) into one folder of
# static files and serves it on localhost for trying.
#   scripts/web.sh [--port N]   build into build/web/page, serve on port N (8000)
#   scripts/web.sh --build DIR  only build, into DIR
set -euo pipefail
cd "$(dirname "$0")/.."

port=8000
out=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --port) port="${2:?--port needs a number}"; shift 2 ;;
    --build) out="${2:?--build needs a folder}"; shift 2 ;;
    *) echo "usage: scripts/web.sh [--port N] | --build DIR" >&2; exit 2 ;;
  esac
done

# emcc's JavaScript optimizer needs Debian's acorn when node is not Debian's.
export NODE_PATH=/usr/share/nodejs
if ! command -v emcc >/dev/null; then
  echo "emcc not found: run scripts/deps.sh --all" >&2
  exit 1
fi
cmake --preset web >/dev/null
cmake --build --preset web

page=build/web/page
if [[ -n "$out" ]]; then
  mkdir -p "$out"
  cp "$page"/index.html "$page"/page.js "$page"/palorin.css "$page"/panels.css "$page"/palorin.js \
    "$page"/palorin.wasm "$out"/
  echo "Page built into $out"
  exit 0
fi
echo "Serving http://localhost:$port/ (Ctrl-C stops)"
exec python3 -m http.server --bind 127.0.0.1 --directory "$page" "$port"
