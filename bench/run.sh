#!/usr/bin/env bash
# Builds and runs the folder-walk benchmark under Wine, times the host's own find and rm -rf
# on an identical tree, and prints one table with the ratios.
#   bench/run.sh [build-folder]      (default build/windows; configured with the windows preset)
# Environment: FOLDERS, SUBFOLDERS, FILES (tree shape), COUNT_RUNS, PURGE_RUNS,
# TV_WINEPREFIX (the Wine prefix; scripts/wine-run.sh's default otherwise), DISPLAY.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/windows}
folders=${FOLDERS:-100} subfolders=${SUBFOLDERS:-100} files=${FILES:-5}
count_runs=${COUNT_RUNS:-5} purge_runs=${PURGE_RUNS:-3}
total=$((folders * subfolders * files))

[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target folder_bench >/dev/null
if [ -z "${DISPLAY:-}" ]; then source "$root/scripts/virtual-display.sh"; fi

results=$(mktemp)
host_tree=$build/bench-host-tree
cleanup() { rm -rf "$host_tree" "$results"; [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

echo "Wine: $total files in $folders x $subfolders folders ..." >&2
"$root/scripts/wine-run.sh" "$build/bench/folder_bench.exe" --folders "$folders" --subfolders "$subfolders" \
  --files "$files" --count-runs "$count_runs" --purge-runs "$purge_runs" | tr -d '\r' | grep '^RESULT' >"$results"

# The same tree on the host, on the same file system as the Wine prefix's.
build_host_tree() {
  rm -rf "$host_tree"
  mkdir -p "$host_tree"
  (cd "$host_tree"
   for ((f = 0; f < folders; f++)); do for ((s = 0; s < subfolders; s++)); do echo "d$f/s$s"; done; done | xargs mkdir -p
   for ((f = 0; f < folders; f++)); do for ((s = 0; s < subfolders; s++)); do for ((n = 0; n < files; n++)); do
     echo "d$f/s$s/file$n.tmp"; done; done; done | xargs touch)
}
now() { date +%s.%N; }
# The fastest run: the one least disturbed by whatever else the machine is doing.
fastest() { sort -g | head -n 1; }

echo "Host: find and rm -rf ..." >&2
build_host_tree
times=()
for ((r = 0; r < count_runs; r++)); do
  start=$(now); found=$(find "$host_tree" -type f | wc -l); end=$(now)
  [ "$found" -eq "$total" ] || { echo "find counted $found, not $total" >&2; exit 1; }
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
done
echo "RESULT host_find $total $(printf '%s\n' "${times[@]}" | fastest)" >>"$results"
times=()
for ((r = 0; r < purge_runs; r++)); do
  [ -d "$host_tree" ] || build_host_tree
  start=$(now); rm -rf "$host_tree"; end=$(now)
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
done
echo "RESULT host_rm $total $(printf '%s\n' "${times[@]}" | fastest)" >>"$results"

awk -v folders=$((folders * (subfolders + 1))) '
  { n[$2] = $3; t[$2] = $4 }
  function rate(k) { return n[k] / t[k] }
  function row(label, k, note) { printf "  %-40s %10.0f %9.3f   %s\n", label, rate(k), t[k], note }
  END {
    printf "%-42s %10s %9s   %s\n", "Measure (fastest of the runs)", "files/s", "seconds", "ratio"
    printf "Counting %d files in %d folders\n", n["count_product"], folders
    row("CountFiles (product)", "count_product", "")
    row("8-bit walk, pump per file (baseline)", "count_baseline",
        sprintf("product %.1fx faster (target >= 8x)", t["count_baseline"] / t["count_product"]))
    row("bare FindFirstFileExW walk", "count_bare_walk",
        sprintf("product takes %.2fx its time", t["count_product"] / t["count_bare_walk"]))
    row("host find -type f (floor)", "host_find",
        sprintf("product %.1fx slower (target <= 12x)", t["count_product"] / t["host_find"]))
    printf "Purging\n"
    row("PurgeFolder (product, native bar)", "purge_product", "")
    row("PurgeFolder, no pump, no progress", "purge_product_no_pump",
        sprintf("pump and progress cost %+.1f%% (target < 10%%)", 100 * (t["purge_product"] / t["purge_product_no_pump"] - 1)))
    row("bare DeleteFileW walk", "purge_bare_walk",
        sprintf("product takes %.2fx its time (target <= 1)", t["purge_product"] / t["purge_bare_walk"]))
    row("DeleteFileW over a known list, no walk", "purge_bare_list",
        sprintf("product takes %.2fx its time", t["purge_product"] / t["purge_bare_list"]))
    row("8-bit walk, pump per file (baseline)", "purge_baseline",
        sprintf("product %.1fx faster", t["purge_baseline"] / t["purge_product"]))
    row("host rm -rf (floor)", "host_rm", sprintf("product %.1fx slower", t["purge_product"] / t["host_rm"]))
    printf "Raw native progress control: %.0f us per PBM_SETPOS (%.1f s if sent once per file of %d;\n  the program hands the bar its position at each pump instead)\n",
        1e6 * t["native_progress_setpos"] / n["native_progress_setpos"],
        t["native_progress_setpos"] / n["native_progress_setpos"] * n["count_product"], n["count_product"]
  }' "$results"
