#!/usr/bin/env bash
# Audits the page as a visitor meets it: builds it, serves it on localhost
# as scripts/web.sh does, and runs Lighthouse (pinned in package-lock.json)
# in Debian's Chromium, once as a phone and once as a desktop. Prints the
# four scores of each and how many requests (and bytes) a first visit makes.
#   scripts/page_audit.sh [SITE]   SITE: an already built page folder
set -euo pipefail
cd "$(dirname "$0")/.."

site=${1:-}
if [[ -z $site ]]; then
  site=build/web/site
  scripts/web.sh --build "$site" >/dev/null
fi
[[ -d node_modules/lighthouse ]] || npm ci --no-audit --no-fund >/dev/null

out=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; rm -rf "$out"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port" >/dev/null 2>&1 &
server=$!
for _ in $(seq 50); do
  curl -sf "http://127.0.0.1:$port/" >/dev/null && break
  sleep 0.1
done

flags="--headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run"
flags+=" --disable-background-networking --disable-component-update --disable-sync"
for form in mobile desktop; do
  preset=()
  [[ $form == desktop ]] && preset=(--preset=desktop)
  CHROME_PATH=/usr/bin/chromium node_modules/.bin/lighthouse "http://127.0.0.1:$port/" \
    "${preset[@]}" --quiet --output=json --output-path="$out/$form.json" \
    --chrome-flags="$flags --user-data-dir=$out/profile-$form" \
    --only-categories=performance,accessibility,best-practices,seo
  python3 - "$out/$form.json" "$form" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
scores = {k: report["categories"][k]["score"] for k in
          ("performance", "accessibility", "best-practices", "seo")}
requests = report["audits"]["network-requests"]["details"]["items"]
bytes_ = sum(r.get("transferSize", 0) for r in requests)
metrics = {k: report["audits"][k]["displayValue"] for k in
           ("first-contentful-paint", "largest-contentful-paint", "total-blocking-time")}
failed = [a for a, v in report["audits"].items()
          if v.get("score") is not None and v["score"] < 1 and v.get("scoreDisplayMode") in ("binary", "numeric")]
print(f"{sys.argv[2]}: " + " ".join(f"{k}={v}" for k, v in scores.items()))
print(f"  first visit: {len(requests)} requests, {bytes_} bytes transferred; " +
      ", ".join(f"{k} {v}" for k, v in metrics.items()))
print("  audits below 1: " + (", ".join(sorted(failed)) or "none"))
PY
done
