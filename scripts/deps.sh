#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Palorin
# need. As root it installs what is missing; otherwise it prints the one
# apt-get line to run and fails.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev libpng-dev
  fonts-ipafont-gothic
)
# Extra tools: the fuzz target (clang), the screenshot script (a real
# window under Xvfb), and the page: emscripten (whose JavaScript optimizer
# needs acorn) and headless Chromium driven by selenium for its tests.
if [[ "${1:-}" == "--all" ]]; then
  packages+=(clang-14 libclang-rt-14-dev xvfb xauth xdotool imagemagick xclip openbox)
  packages+=(emscripten node-acorn chromium chromium-driver python3-selenium)
fi

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
