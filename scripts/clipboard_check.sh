#!/usr/bin/env bash
# Checks "Clip" on a real X server: another program reads the picture back
# from the clipboard pixel for pixel. The editor runs under Xvfb; blocks are
# placed with real clicks, text is put on the clipboard first, "Clip" is
# pressed, and xclip reads the image. The reference is the BMP that the
# editor itself writes through its file window (BMP mode, real save dialog).
#   PALORIN_BUILD  build folder (default build/release)
# Points from scripts/lib/layout.sh are "X Y", split into two arguments.
# shellcheck disable=SC2046
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/x_session.sh
start_editor_session

press 10 10; press 100 60
choose colour 2; press 250 150; press 256 153
choose colour 4; press 490 300
choose colour 3; press 300 200

printf 'text before the picture' | xclip -selection clipboard
sleep 0.3
click "$main" $(centre_of Clip)
targets=$(xclip -selection clipboard -t TARGETS -o)
grep -qx 'image/png' <<<"$targets" || fail "no image on the clipboard: $targets"
grep -qx 'UTF8_STRING' <<<"$targets" && fail "the earlier text is still offered"
xclip -selection clipboard -t image/png -o >"$tmp/clip.png"

# The picture as the editor writes it: file window, save page, BMP mode,
# execute, a name typed into the save dialog.
click "$main" $(centre_of File)
file=$(window_id 10 '^Palorin-File$')
click "$file" "${file_tab_save[@]}"                  # the save page
click "$file" $(save_mode_item 2)                    # "Bmp画像モード"
click "$file" $(centre_of execute)                   # "実行"
dialog=$(window_id 10 'BMP形式画像を保存する')
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool key ctrl+a
xdotool type "$tmp/picture"
xdotool key Return
wait_for 5 "the editor writing the BMP" test -s "$tmp/picture.bmp"

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
