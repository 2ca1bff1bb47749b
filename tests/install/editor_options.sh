#!/usr/bin/env bash
# The editor's arguments are checked before the toolkit looks for a display:
# with none to reach (X11 asked for, DISPLAY unset), a bad option is still a
# usage error (status 2, its line and the hint), while good ones, the
# toolkit's own with their values included, get as far as the display.
#   editor_options.sh PALORIN
set -uo pipefail
palorin=$1
failures=0

expect() {  # STATUS SAID ARGUMENT...
  local want_status=$1 want_said=$2 status=0 said
  shift 2
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$palorin" "$@" 2>&1 >/dev/null) ||
    status=$?
  if [[ $status != "$want_status" || $said != $want_said ]]; then
    echo "FAIL: palorin $*: status $status, said: $said" >&2
    failures=$((failures + 1))
  fi
}

no_display='palorin: no display could be opened (DISPLAY is not set)'
hint=$'\nTry \'palorin --help\'.'
expect 2 "palorin: unknown option '--bogus'$hint" --bogus
expect 2 "palorin: unknown option '-x'$hint" picture.pln -x
expect 2 "palorin: unknown option '--bogus'$hint" -style fusion --platform xcb --bogus
expect 2 "palorin: option '-platform' needs a value$hint" -platform
# A value that looks like an option is the option's value.
expect 1 "$no_display" -qwindowtitle --bogus
expect 1 "$no_display" --style=fusion -reverse -geometry 600x400 picture.pln
# After -- every argument is a FILE.
expect 1 "$no_display" -- --bogus
expect 1 "$no_display" --restore
expect 1 "$no_display" --restore 2

# The list of kept pictures needs no display.
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
mkdir -p "$state/palorin/history"
printf 'not a picture' >"$state/palorin/history/20261207T080000.000Z.pln"
listed=$(env -u DISPLAY XDG_STATE_HOME="$state" QT_QPA_PLATFORM=xcb "$palorin" --restore --list) ||
  { echo "FAIL: --restore --list: status $?" >&2; failures=$((failures + 1)); }
if [[ $listed != *"  1  "*"history   cannot be read"*"20261207T080000.000Z.pln" ]]; then
  echo "FAIL: --restore --list said: $listed" >&2
  failures=$((failures + 1))
fi
exit $((failures > 0))
