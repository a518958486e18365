#!/usr/bin/env bash
# Builds TarmVeilon.exe and runs it under Wine in a sandbox prefix inside build/ (never the
# user's own), seeded with sample traces so that the file counts and the cleaning show
# something. Uses the user's display when there is one; otherwise a virtual one, on which it
# waits for the main window, saves a screenshot, says where, and stops the program.
#
# Overrides: TV_BUILD_DIR (build folder, default build/windows), TV_WINEPREFIX (default
# build/run-prefix), TV_SCREENSHOT (default <build folder>/main-window.png).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh

build=${TV_BUILD_DIR:-$root/build/windows}
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target TarmVeilon
program="$build/TarmVeilon.exe"

export WINEPREFIX=${TV_WINEPREFIX:-$root/build/run-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine's recycle bin is the Unix user's trash: the sandbox keeps one of its own.
export XDG_DATA_HOME="$root/build/xdg-data"
screenshot=${TV_SCREENSHOT:-$build/main-window.png}

virtual=0
[ -n "${DISPLAY:-}" ] || virtual=1
# shellcheck source=scripts/virtual-display.sh
source scripts/virtual-display.sh
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the sandbox Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi

# Where this prefix keeps a shell folder, as a Unix path.
shell_folder() {
  local windows
  windows=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v "$1" 2>/dev/null |
            tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
  [ -n "$windows" ] && winepath -u "$windows" 2>/dev/null
}
plant() { # folder, count, name prefix
  mkdir -p "$1"
  for i in $(seq 1 "$2"); do printf 'sample trace %s\n' "$i" >"$1/$3$i.txt"; done
}

echo "Seeding sample traces"
cache=$(shell_folder Cache)
cookies=$(shell_folder Cookies)
temp=$(winepath -u "$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
[ -n "$cache" ] && [ -n "$cookies" ] && [ -n "$temp" ] || { echo "cannot find the prefix's folders" >&2; exit 1; }
plant "$cache/Content.IE5/SAMPLE01" 6 page
plant "$cache/Content.IE5/SAMPLE02" 3 image
plant "$cookies" 4 "user@site"
plant "$temp" 7 "~tv"
plant "$temp/tv-sample-setup" 5 part
key='HKCU\Software\Microsoft\Internet Explorer\TypedURLs'
wine reg add "$key" /v url1 /d "http://www.actualites.example/" /f >/dev/null 2>&1
wine reg add "$key" /v url2 /d "http://meteo.example/paris" /f >/dev/null 2>&1
wine reg add "$key" /v url3 /d "http://www.banque.example/compte" /f >/dev/null 2>&1
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU'
wine reg add "$key" /v a /d 'notepad\1' /f >/dev/null 2>&1
wine reg add "$key" /v b /d 'regedit\1' /f >/dev/null 2>&1
wine reg add "$key" /v MRUList /d 'ba' /f >/dev/null 2>&1
echo "  $(find "$cache" "$cookies" -type f | wc -l) files in the browser's cache and cookies, $(find "$temp" -type f | wc -l) in the temporary folder"

if [ "$virtual" = 1 ]; then
  # No window manager on a virtual display: the program draws its own title bars there.
  wine reg add 'HKCU\Software\Wine\AppDefaults\TarmVeilon.exe\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi

echo "Starting $program"
wine "$program" &
pid=$!

if [ "$virtual" = 1 ]; then
  for _ in $(seq 120); do
    xdotool search --onlyvisible --name '^Tarmel veilo 2' >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its main window appeared" >&2; exit 1; }
    sleep 0.5
  done
  xdotool search --onlyvisible --name '^Tarmel veilo 2' >/dev/null 2>&1 || { echo "no main window after 60 s" >&2; exit 1; }
  sleep 1 # let it paint
  import -window root "$screenshot"
  echo "No display here: the program ran on a virtual one. Screenshot of its main window: $screenshot"
else
  wait "$pid" || true
fi
