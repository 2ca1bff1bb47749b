# shellcheck shell=bash
# Shared by the scripts that drive the real editor window: builds `palorin`,
# starts a virtual X server (on a display it picks itself) with a window
# manager, starts the editor on it and sets $main to the main window's id.
# Each step has a time limit. Xvfb's, openbox's and the editor's output go to
# one log, printed when the script fails. Cleans everything up on exit.
#   PALORIN_BUILD  build folder (default build/release)
# Usage: source scripts/lib/x_session.sh; start_editor_session
# Sets $main, $tmp (a scratch folder, removed on exit) and $session_log.
# shellcheck source=scripts/lib/layout.sh
source "$(dirname "${BASH_SOURCE[0]}")/layout.sh"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wait_for SECONDS WHAT COMMAND...: runs COMMAND until it succeeds; fails
# with "WHAT" if it has not after SECONDS, or at once if a process of the
# session has exited.
wait_for() {
  local limit=$1 what=$2
  shift 2
  local deadline=$((SECONDS + limit)) pid
  until "$@" >/dev/null 2>&1; do
    for pid in "${pids[@]}"; do
      _running "$pid" || fail "$what: ${names[$pid]} exited"
    done
    ((SECONDS < deadline)) || fail "$what: not within ${limit}s"
    sleep 0.1
  done
}

# Whether process PID is still running (a process that exited but was not
# yet waited for shows as a zombie, state Z).
_running() {
  local state
  state=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) && [[ "$state" != Z ]]
}

# window_id SECONDS TITLE_REGEX: prints the id of the first visible window
# whose title matches, waiting at most SECONDS for it.
window_id() {
  wait_for "$1" "window '$2'" xdotool search --onlyvisible --name "$2"
  xdotool search --onlyvisible --name "$2" | head -1
}

# _start NAME COMMAND...: starts COMMAND in the background, output to the log.
_start() {
  local name=$1
  shift
  echo "---- $name: $*" >>"$session_log"
  "$@" >>"$session_log" 2>&1 &
  pids+=($!)
  names[$!]=$name
}

start_editor_session() {
  scripts/deps.sh --all

  tmp=$(mktemp -d)
  session_log=$tmp/session.log
  : >"$session_log"
  pids=()
  declare -gA names=()
  trap _stop_editor_session EXIT
  trap 'echo "FAIL: \"$BASH_COMMAND\" exited with status $? (${BASH_SOURCE[0]}:$LINENO)" >&2' ERR

  build=${PALORIN_BUILD:-build/release}
  {
    [[ -f "$build/build.ninja" ]] || cmake --preset release -B "$build"
    cmake --build "$build" --target palorin
  } >>"$session_log" 2>&1 || fail "building the editor in $build"

  # Xvfb writes the display number it chose to fd 3 once it accepts clients.
  _start Xvfb Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display"
  wait_for 10 "the X server" grep -qx '[0-9]\+' "$tmp/display"
  DISPLAY=":$(<"$tmp/display")"
  export DISPLAY
  echo "---- X display $DISPLAY" >>"$session_log"

  _start openbox openbox
  # An EWMH window manager announces its desktops on the root window.
  wait_for 10 "the window manager" xdotool get_num_desktops

  _start palorin env -u QT_QPA_PLATFORM "$build/app/palorin"
  # shellcheck disable=SC2034  # for the script that sourced this
  main=$(window_id 20 '^Palorin Ver ')
  sleep 1
}

_stop_editor_session() {
  local status=$?
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if ((status != 0)) && [[ -s "$session_log" ]]; then
    echo "---- log of the build, Xvfb, openbox and the editor ----" >&2
    cat "$session_log" >&2
  fi
  rm -rf "$tmp"
}

# Input as a user gives it; points are client coordinates from
# scripts/lib/layout.sh.
# click WINDOW X Y: a left click at (X, Y) in WINDOW.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}
# choose BOX N: opens the main window's BOX list with its arrow, picks entry N.
choose() {
  # shellcheck disable=SC2046
  click "$main" $(arrow_of "$1")
  xdotool key Home
  for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.2
}
# press X Y: a click on pixel (X, Y) of the drawing area.
press() {
  # shellcheck disable=SC2046
  click "$main" $(picture_at "$1" "$2")
}
