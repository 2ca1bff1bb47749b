#!/usr/bin/env bash
# Installs the build into a staging folder and checks it as the desktop
# would see it: every file in its place, the menu entry and the
# software-centre entry valid, the file types recognised by content, and the
# staged programs run without a display: the editor ends as its help says.
#   check_install.sh CMAKE BUILD_DIR STAGE VERSION TEST_DATA_DIR
set -euo pipefail
cmake=$1 build=$2 stage=$3 version=$4 data=$5
id=io.github.palorin.Palorin
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$stage"
"$cmake" --install "$build" --prefix "$stage" >/dev/null
share=$stage/share

for f in bin/palorin bin/palorin-cli \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg \
  share/man/man1/palorin.1.gz share/man/man1/palorin-cli.1.gz \
  share/bash-completion/completions/palorin-cli \
  share/doc/palorin/copyright share/doc/palorin/changelog.gz; do
  [[ -f $stage/$f ]] || fail "$f is not installed"
done
# Each hicolor PNG is as large as its folder says: width and height are the
# big-endian words at bytes 16 and 20 of the PNG header.
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$id.png
  [[ -f $png ]] || fail "no ${size}x$size icon"
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [[ "$w $h" == "$size $size" ]] || fail "the ${size}x$size icon is ${w}x$h"
done

bash -n "$share/bash-completion/completions/palorin-cli" || fail "the bash completion does not parse"
desktop-file-validate "$share/applications/$id.desktop"
grep -qx 'Exec=palorin %F' "$share/applications/$id.desktop" ||
  fail "the desktop entry does not pass the opened files"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not name release $version"

# The staged programs, with no display to reach.
cli=$stage/bin/palorin-cli
[[ $("$cli" --version) == "palorin-cli $version" ]] || fail "palorin-cli --version: $("$cli" --version)"
[[ $(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/palorin" --version) == "palorin $version" ]] ||
  fail "palorin --version needs a display or prints the wrong version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/palorin" --help |
  grep -q '^Usage: palorin ' || fail "palorin --help"
# Without a display the editor ends with status 1 and one line saying so,
# whichever platform it was told to try; a bad option is still status 2.
for platform in xcb ""; do
  status=0
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=$platform "$stage/bin/palorin" 2>&1 >/dev/null) ||
    status=$?
  [[ $status == 1 ]] || fail "palorin without a display (QT_QPA_PLATFORM='$platform'): status $status"
  [[ $said == "palorin: no display could be opened ("*")" && $said != *$'\n'* ]] ||
    fail "palorin without a display (QT_QPA_PLATFORM='$platform') says: $said"
done
status=0
QT_QPA_PLATFORM=offscreen "$stage/bin/palorin" --no-such-option 2>/dev/null || status=$?
[[ $status == 2 ]] || fail "palorin --no-such-option: status $status, not 2"

# The file types, from the staged database alone: a native picture and a
# compatible part written by the staged tool, recognised with their names
# and by content alone (no extension, or one the database does not know).
update-mime-database "$share/mime" 2>/dev/null
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
"$cli" convert --to native -o "$files/house.pln" "$data/small.pln" >/dev/null
"$cli" convert --to compat -o "$files/wide.txt" "$data/wide_1.txt" "$data/wide_2.txt" >/dev/null
cp "$files/house.pln" "$files/house"
cp "$files/house.pln" "$files/house.dat"
cp "$files/wide_1.txt" "$files/wide_1"
cp "$files/wide_2.txt" "$files/wide_2.dat"
type_of() {
  XDG_DATA_DIRS=$share XDG_DATA_HOME=$files/none \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
check_type() {
  local want=$1
  shift
  for f in "$@"; do
    got=$(type_of "$files/$f")
    [[ $got == "$want" ]] || fail "$f is $got, not $want"
  done
}
check_type application/x-palorin-picture house.pln house house.dat
check_type text/x-palorin-compatible-part wide_1 wide_2.dat
# A plain text file stays plain text.
printf 'not a picture\r\n' >"$files/notes"
check_type text/plain notes

echo "OK: installed into $stage; desktop entry and metainfo valid; both file types recognised by content"
