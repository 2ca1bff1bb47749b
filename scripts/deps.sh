#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Palorin
# need. As root it installs what is missing; otherwise it prints the one
# apt-get line to run and fails.
set -euo pipefail

# The editor and palorin-cli: what scripts/run.sh needs.
editor=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev libpng-dev zlib1g-dev
  fonts-ipafont-gothic
)
# The test suite: GoogleTest, Google Benchmark, giflib (the tests read the
# animations back with it), gifsicle (the sizes animate_bench compares with),
# and the desktop's tools that check the staged install (menu entry, metainfo,
# file types).
tests=(
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  desktop-file-utils appstream shared-mime-info libglib2.0-bin gifsicle
)
# The Debian package: dpkg-shlibdeps (dpkg-dev, file) and lintian.
package=(dpkg-dev file lintian)
# Extra tools: the fuzz target (clang), the window scripts (a real window
# under Xvfb), the accessibility test (the AT-SPI buses, read with pyatspi,
# on a D-Bus session of its own), and the page: emscripten (whose JavaScript
# optimizer needs acorn), brotli for its compressed copies, and headless
# Chromium driven by selenium for its tests.
extra=(clang-14 libclang-rt-14-dev xvfb xauth xdotool imagemagick xclip openbox
  at-spi2-core python3-pyatspi dbus-x11
  emscripten node-acorn brotli chromium chromium-driver python3-selenium)
# The page's build installs esbuild with npm, its tests axe-core; a node that
# ships its own npm needs no Debian one.
command -v npm >/dev/null || extra+=(npm)

#   (no option)  the editor and the test suite
#   --editor     the editor only
#   --package    also what scripts/package.sh needs
#   --all        everything above and the extra tools
packages=("${editor[@]}")
with_tests=1
for option in "$@"; do
  case $option in
    --editor) with_tests=0 ;;
    --package) packages+=("${package[@]}") ;;
    --all) packages+=("${package[@]}" "${extra[@]}") ;;
    *)
      echo "deps.sh: unknown option $option (--editor, --package, --all)" >&2
      exit 2
      ;;
  esac
done
[[ $with_tests -eq 1 || " $* " == *" --all "* ]] && packages+=("${tests[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing packages. Run:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
