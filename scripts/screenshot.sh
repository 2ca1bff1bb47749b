#!/usr/bin/env bash
# Retakes docs/screenshot.png: the editor runs on a virtual X server with a
# window manager, a picture is drawn with real clicks and typed sizes, the
# file window is opened on its save page, and the screen is cropped to the
# two windows.
#   PALORIN_BUILD  build folder (default build/release)
#   PALORIN_XDISPLAY  X display number to use (default 77)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/x_session.sh
start_editor_session 77

# Client-area coordinates of the main window; the drawing area starts at
# (0, 48).
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; sleep 0.2; }
# Opens a box's list with its arrow and picks entry $3.
choose() {
  click "$1" "$2"
  xdotool key Home
  for ((i = 0; i < $3; i++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.2
}
# Types a size into a box.
size() {
  xdotool mousemove --window "$main" "$1" "$2" click --repeat 3 1
  xdotool key ctrl+a
  xdotool type "$3"
  sleep 0.1
}
colour() { choose 113 34 "$1"; }  # 0 blue 1 green 2 red 3 yellow 4 white
mode() { choose 49 34 "$1"; }     # 0 Single 1 X 2 Y 3 Z 4 XY 5 XZ 6 YZ 7 XYZ
press() { click "$1" $(($2 + 48)); }

colour 1; mode 4; size 150 34 14; size 206 34 14; press 250 70   # a green slab
colour 2; mode 7; size 150 34 4; size 206 34 4; size 262 34 4
press 222 118                                                     # a red box
colour 3; mode 3; size 262 34 7; press 300 150                    # a yellow tower
colour 4; mode 1; size 150 34 6; press 200 160                    # a white row
colour 0; mode 0; press 250 230; press 262 236; press 274 242     # blue blocks
xdotool mousemove --window "$main" 260 150                        # the cell panels

click 20 10                                                       # "File"
file=$(xdotool search --sync --name '^Palorin-File$' | head -1)
xdotool mousemove --window "$file" 60 10 click 1                  # the save page
# The file window opens over the main window's right edge; it is moved
# aside here so that both windows show whole.
xdotool windowmove "$file" 712 106
sleep 0.5

import -window root "$tmp/root.png"
convert "$tmp/root.png" -crop 748x410+186+100 +repage docs/screenshot.png
echo "docs/screenshot.png written"
