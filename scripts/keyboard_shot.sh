#!/usr/bin/env bash
# A picture drawn with the keyboard alone, shot for a look: the editor runs
# on a virtual X server with a window manager, the drawing area has the
# focus from the start, the arrows move the cell cursor and Space or Return
# place at it; the main window is cropped from the screen, the cursor drawn
# over the picture.
#   scripts/keyboard_shot.sh [OUT.png]   (default build/keyboard.png)
#   PALORIN_BUILD  build folder (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/keyboard.png}
source scripts/lib/x_session.sh
start_editor_session

xdotool windowactivate --sync "$main"
sleep 0.3
# key KEYS...: each key pressed once, as a user presses it.
key() {
  xdotool key --delay 60 "$@"
  sleep 0.2
}
key space Right Right space Right Right space    # three blocks in a row
key shift+Down Return Left Left Return           # two more, five rows down
key Up Up                                        # the cursor between the rows
key Up Up Up                                     # and on a block: it shows over it too

read -r X Y WIDTH HEIGHT < <(xwininfo -id "$main" | awk '/Absolute upper-left X/ {x = $NF}
  /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
  END {print x, y, w, h}')
import -window root "$tmp/root.png"
convert "$tmp/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "$out written"
