#!/usr/bin/env bash
# Checks "Clip" on a real X server: another program reads the picture back
# from the clipboard pixel for pixel. The editor runs under Xvfb; blocks are
# placed with real clicks, text is put on the clipboard first, "Clip" is
# pressed, and xclip reads the image. The reference is the BMP that the
# editor itself writes through its file window (BMP mode, real save dialog).
#   PALORIN_BUILD  build folder (default build/release)
#   PALORIN_XDISPLAY  X display number to use (default 78)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/x_session.sh
start_editor_session 78
fail() { echo "FAIL: $*" >&2; exit 1; }

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
choose_colour() {
  click "$main" 113 34
  xdotool key Home
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.2
}
press() { click "$main" "$1" $(($2 + 48)); }

press 10 10; press 100 60
choose_colour 2; press 250 150; press 256 153
choose_colour 4; press 490 300
choose_colour 3; press 300 200

printf 'text before the picture' | xclip -selection clipboard
sleep 0.3
click "$main" 68 10                                  # "Clip"
targets=$(xclip -selection clipboard -t TARGETS -o)
grep -qx 'image/png' <<<"$targets" || fail "no image on the clipboard: $targets"
grep -qx 'UTF8_STRING' <<<"$targets" && fail "the earlier text is still offered"
xclip -selection clipboard -t image/png -o >"$tmp/clip.png"

# The picture as the editor writes it: file window, save page, BMP mode,
# execute, a name typed into the save dialog.
click "$main" 20 10                                  # "File"
file=$(xdotool search --sync --name '^Palorin-File$' | head -1)
click "$file" 60 10                                  # the save page
click "$file" 25 93                                  # "Bmp画像モード"
click "$file" 56 196                                 # "実行"
dialog=$(xdotool search --sync --name 'BMP形式画像を保存する' | head -1)
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool key ctrl+a
xdotool type "$tmp/picture"
xdotool key Return
for _ in $(seq 50); do [[ -s "$tmp/picture.bmp" ]] && break; sleep 0.1; done
[[ -s "$tmp/picture.bmp" ]] || fail "the editor wrote no BMP"

size=$(identify -format '%wx%h' "$tmp/clip.png")
[[ "$size" == 500x308 ]] || fail "clipboard image is $size"
diff_pixels=$(compare -metric AE "$tmp/clip.png" "$tmp/picture.bmp" null: 2>&1 || true)
[[ "$diff_pixels" == 0 ]] || fail "$diff_pixels pixels differ from the saved BMP"
colours=$(convert "$tmp/clip.png" -unique-colors -format '%w' info:)
((colours > 1)) || fail "the clipboard image is blank"

# Drawing after the copy leaves the clipboard as it was.
press 200 100
xclip -selection clipboard -t image/png -o >"$tmp/clip2.png"
[[ $(compare -metric AE "$tmp/clip.png" "$tmp/clip2.png" null: 2>&1 || true) == 0 ]] ||
  fail "the clipboard changed after drawing"

echo "OK: the clipboard holds one 500x308 image, $colours colours, equal pixel for pixel to the BMP the editor saved; the earlier text is gone and later drawing leaves it unchanged"
