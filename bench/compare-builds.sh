#!/usr/bin/env bash
# What a change to the walks costs, in one run: the folder benchmark of two builds, taken in
# turns on the same tree shape, and the fastest product count and purge of each, with the
# most each held on the heap (builds whose benchmark counts it).
#
#   bench/compare-builds.sh BEFORE/folder_bench.exe AFTER/folder_bench.exe
#
# FOLDERS, SUBFOLDERS and FILES set the shape (default: 20 folders of 500 files), TURNS how
# many times each build runs (default 2; each run purges once per walk it knows).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 BEFORE.exe AFTER.exe" >&2; exit 2; }
source "$root/scripts/scratch-folder.sh"
# Wine's recycle bin is the Unix user's trash: the benchmark keeps one of its own.
export XDG_DATA_HOME="$root/build/xdg-data"
scratch_folder "$XDG_DATA_HOME"
source "$root/scripts/virtual-display.sh" # the product purge moves a native bar
trap '[ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID"' EXIT
shape=(--folders "${FOLDERS:-20}" --subfolders "${SUBFOLDERS:-0}" --files "${FILES:-500}")
declare -A best heap
for turn in $(seq "${TURNS:-2}"); do
  for side in before after; do
    exe=$1; [ "$side" = after ] && exe=$2
    while read -r kind name value seconds; do
      case "$name" in count_product|purge_product) ;; *) continue ;; esac
      key="$side $name"
      if [ "$kind" = HEAP ]; then
        [ "${heap[$key]:-0}" -ge "$value" ] || heap[$key]=$value
      elif [ -z "${best[$key]:-}" ] || awk "BEGIN{exit !($seconds < ${best[$key]})}"; then
        best[$key]=$seconds
      fi
    done < <("$root/scripts/wine-run.sh" "$exe" "${shape[@]}" --count-runs 1 --purge-runs 1 \
               --measures count_product,purge_product | tr -d '\r' | grep -E '^(RESULT|HEAP)')
  done
done
for name in count_product purge_product; do
  awk -v n="$name" -v b="${best[before $name]}" -v a="${best[after $name]}" \
    'BEGIN{printf "%-14s before %.3f s  after %.3f s  after/before %.3f\n", n, b, a, a / b}'
  if [ -n "${heap[before $name]:-}" ] && [ -n "${heap[after $name]:-}" ]; then
    printf '%-14s heap before %d bytes  after %d bytes\n' "$name" "${heap[before $name]}" "${heap[after $name]}"
  fi
done
