# shellcheck shell=bash disable=SC2034  # the names are for the scripts that source this
# Where the editor's controls are, for the scripts that click on the real
# windows. Rectangles are "left top width height" in client coordinates of
# their window, as the layout table places the controls (forms/layout.cpp;
# a control inside a group box adds the box's corner).
# Usage: source scripts/lib/layout.sh; then e.g.
#   xdotool mousemove --window "$main" $(centre_of File) click 1

declare -A palorin_rect=(
  # Main window.
  [File]="0 0 41 20"           # Button5
  [Clip]="48 0 41 20"          # Button4
  [ReSet]="96 0 49 20"         # Button3
  [UnDo]="360 16 41 20"        # Button1 at (64, 16) in GroupBox1 at (296, 0)
  [ReDo]="408 16 41 20"        # Button2 at (112, 16) in GroupBox1
  [step]="304 16 49 20"        # ComboBox5 at (8, 16) in GroupBox1
  [End]="464 8 33 25"          # Button6
  [mode]="0 24 57 20"          # ComboBox6
  [colour]="64 24 57 20"       # ComboBox1
  [sizeX]="136 24 41 20"       # ComboBox2
  [sizeY]="192 24 41 20"       # ComboBox3
  [sizeZ]="248 24 41 20"       # ComboBox4
  [drawing]="0 48 500 308"     # Image1
  # File window.
  [execute]="16 184 81 25"     # Button1 "実行"
  [cancel]="112 184 81 25"     # Button2 "キャンセル"
)

# The tabs' widths follow their captions' font, so the tab bar is not placed
# in the code: these are the tabs' centres and the corner of the pages below
# them, in the file window.
file_tab_load=(20 10)
file_tab_save=(60 10)
file_page_left=0
file_page_top=19
# The save page's radio items (RadioGroup1 at (8, 8) on the page, item k at
# (8, 16 + 20 k), 169 x 20): 0 compatible, 1 native, 2 BMP.
save_mode_item() {
  echo $((file_page_left + 8 + 8 + 9)) $((file_page_top + 8 + 16 + 20 * $1 + 10))
}

_rect() {
  local r=${palorin_rect[$1]:-}
  [[ -n "$r" ]] || { echo "layout.sh: no control named '$1'" >&2; return 1; }
  echo "$r"
}
# The centre of a control: where a button is pressed.
centre_of() {
  local l t w h
  read -r l t w h < <(_rect "$1") || return 1
  echo $((l + w / 2)) $((t + h / 2))
}
# A box's arrow (8 pixels in from its right edge): opens its list.
arrow_of() {
  local l t w h
  read -r l t w h < <(_rect "$1") || return 1
  echo $((l + w - 8)) $((t + h / 2))
}
# Inside a box's text, left of its arrow: where a size is typed.
text_of() {
  local l t w h
  read -r l t w h < <(_rect "$1") || return 1
  echo $((l + 14)) $((t + h / 2))
}
# The client point of picture point (X, Y) on the drawing area.
picture_at() {
  local l t w h
  read -r l t w h < <(_rect drawing) || return 1
  echo $((l + $1)) $((t + $2))
}
