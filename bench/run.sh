#!/usr/bin/env bash
# Builds and runs the folder-walk and start-up benchmarks under Wine, times the host's own
# find and rm -rf on identical trees, counts the Wine server's requests of every walk, and
# prints one table per tree shape, one of requests and one of start-up times.
#   bench/run.sh [build-folder]      (default build/windows; configured with the windows preset)
# Environment:
#   SHAPES       which trees, in order (default "deep wide")
#   DEEP, WIDE, ONE  "folders subfolders files-per-folder" (defaults "100 100 5", "100 0 500"
#                and "1 0 200000": one folder of 200,000 files)
#   COUNT_RUNS, PURGE_RUNS, STARTUP_RUNS   runs of each measure; the fastest is shown
#                (PURGE_RUNS=0: the counts only)
#   PARTS        what to measure (default "walks requests startup"; "memory" adds the peak
#                heap of the program's walks against bare walks on MEMORY_SHAPES, default
#                "deep wide one")
#   TV_WINEPREFIX  the Wine prefix (default <build-folder>/bench-prefix: its server is
#                  restarted to trace it, so it is the benchmark's own)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/scratch-folder.sh"
build=$(cd "${1:-$root/build/windows}" 2>/dev/null && pwd || echo "${1:-$root/build/windows}")
shapes=${SHAPES:-deep wide}
read -r -a deep <<<"${DEEP:-100 100 5}"
read -r -a wide <<<"${WIDE:-100 0 500}"
read -r -a one <<<"${ONE:-1 0 200000}"
count_runs=${COUNT_RUNS:-5} purge_runs=${PURGE_RUNS:-3} startup_runs=${STARTUP_RUNS:-5}
parts=${PARTS:-walks requests startup}
# Two small trees with the same folders and different files give the requests per folder
# and per file; tracing a large one would take longer than the walks themselves.
trace_small=(10 10 2) trace_large=(10 10 10)

export WINEPREFIX=${TV_WINEPREFIX:-$build/bench-prefix} TV_WINEPREFIX=${TV_WINEPREFIX:-$build/bench-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's recycle bin is the Unix user's trash: the benchmark keeps one of its own.
export XDG_DATA_HOME=$build/xdg-data
scratch_folder "$WINEPREFIX"
scratch_folder "$XDG_DATA_HOME"

[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target folder_bench startup_bench >/dev/null

if [ -z "${DISPLAY:-}" ]; then source "$root/scripts/virtual-display.sh"; fi

work=$(mktemp -d)
# Beside the Wine prefix, on the same file system: a folder of its own, made afresh.
host_root=$(mktemp -d "$build/bench-host.XXXXXX")
host_tree=$host_root/tree
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$host_root" "$work"
  [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the benchmark's Wine prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
# No window manager on a virtual display: Wine draws the frames and does not wait for one
# (two seconds on every hidden window otherwise), as in the tests.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  for value in Decorated Managed; do
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >/dev/null 2>&1
  done
  wineserver -w
fi

shape_of() { # name -> "folders subfolders files"
  case $1 in deep) echo "${deep[*]}" ;; wide) echo "${wide[*]}" ;; one) echo "${one[*]}" ;; *) echo "unknown shape $1" >&2; exit 2 ;; esac
}
wine_bench() { "$root/scripts/wine-run.sh" "$build/bench/$1.exe" "${@:2}" | tr -d '\r'; }
now() { date +%s.%N; }
fastest() { sort -g | head -n 1; }

# The same tree on the host, on the same file system as the Wine prefix's.
build_host_tree() { # folders subfolders files
  rm -rf "$host_tree"
  mkdir -p "$host_tree"
  (cd "$host_tree"
   local leaves=()
   for ((f = 0; f < $1; f++)); do
     if (($2 == 0)); then leaves+=("d$f"); else for ((s = 0; s < $2; s++)); do leaves+=("d$f/s$s"); done; fi
   done
   printf '%s\n' "${leaves[@]}" | xargs mkdir -p
   for leaf in "${leaves[@]}"; do for ((n = 0; n < $3; n++)); do echo "$leaf/file$n.tmp"; done; done | xargs touch)
}

host_walks() { # shape-name folders subfolders files
  local total=$(($3 > 0 ? $2 * $3 * $4 : $2 * $4)) times=() start end found
  build_host_tree "$2" "$3" "$4"
  for ((r = 0; r < count_runs; r++)); do
    start=$(now); found=$(find "$host_tree" -type f | wc -l); end=$(now)
    [ "$found" -eq "$total" ] || { echo "find counted $found, not $total" >&2; exit 1; }
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
  done
  echo "RESULT host_find $total $(printf '%s\n' "${times[@]}" | fastest)"
  ((purge_runs > 0)) || return 0
  times=()
  for ((r = 0; r < purge_runs; r++)); do
    [ -d "$host_tree" ] || build_host_tree "$2" "$3" "$4"
    start=$(now); rm -rf "$host_tree"; end=$(now)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
  done
  echo "RESULT host_rm $total $(printf '%s\n' "${times[@]}" | fastest)"
}

print_walks() { # shape-name results-file folders
  awk -v shape="$1" -v folders="$3" '
    $1 == "RESULT" { n[$2] = $3; t[$2] = $4 }
    $1 == "UNAVAILABLE" { for (i = 2; i <= NF; i++) missing = missing " " $i }
    function has(k) { return k in t }
    # A ratio of two measures; looking one up must not make it exist.
    function q(a, b) { return (a in t) && (b in t) && t[b] > 0 ? t[a] / t[b] : 0 }
    function row(label, k, note) {
      if (has(k)) printf "  %-44s %9.0f %9.3f   %s\n", label, n[k] / t[k], t[k], note
    }
    # A reference walk, with what the product takes against it.
    function versus(label, k, product) { row(label, k, sprintf("product takes %.2fx its time", q(product, k))) }
    function least(a, b, c, d,    best) {
      best = a; if (has(b) && (!has(best) || t[b] < t[best])) best = b
      if (has(c) && (!has(best) || t[c] < t[best])) best = c
      if (has(d) && (!has(best) || t[d] < t[best])) best = d
      return best
    }
    END {
      deep = shape == "deep"
      cf = least("count_bare_walk", "count_handle_idboth", "count_handle_full", "count_native")
      pf = least("purge_disposition", "purge_delete_on_close", "purge_posix_disposition", "purge_native")
      printf "\n%s tree: %d files in %d folders\n", toupper(substr(shape, 1, 1)) substr(shape, 2), n["count_product"], folders
      printf "  %-44s %9s %9s   %s\n", "Measure (fastest of the runs)", "files/s", "seconds", "ratio"
      printf " Counting\n"
      row("CountFiles (product, native pump)", "count_product",
          sprintf("%.2fx the cheapest bare walk (%s)%s", q("count_product", cf), cf, deep ? "; target <= 1.2x" : ""))
      row("CountFiles, no pump", "count_product_no_pump", "")
      row("8-bit walk, pump per file (baseline)", "count_baseline",
          sprintf("product %.1fx faster (target >= %dx)", q("count_baseline", "count_product"), deep ? 3 : 10))
      versus("bare FindFirstFileExW walk", "count_bare_walk", "count_product")
      versus("bare handle walk, FileIdBothDirectoryInfo", "count_handle_idboth", "count_product")
      versus("bare handle walk, FileFullDirectoryInfo", "count_handle_full", "count_product")
      versus("bare NtQueryDirectoryFile, relative opens", "count_native", "count_product")
      row("host find -type f", "host_find",
          sprintf("product %.1fx slower%s", q("count_product", "host_find"), deep ? "" : " (target <= 4x)"))
      printf " Purging\n"
      row("PurgeFolder (product, native bar)", "purge_product",
          sprintf("%.2fx the cheapest bare purge (%s)", q("purge_product", pf), pf))
      row("PurgeFolder, no pump, no progress", "purge_product_no_pump",
          sprintf("pump and progress cost %+.1f%%", 100 * (q("purge_product", "purge_product_no_pump") - 1)))
      row("bare DeleteFileW walk", "purge_bare_walk",
          sprintf("product %.2fx faster (target >= %.1fx)", q("purge_bare_walk", "purge_product"), deep ? 1.2 : 1.5))
      versus("DeleteFileW over a known list, no walk", "purge_bare_list", "purge_product")
      versus("handle walk, open + FileDispositionInfo", "purge_disposition", "purge_product")
      versus("handle walk, open delete-on-close", "purge_delete_on_close", "purge_product")
      versus("handle walk, POSIX disposition", "purge_posix_disposition", "purge_product")
      versus("NtOpenFile relative, delete-on-close", "purge_native", "purge_product")
      row("8-bit walk, pump per file (baseline)", "purge_baseline", sprintf("product %.1fx faster", q("purge_baseline", "purge_product")))
      row("host rm -rf", "host_rm", sprintf("product %.1fx slower", q("purge_product", "host_rm")))
      if (missing != "") printf "  not available on this system:%s\n", missing
      if (has("native_progress_setpos"))
        printf "  raw native progress control: %.0f us per PBM_SETPOS (the program sets the bar when it pumps)\n",
               1e6 * t["native_progress_setpos"] / n["native_progress_setpos"]
      if (has("purge_product_pumps") && n["purge_product_pumps"] > 0 && has("purge_product"))
        printf "  pumps in that purge: %d, %.2f ms each, %.1f%% of its time\n", n["purge_product_pumps"],
               1e3 * t["purge_product_pumps"] / n["purge_product_pumps"], 100 * t["purge_product_pumps"] / t["purge_product"]
      if (has("native_pump_with_bar"))
        printf "  one pump of the program after the bar moved: %.2f ms (what a walk pays at each of its pumps)\n",
               1e3 * t["native_pump_with_bar"] / n["native_pump_with_bar"]
    }' "$2"
}

# --- walks of the two shapes -----------------------------------------------------------------
if [[ " $parts " == *" walks "* ]]; then
  for shape in $shapes; do
    read -r f s n <<<"$(shape_of "$shape")"
    echo "Wine, $shape tree ($f x $s x $n) ..." >&2
    wine_bench folder_bench --folders "$f" --subfolders "$s" --files "$n" --count-runs "$count_runs" \
      --purge-runs "$purge_runs" | grep -E '^(RESULT|UNAVAILABLE)' >"$work/$shape"
    echo "Host, $shape tree: find and rm -rf ..." >&2
    host_walks "$shape" "$f" "$s" "$n" >>"$work/$shape"
    print_walks "$shape" "$work/$shape" $((f * (1 + s)))
  done
fi

# --- what the walks hold on the heap -----------------------------------------------------------
if [[ " $parts " == *" memory "* ]]; then
  : >"$work/memory"
  for shape in ${MEMORY_SHAPES:-deep wide one}; do
    read -r f s n <<<"$(shape_of "$shape")"
    echo "Wine, heap of the walks on the $shape tree ($f x $s x $n) ..." >&2
    wine_bench folder_bench --folders "$f" --subfolders "$s" --files "$n" --count-runs "$count_runs" \
      --purge-runs "$((purge_runs > 0 ? purge_runs : 1))" \
      --measures count_product,count_bare_walk,purge_product,purge_bare_walk |
      grep -E '^(RESULT|HEAP)' | sed "s/^/$shape $f $s /" >>"$work/memory"
  done
  awk '
    function size(b) { return b >= 1048576 ? sprintf("%.2f MiB", b / 1048576) : sprintf("%.1f KiB", b / 1024) }
    # <shape> <folders> <subfolders> RESULT <name> <files> <seconds> | ... HEAP <name> <bytes> <blocks>
    !($1 in seen) { seen[$1] = 1; order[++count] = $1 }
    $4 == "RESULT" { secs[$1, $5] = $7; if ($5 == "count_product") files[$1] = $6 }
    $4 == "HEAP" { heap[$1, $5] = $6; blocks[$1, $5] = $7 }
    END {
      printf "\nPeak heap of the walks: the most their own code held at once (the benchmark'"'"'s operator new\n"
      printf "counts it; the system'"'"'s buffers are not in it), the blocks the program'"'"'s walk took, and the\n"
      printf "seconds of the same runs\n"
      printf "  %-5s %7s %-6s %12s %11s %12s %8s %10s %9s\n", "tree", "files", "walk", "program", "bare walk",
             "above bare", "blocks", "program s", "bare s"
      for (i = 1; i <= count; i++) {
        t = order[i]
        for (w = 1; w <= 2; w++) {
          walk = w == 1 ? "count" : "purge"; p = walk "_product"; r = walk "_bare_walk"
          printf "  %-5s %7d %-6s %12s %11s %12s %8d %10.3f %9.3f\n", t, files[t], walk, size(heap[t, p]),
                 size(heap[t, r]), size(heap[t, p] - heap[t, r]), blocks[t, p], secs[t, p], secs[t, r]
        }
      }
      printf "  (target: at most 4 MiB above the bare walk at 200,000 entries)\n"
    }' "$work/memory"
fi

# --- the Wine server's requests of every walk ------------------------------------------------
# The server prints every request when a client asks it to: it is restarted for each trace so
# that it starts with this client and writes to this file. Each walk runs between two named
# events; the requests of the walking thread between them are its cost.
trace_requests() { # folders subfolders files -> "walk requests" lines
  wineserver -k >/dev/null 2>&1 || true
  WINEDEBUG=+server "$root/scripts/wine-run.sh" "$build/bench/folder_bench.exe" --folders "$1" --subfolders "$2" \
    --files "$3" --trace 1 >/dev/null 2>"$work/trace"
  wineserver -k >/dev/null 2>&1 || true
  awk '
    match($0, /name=L"tvbench-(begin|end)-[a-z_]+"/) {
      split(substr($0, RSTART + 15, RLENGTH - 16), mark, "-")
      if (mark[1] == "begin") { walk = mark[2]; tid = $1; next }
      walk = ""
    }
    walk != "" && $1 == tid && $2 ~ /^[a-z_0-9]+\($/ {
      requests[walk]++; kind = substr($2, 1, length($2) - 1); kinds[walk, kind]++; names[kind] = 1
    }
    END {
      for (w in requests) {
        line = w " " requests[w]
        for (k in names) if ((w, k) in kinds) line = line " " k ":" kinds[w, k]
        print line
      }
    }' "$work/trace"
}

if [[ " $parts " == *" requests "* ]]; then
  echo "Wine server requests: tracing two small trees ..." >&2
  trace_requests "${trace_small[@]}" >"$work/requests-small"
  trace_requests "${trace_large[@]}" >"$work/requests-large"
  small_files=$((trace_small[0] * trace_small[1] * trace_small[2]))
  large_files=$((trace_large[0] * trace_large[1] * trace_large[2]))
  trace_folders=$((trace_small[0] * (1 + trace_small[1])))
  # Seconds of every walk on the deep tree, when it was measured, for the cost of a request.
  deep_times=$(awk '$1 == "RESULT" {print $2, $4}' "$work/deep" 2>/dev/null || true)
  read -r df ds dn <<<"$(shape_of deep)"
  echo "$deep_times" >"$work/deep-times"
  awk -v sf="$small_files" -v lf="$large_files" -v folders="$trace_folders" -v probes=100 \
      -v dfiles=$((df * ds * dn)) -v dfolders=$((df * (1 + ds))) '
    FILENAME ~ /deep-times$/ { if (NF == 2) secs[$1] = $2; next }
    BEGIN {
      count = split("count_product count_product_no_pump count_baseline count_bare_walk count_handle_idboth " \
                    "count_handle_full count_native purge_product purge_product_no_pump purge_bare_walk " \
                    "purge_bare_list purge_disposition purge_delete_on_close purge_posix_disposition purge_native " \
                    "purge_baseline", order, " ")
    }
    FILENAME ~ /small$/ { small[$1] = $2; for (i = 3; i <= NF; i++) { split($i, kv, ":"); ks[$1, kv[1]] = kv[2]; seen[$1, kv[1]] = 1; kn[kv[1]] = 1 } next }
    { large[$1] = $2; for (i = 3; i <= NF; i++) { split($i, kv, ":"); kl[$1, kv[1]] = kv[2]; seen[$1, kv[1]] = 1; kn[kv[1]] = 1 } }
    END {
      printf "\nWine server requests of each walk (traced on %d folders with %d and with %d files)\n", folders, sf, lf
      printf "  %-24s %8s %8s %9s   %s\n", "walk", "/folder", "/file", "us/req", "requests by kind, per folder + per file"
      for (i = 1; i <= count; i++) {
        w = order[i]
        if (!(w in small) || !(w in large)) continue
        perFile = (large[w] - small[w]) / (lf - sf)
        perFolder = (small[w] - perFile * sf) / folders
        cost = (w in secs) ? sprintf("%9.1f", 1e6 * secs[w] / (perFolder * dfolders + perFile * dfiles)) : sprintf("%9s", "-")
        kinds = ""
        for (k in kn) if (seen[w, k]) {
          f1 = (kl[w, k] - ks[w, k]) / (lf - sf); f0 = (ks[w, k] - f1 * sf) / folders
          if (f0 >= 0.05 || f1 >= 0.005) kinds = kinds sprintf(" %s %.2f+%.2f", k, f0, f1)
        }
        printf "  %-24s %8.2f %8.3f %s  %s\n", w, perFolder, perFile, cost, kinds
      }
      printf "  (us/req: all of the walk'"'"'s seconds on the deep tree over the requests it makes there)\n"
      printf "  Single calls on a file, requests each (traced on %d files; the first query on a handle fetches its descriptor)\n", probes
      m = split("call_open_by_path call_open_relative call_attribute_tag call_final_path call_disposition", calls, " ")
      for (i = 1; i <= m; i++) {
        w = calls[i]
        if (!(w in small)) continue
        kinds = ""
        for (k in kn) if ((w, k) in ks) kinds = kinds sprintf(" %s %.2f", k, ks[w, k] / probes)
        printf "  %-24s %8.2f   %s\n", substr(w, 6), small[w] / probes, kinds
      }
    }' "$work/deep-times" "$work/requests-small" "$work/requests-large"
fi

# --- start-up with a large temporary folder --------------------------------------------------
if [[ " $parts " == *" startup "* ]]; then
  echo "Start-up of TarmVeilon.exe ..." >&2
  {
    wine_bench startup_bench --runs "$startup_runs" --label empty --folders 0
    for shape in $shapes; do
      read -r f s n <<<"$(shape_of "$shape")"
      wine_bench startup_bench --runs "$startup_runs" --label "$shape" --folders "$f" --subfolders "$s" --files "$n"
    done
  } | grep '^RESULT' >"$work/startup"
  awk '
    $1 == "RESULT" { n[$2] = $3; t[$2] = $4; if ($2 ~ /^startup_/) order[++count] = substr($2, 9) }
    END {
      printf "\nStart-up of TarmVeilon.exe until its main window shows (fastest of the runs; it pauses 1.0 s on creation)\n"
      printf "  %-30s %8s %9s %9s %12s\n", "temporary folder", "files", "splash", "main", "main-empty"
      for (i = 1; i <= count; i++) {
        k = order[i]
        printf "  %-30s %8d %8.3fs %8.3fs %11.3fs\n", k == "empty" ? "as it is" : k " tree planted", n["startup_" k],
               t["splash_" k], t["startup_" k], t["startup_" k] - t["startup_empty"]
      }
      printf "  (target: main window within 1.0 s + 0.5 s with 50,000 files on the wide tree; the times run\n"
      printf "   from the process start, Wine'"'"'s own start included, which the splash time shows)\n"
    }' "$work/startup"
fi
