#!/usr/bin/env bash
# Builds the Debian package build/package/palorin_<version>_amd64.deb from an
# "editor" build (no tests, no benchmarks; hardened with the flags
# dpkg-buildflags gives) and runs lintian --pedantic on it. The
# package's dependencies are those of the programs' shared libraries, found
# by dpkg-shlibdeps, plus what they load at run time (cmake/PalorinPackage.cmake).
# Install it with: apt install ./build/package/palorin_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --editor --package
cmake --preset editor >/dev/null
cmake --build --preset editor
rm -rf build/package
cpack --config build/editor/CPackConfig.cmake -B build/package >/dev/null
deb=$(ls build/package/palorin_*_amd64.deb)
# Errors fail the script; warnings, pedantic and informational tags are
# shown. The build is hardened (PALORIN_HARDEN in the editor preset), so any
# hardening tag fails it too, informational ones (no bind-now, no fortified
# functions) included.
tags=$(lintian --pedantic --display-info --fail-on error "$deb")
[[ -n $tags ]] && echo "$tags"
if grep -q "hardening" <<<"$tags"; then
  echo "package.sh: the binaries lack hardening" >&2
  exit 1
fi
echo "$deb"
