#!/usr/bin/env bash
# Builds and runs the browser-profile benchmark under Wine: a history of ADDRESSES addresses
# and VISITS visits cleaned in one transaction, and a cache of FILES files purged, against a
# bare walk of a twin folder. Prints the figures.
#   bench/browser-profile.sh [build-folder]   (default build/windows)
# Environment: ADDRESSES (100000), VISITS (300000), FILES (20000), RUNS (3).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/windows}
addresses=${ADDRESSES:-100000} visits=${VISITS:-300000} files=${FILES:-20000} runs=${RUNS:-3}

[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target browser_bench >/dev/null
if [ -z "${DISPLAY:-}" ]; then source "$root/scripts/virtual-display.sh"; fi
work=$(mktemp -d)
cleanup() { rm -rf "$work"; [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

# Wine makes files in a large folder slowly: the host fills the two cache folders.
for twin in Cache_Data Bare_Data; do
  mkdir "$work/$twin"
  (cd "$work/$twin" && seq -f 'f_%06g' 1 "$files" | xargs touch)
done
echo "Wine: history of $addresses addresses and $visits visits, cache of $files files ..." >&2
"$root/scripts/wine-run.sh" "$build/bench/browser_bench.exe" --work "Z:${work//\//\\}" \
  --addresses "$addresses" --visits "$visits" --runs "$runs" | tr -d '\r'
