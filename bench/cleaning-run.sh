#!/usr/bin/env bash
# Builds and runs the whole-run benchmark under Wine: the desktop group's cleaning run over a
# temporary folder of 50,000 files, against a bare DeleteFileW walk of an identical tree, and
# prints what the run costs beyond that walk and its fixed pauses.
#   bench/cleaning-run.sh [build-folder]   (default build/windows; configured with the windows preset)
# Environment: FOLDERS, FILES (tree shape: FOLDERS folders of FILES files), RUNS,
# TV_WINEPREFIX (the Wine prefix; scripts/wine-run.sh's default otherwise), DISPLAY.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/scratch-folder.sh"
build=${1:-$root/build/windows}
folders=${FOLDERS:-100} files=${FILES:-500} runs=${RUNS:-3}

[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target cleaning_run_bench >/dev/null
if [ -z "${DISPLAY:-}" ]; then source "$root/scripts/virtual-display.sh"; fi
# The run empties the recycle bin: Wine's is the Unix user's trash, so it gets one of its own.
export XDG_DATA_HOME="$build/bench-xdg-data"
scratch_folder "$XDG_DATA_HOME"
results=$(mktemp)
cleanup() { rm -f "$results"; [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

echo "Wine: the desktop group's run over $((folders * files)) files, $runs times ..." >&2
"$root/scripts/wine-run.sh" "$build/bench/cleaning_run_bench.exe" --folders "$folders" --files "$files" --runs "$runs" |
  tr -d '\r' | grep '^ROUND' >"$results"

# Each round times the run and the bare walk one after the other (in turns); the run's own cost is what it
# took beyond that walk and the pauses it asked for. "its count" is the count of the twin tree
# that the run's budget makes too. The median round is the figure to quote.
awk '
  { n = $3; own[NR] = $4 - $5 - $6
    line[NR] = sprintf("  %5d %12.3f %10.3f %12.3f %12.3f %8.1f%% %12.3f", $2, $4, $5, $6, own[NR], 100 * own[NR] / $6, $7)
    ratio[NR] = 100 * own[NR] / $6 }
  END {
    printf "\nWhole cleaning run (desktop group) over a temporary folder of %d files:\n", n
    printf "  %5s %12s %10s %12s %12s %9s %12s\n", "round", "run (s)", "pauses", "bare walk", "own cost", "of walk", "its count"
    for (i = 1; i <= NR; i++) print line[i]
    for (i = 1; i <= NR; i++) for (j = i + 1; j <= NR; j++) if (ratio[j] < ratio[i]) { t = ratio[i]; ratio[i] = ratio[j]; ratio[j] = t }
    printf "  median: the run costs %.1f%% beyond the bare DeleteFileW walk and its fixed pauses\n", ratio[int((NR + 1) / 2)]
  }' "$results"
