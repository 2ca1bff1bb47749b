#!/usr/bin/env bash
# A run that cannot test the page must not pass: with none of the page's tools
# on the PATH, scripts/page_test.sh fails under CI (even when asked to skip)
# and by hand, and skips — loudly — only by hand with PALORIN_SKIP_PAGE=1;
# tests/web/page_test.py fails on its own too.
#   page_gate_test.sh SOURCE_DIR
set -uo pipefail
src=${1:?usage: page_gate_test.sh SOURCE_DIR}
empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
failures=0

# expect STATUS OUTPUT_WORD ENV... -- COMMAND...: STATUS is 0 or "fail".
expect() {
  local want=$1 word=$2
  shift 2
  local envs=()
  while [[ $1 != -- ]]; do envs+=("$1"); shift; done
  shift
  local out status
  out=$(env -u CI -u PALORIN_SKIP_PAGE PATH="$empty" "${envs[@]}" "$@" 2>&1)
  status=$?
  local ok=1
  if [[ $want == 0 ]]; then [[ $status -eq 0 ]] || ok=0; else [[ $status -ne 0 ]] || ok=0; fi
  [[ $out == *"$word"* ]] || ok=0
  [[ $out == *"Page built"* ]] && ok=0  # nothing may be built without the tools
  if [[ $ok -eq 0 ]]; then
    echo "FAIL: ${envs[*]} $* gave status $status (wanted $want), output:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

page=("$src/scripts/page_test.sh" /nonexistent/palorin-cli)
expect fail "under CI every tool" CI=true -- /bin/bash "${page[@]}"
expect fail "under CI every tool" CI=true PALORIN_SKIP_PAGE=1 -- /bin/bash "${page[@]}"
expect fail "PALORIN_SKIP_PAGE=1 skips" -- /bin/bash "${page[@]}"
expect 0 "NOT tested the page" PALORIN_SKIP_PAGE=1 -- /bin/bash "${page[@]}"
expect fail "missing chromium, chromedriver" -- \
  /usr/bin/python3 "$src/tests/web/page_test.py" --page "$empty" --cli /nonexistent/palorin-cli

[[ $failures -eq 0 ]] && echo "page gate: all cases hold"
exit "$failures"
