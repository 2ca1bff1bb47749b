#!/usr/bin/env bash
# Builds the page and runs its tests in headless Chromium against palorin-cli
# (tests/web/page_test.py).
#   scripts/page_test.sh [PALORIN_CLI]   default build/release/cli/palorin-cli
# A missing tool (emcc, chromium, chromedriver, selenium) fails the run; see
# scripts/lib/untested.sh for PALORIN_SKIP_PAGE=1 and CI=true.
set -euo pipefail
here=${BASH_SOURCE[0]%/*}
cd "$here/.."
source scripts/lib/untested.sh

cli=${1:-build/release/cli/palorin-cli}
missing=()
for tool in emcc chromium chromedriver; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
/usr/bin/python3 -c "import selenium" 2>/dev/null || missing+=(python3-selenium)
if [[ ${#missing[@]} -gt 0 ]]; then
  untested "the page's tests" "missing ${missing[*]}"
  exit $?
fi
scripts/web.sh --build build/web/site
/usr/bin/python3 tests/web/page_test.py --page build/web/site --cli "$cli"
