#!/usr/bin/env bash
# Retakes docs/page-look/: each window of the editor (on a virtual X server
# with a window manager, frame included) beside the same window of the page
# (in headless Chromium, tests/web/look_shots.py), the desktop's on the left:
# main.png, file-load.png, file-save.png, error.png.
#   PALORIN_BUILD  build folder (default build/release)
#   PALORIN_PAGE   the built page (default build/web/site, built if missing)
# shellcheck disable=SC2046
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/page-look
page=${PALORIN_PAGE:-build/web/site}
[[ -f "$page/index.html" ]] || scripts/web.sh --build "$page"
source scripts/lib/x_session.sh
start_editor_session
mkdir -p "$out" "$tmp/desktop" "$tmp/page"

# shot WINDOW NAME: the window as the screen shows it, with the window
# manager's frame, into $tmp/desktop/NAME.png.
shot() {
  local X Y WIDTH HEIGHT l r t b
  sleep 0.5
  # The client's place on the screen (xdotool's is off by the frame).
  read -r X Y WIDTH HEIGHT < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
    END {print x, y, w, h}')
  IFS=', ' read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  import -window root "$tmp/root.png"
  convert "$tmp/root.png" -crop $((WIDTH + l + r))x$((HEIGHT + t + b))+$((X - l))+$((Y - t)) \
    +repage "$tmp/desktop/$2.png"
}

# The presses of tests/web/look_shots.py, then the pointer off the picture.
press 250 150; press 262 156; press 274 162
xdotool mousemove 1000 760
shot "$main" main
click "$main" $(centre_of File)
file=$(window_id 10 '^Palorin-File$')
xdotool mousemove --window "$file" "${file_tab_load[@]}" click 1
xdotool mousemove 1000 760
shot "$file" file-load
xdotool mousemove --window "$file" "${file_tab_save[@]}" click 1
xdotool mousemove 1000 760
shot "$file" file-save
xdotool mousemove --window "$main" $(text_of step) click --repeat 3 1
xdotool key ctrl+a
xdotool type 1x
click "$main" $(centre_of UnDo)
error=$(window_id 10 '^palorin$')
xdotool mousemove 1000 760
shot "$error" error

/usr/bin/python3 tests/web/look_shots.py --page "$page" --out "$tmp/page"
for name in main file-load file-save error; do
  convert "$tmp/desktop/$name.png" -size 8x1 xc:'#808080' "$tmp/page/$name.png" \
    -background '#808080' -gravity north +append "$out/$name.png"
done
# Kept for a closer look when PALORIN_LOOK_KEEP names a folder.
[[ -z "${PALORIN_LOOK_KEEP:-}" ]] || cp -r "$tmp/desktop" "$tmp/page" "$PALORIN_LOOK_KEEP"/
echo "$out written"
