#!/usr/bin/env bash
# Retakes docs/screenshot.png: the editor runs on a virtual X server with a
# window manager, a picture of more than 1000 blocks is drawn with real
# clicks and typed sizes, the file window is opened (beside the main window)
# on its save page, and the screen is cropped to the two windows.
#   PALORIN_BUILD  build folder (default build/release)
# Points from scripts/lib/layout.sh are "X Y", split into two arguments.
# shellcheck disable=SC2046
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/x_session.sh
start_editor_session

# Types a size into a box: size sizeX 14.
size() {
  xdotool mousemove --window "$main" $(text_of "$1") click --repeat 3 1
  xdotool key ctrl+a
  xdotool type "$2"
  sleep 0.1
}
colour() { choose colour "$1"; }  # 0 blue 1 green 2 red 3 yellow 4 white
mode() { choose mode "$1"; }      # 0 Single 1 X 2 Y 3 Z 4 XY 5 XZ 6 YZ 7 XYZ

colour 1; mode 4; size sizeX 14; size sizeY 14; press 250 70      # a green slab
colour 2; mode 7; size sizeX 10; size sizeY 10; size sizeZ 10
press 222 118                                 # a red box: Count passes 1000
colour 3; mode 3; size sizeZ 7; press 300 150                     # a yellow tower
colour 4; mode 1; size sizeX 6; press 200 160                     # a white row
colour 0; mode 0; press 250 230; press 262 236; press 274 242     # blue blocks
xdotool mousemove --window "$main" $(picture_at 260 102)          # the cell panels

click "$main" $(centre_of File)
file=$(window_id 10 '^Palorin-File$')
xdotool mousemove --window "$file" "${file_tab_save[@]}" click 1  # the save page
sleep 0.5

import -window root "$tmp/root.png"
convert "$tmp/root.png" -crop 724x410+186+100 +repage docs/screenshot.png
echo "docs/screenshot.png written"
