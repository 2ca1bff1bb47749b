#!/usr/bin/env bash
# Builds the page (the editor compiled to WebAssembly) into one folder of
# static files and serves it on localhost for trying, as a web host should:
# the build's compressed copies, each file's type (scripts/serve_page.py).
#   scripts/web.sh [--port N]   build into build/web/page, serve on port N (8000)
#   scripts/web.sh --build DIR  only build, into DIR (emptied first when it
#                               holds an older build of the page)
# The build bundles and minifies with esbuild from node_modules: installed
# here by `npm ci` from package-lock.json when it is missing, after which
# the build needs no network.
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
if [[ ! -x node_modules/.bin/esbuild ]]; then
  command -v npm >/dev/null || { echo "npm not found: run scripts/deps.sh --all" >&2; exit 1; }
  npm ci --no-audit --no-fund --silent
fi
cmake --preset web >/dev/null
cmake --build --preset web

page=build/web/page
if [[ -n "$out" ]]; then
  # The build's page folder holds the page's files and nothing else; so
  # does DIR afterwards, with no file an older build left there.
  if [[ -d $out && ! -e $out/sw.js && -n $(ls -A "$out") ]]; then
    echo "$out holds files but no page: not replacing it" >&2
    exit 1
  fi
  rm -rf "$out"
  mkdir -p "$out"
  # With their times: the server takes a compressed copy only when it is
  # not older than its original.
  cp -a "$page"/. "$out"/
  echo "Page built into $out"
  exit 0
fi
echo "Serving http://localhost:$port/ (Ctrl-C stops)"
exec /usr/bin/python3 scripts/serve_page.py --port "$port" "$page"
