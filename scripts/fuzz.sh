#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz, clang-14) and runs each for SECONDS
# (default 30) on its corpus: load_fuzzer on fuzz/corpus, play_fuzzer on the
# play scripts in tests/cli/data, link_fuzzer on fuzz/link_corpus. What the
# fuzzer finds new goes to a temporary folder, so the corpus in the tree stays
# as it is; a crash leaves its input in build/fuzz/findings and fails the run.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/load" "$work/play" "$work/link" "$work/play-seeds" build/fuzz/findings
cp tests/cli/data/*.play "$work/play-seeds/"

run() {  # NAME SEEDS
  echo "-- $1_fuzzer for $seconds s on $2"
  build/fuzz/fuzz/"$1"_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/"$1"- "$work/$1" "$2"
}
run load fuzz/corpus
run play "$work/play-seeds"
run link fuzz/link_corpus
