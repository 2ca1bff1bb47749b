# Shared by the scripts that drive the real editor window: builds `palorin`,
# starts a virtual X server with a window manager, starts the editor on it and
# sets $main to the main window's id. Cleans everything up on exit.
#   PALORIN_BUILD     build folder (default build/release)
#   PALORIN_XDISPLAY  X display number (default: the caller's)
# Usage: source scripts/lib/x_session.sh; start_editor_session DEFAULT_DISPLAY
start_editor_session() {
  scripts/deps.sh --all

  build=${PALORIN_BUILD:-build/release}
  if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPALORIN_BENCH=OFF >/dev/null
  fi
  cmake --build "$build" --target palorin >/dev/null

  export DISPLAY=":${PALORIN_XDISPLAY:-$1}"
  tmp=$(mktemp -d)
  pids=()
  trap _stop_editor_session EXIT

  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  env -u QT_QPA_PLATFORM "$build/app/palorin" >/dev/null 2>&1 &
  pids+=($!)
  main=$(xdotool search --sync --name '^Palorin Ver 1\.2$' | head -1)
  sleep 1
}

_stop_editor_session() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
