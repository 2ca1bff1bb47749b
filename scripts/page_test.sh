#!/usr/bin/env bash
# Builds the page and runs its tests in headless Chromium against palorin-cli
# (tests/web/page_test.py).
#   scripts/page_test.sh [PALORIN_CLI [AGREE_DRIVER]]
# PALORIN_CLI defaults to build/release/cli/palorin-cli; given the windows'
# agreement driver (tests/ui/ui_agree_driver), the same seeded session then
# runs through play, the windows and the page (tests/agree/agree_test.py).
# A missing tool (emcc, chromium, chromedriver, npm, selenium) fails the run; see
# scripts/lib/untested.sh for PALORIN_SKIP_PAGE=1 and CI=true.
set -euo pipefail
here=${BASH_SOURCE[0]%/*}
cd "$here/.."
source scripts/lib/untested.sh

cli=${1:-build/release/cli/palorin-cli}
missing=()
for tool in emcc chromium chromedriver npm; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
/usr/bin/python3 -c "import selenium" 2>/dev/null || missing+=(python3-selenium)
if [[ ${#missing[@]} -gt 0 ]]; then
  untested "the page's tests" "missing ${missing[*]}"
  exit $?
fi
scripts/web.sh --build build/web/site
# The accessibility checks' axe-core, as package-lock.json pins it.
npm ci --no-audit --no-fund --silent
/usr/bin/python3 tests/web/page_test.py --page build/web/site --cli "$cli"
if [[ -n ${2:-} ]]; then
  QT_QPA_PLATFORM=offscreen /usr/bin/python3 tests/agree/agree_test.py --cli "$cli" --qt "$2" --page build/web/site
fi
