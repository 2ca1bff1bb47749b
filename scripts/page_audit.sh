#!/usr/bin/env bash
# Audits the page as a visitor meets it: builds it, serves it on localhost
# as scripts/web.sh does (scripts/serve_page.py), and runs Lighthouse (pinned
# in package-lock.json) in Debian's Chromium, as a phone and as a desktop.
# Prints the four scores of each, the audits below full marks and the
# JavaScript left unused; then scripts/page_measure.py's figures: the
# requests of a first visit (the service worker's own included), the bytes
# of a cold load, the DOM's size and the start-to-ready medians. These are
# measurements, not tests; on a loaded machine the performance scores vary.
#   scripts/page_audit.sh [--times N] [SITE]
#     --times N  Lighthouse N times for each form (1)
#     SITE       an already built page folder (else built into build/web/site)
set -euo pipefail
cd "$(dirname "$0")/.."

times=1
site=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --times) times="${2:?--times needs a number}"; shift 2 ;;
    -*) echo "usage: scripts/page_audit.sh [--times N] [SITE]" >&2; exit 2 ;;
    *) site=$1; shift ;;
  esac
done
if [[ -z $site ]]; then
  site=build/web/site
  scripts/web.sh --build "$site" >/dev/null
fi
[[ -d node_modules/lighthouse ]] || npm ci --no-audit --no-fund >/dev/null

out=$(mktemp -d)
server=""
trap '[[ -n $server ]] && kill "$server" 2>/dev/null; rm -rf "$out"' EXIT
/usr/bin/python3 scripts/serve_page.py "$site" >"$out/port" 2>/dev/null &
server=$!
for _ in $(seq 50); do
  [[ -s $out/port ]] && break
  sleep 0.1
done
port=$(head -1 "$out/port")

flags="--headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run"
flags+=" --disable-background-networking --disable-component-update --disable-sync"
for form in mobile desktop; do
  preset=()
  [[ $form == desktop ]] && preset=(--preset=desktop)
  for run in $(seq "$times"); do
    rm -rf "$out/profile"
    CHROME_PATH=/usr/bin/chromium node_modules/.bin/lighthouse "http://127.0.0.1:$port/" \
      "${preset[@]}" --quiet --output=json --output-path="$out/$form.json" \
      --chrome-flags="$flags --user-data-dir=$out/profile" \
      --only-categories=performance,accessibility,best-practices,seo
    /usr/bin/python3 - "$out/$form.json" "$form" "$run" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
audits = report["audits"]
scores = {k: report["categories"][k]["score"] for k in
          ("performance", "accessibility", "best-practices", "seo")}
requests = audits["network-requests"]["details"]["items"]
bytes_ = sum(r.get("transferSize", 0) for r in requests)
metrics = {k: audits[k]["displayValue"] for k in
           ("first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
            "speed-index", "cumulative-layout-shift")}
failed = [a for a, v in audits.items()
          if v.get("score") is not None and v["score"] < 1 and v.get("scoreDisplayMode") in ("binary", "numeric", "metricSavings")]
print(f"{sys.argv[2]} #{sys.argv[3]}: " + " ".join(f"{k}={v}" for k, v in scores.items()))
print(f"  Lighthouse saw {len(requests)} requests, {bytes_} bytes transferred; " +
      ", ".join(f"{k} {v}" for k, v in metrics.items()))
print("  audits below 1: " + (", ".join(sorted(failed)) or "none"))
unused = (audits.get("unused-javascript", {}).get("details") or {}).get("items", [])
print("  unused JavaScript: " + (", ".join(
    f"{i['url'].rsplit('/', 1)[-1]} {i['wastedBytes']} of {i['totalBytes']} bytes"
    for i in unused) or "none reported"))
# The main thread's long tasks as Lighthouse simulates them (its mobile run
# on a processor four times slower): where the blocking time comes from.
tasks = (audits.get("long-tasks", {}).get("details") or {}).get("items", [])
print("  long tasks (start+ms): " + (" ".join(
    f"{t['url'].rsplit('/', 1)[-1] or 'page'}@{t['startTime']:.0f}+{t['duration']:.0f}"
    for t in tasks) or "none"))
dom = audits.get("dom-size", {}).get("numericValue")
print(f"  DOM size (Lighthouse): {dom:.0f} elements" if dom is not None else "  DOM size: -")
PY
  done
done
/usr/bin/python3 scripts/page_measure.py "$site"
