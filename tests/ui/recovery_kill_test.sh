#!/usr/bin/env bash
# The recovery copy survives a killed editor: the real editor (offscreen)
# opens a compatible series, which changes its picture; within its two
# seconds the copy appears, the editor is killed with SIGKILL, and the copy
# holds exactly what a native save of that picture writes (palorin-cli
# convert). Then `palorin --restore` opens that copy as a FILE: the load is a
# change, so the copy is written again, with the same bytes.
#   recovery_kill_test.sh PALORIN PALORIN_CLI DATA_DIR
set -uo pipefail
palorin=${1:?usage: recovery_kill_test.sh PALORIN PALORIN_CLI DATA_DIR}
cli=${2:?} data=${3:?}
tmp=$(mktemp -d)
editor=""
cleanup() {
  [[ -n $editor ]] && kill -9 "$editor" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
export XDG_STATE_HOME=$tmp/state QT_QPA_PLATFORM=offscreen
copy=$XDG_STATE_HOME/palorin/recovery.pln
fail() {
  echo "FAIL: $*"
  echo "-- the editor's output:"
  cat "$tmp/editor.log" 2>/dev/null
  exit 1
}

# Waits up to 20 s for `test` to hold, the editor still running meanwhile.
wait_for() {
  local deadline=$((SECONDS + 20))
  until eval "$1"; do
    kill -0 "$editor" 2>/dev/null || fail "the editor ended before: $1"
    ((SECONDS < deadline)) || fail "not within 20 s: $1"
    sleep 0.1
  done
}

# kill_when CONDITION ARGS...: the editor started with ARGS, killed with
# SIGKILL once CONDITION holds.
kill_when() {
  local condition=$1
  shift
  "$palorin" "$@" >"$tmp/editor.log" 2>&1 &
  editor=$!
  wait_for "$condition"
  kill -9 "$editor"
  wait "$editor" 2>/dev/null
  editor=""
}

"$cli" convert --to native -o "$tmp/expected.pln" "$data/wide_1.txt" "$data/wide_2.txt" ||
  fail "palorin-cli could not convert the series"

# The parts in reverse order, as a user may name them.
kill_when '[[ -f $copy ]]' "$data/wide_2.txt" "$data/wide_1.txt"
cmp "$copy" "$tmp/expected.pln" || fail "the recovery copy is not the native save"

# --restore: the copy, dated long ago, is opened and so written anew.
touch -m -d @1000000000 "$copy"
kill_when '[[ $(stat -c %Y "$copy") != 1000000000 ]]' --restore
cmp "$copy" "$tmp/expected.pln" || fail "palorin --restore did not open the recovery copy"

"$palorin" --restore "$data/wide_1.txt" >"$tmp/editor.log" 2>&1
[[ $? -eq 2 ]] || fail "--restore with a FILE is no usage error"
echo "recovery copy: survives SIGKILL, equals the native save, opens with --restore"
