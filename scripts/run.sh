#!/usr/bin/env bash
# Builds TarmVeilon.exe and runs it under Wine in a sandbox prefix inside build/ (never the
# user's own), seeded with sample traces so that the file counts and the cleaning show
# something: every target of a cleaning run holds a trace (tick both "Nettoyage complet" boxes,
# click Start and watch each stage pass). Uses the user's display when there is one;
# otherwise a virtual one, on which it waits for the main window, saves a screenshot, then
# runs a whole cleaning as a user would (both boxes, Start, Yes, Yes), saves a screenshot
# during it and one after it, says where, and stops the program.
#
# Overrides: TV_BUILD_DIR (build folder, default build/windows), TV_WINEPREFIX (default
# build/run-prefix), TV_SCREENSHOT (default <build folder>/main-window.png; the run's
# pictures go beside it as run-during.png and run-after.png).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/scratch-folder.sh
# The run below empties the prefix's folders and its recycle bin: only a prefix of our own.
scratch_folder "${TV_WINEPREFIX:-$root/build/run-prefix}"
scratch_folder "$root/build/xdg-data"
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
# The other targets of a run: history, recent documents, the media player's and the office
# suite's lists, the stored form data and the recycle bin.
history=$(shell_folder History)
recent=$(shell_folder Recent)
[ -n "$history" ] && plant "$history/History.IE5/MSHist01" 4 visit
[ -n "$recent" ] && plant "$recent" 5 "document"
for list in RecentFileList RecentURLList; do
  wine reg add "HKCU\Software\Microsoft\MediaPlayer\Player\\$list" /v File0 /d 'C:\users\Public\Music\chanson.mp3' /f >/dev/null 2>&1
done
for version in 8.0 9.0 10.0; do
  wine reg add "HKCU\Software\Microsoft\Office\\$version\Word\Data" /v Settings /t REG_BINARY /d 00ff00ff /f >/dev/null 2>&1
done
for key in '8.0\Excel\Recent Files' '8.0\Excel\Recent File List' '9.0\Excel\Recent Files' '10.0\Excel\Recent Files' \
           '8.0\Powerpoint\Recent File List' '9.0\Powerpoint\Recent File List'; do
  wine reg add "HKCU\Software\Microsoft\Office\\$key" /v File1 /d 'C:\users\Public\Documents\budget' /f >/dev/null 2>&1
done
user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')
wine reg add "HKLM\Software\Microsoft\Protected Storage System Provider\\$user\Data\e161255a-37c3-11d2-bcaa-00c04fd929db\forms" \
  /v adresse /d 'rue des exemples' /f >/dev/null 2>&1
# A profile of today's browser: its history, cookies and form entries made from the browser's
# own schemas, a cache, and its bookmarks, which stay.
local_data=$(shell_folder "Local AppData")
if [ -n "$local_data" ]; then
  profile="$local_data/Google/Chrome/User Data/Default"
  mkdir -p "$profile/Network" "$profile/Cache/Cache_Data"
  schemas="$root/tests/data/chromium"
  make_db() { rm -f "$1"; { cat "$schemas/$2.sql"; echo "$3"; } | sqlite3 "$1"; }
  make_db "$profile/History" History "INSERT INTO urls VALUES(1,'http://www.actualites.example/','Actualités',3,1,13300000000000000,0);
INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,13300000000000000,1);"
  make_db "$profile/Network/Cookies" Cookies "INSERT INTO cookies VALUES(1,'.actualites.example','','sid','v',x'','/',0,1,1,1,1,1,1,0,2,443,1,0,0);"
  make_db "$profile/Web Data" "Web Data" "INSERT INTO autocomplete(name,value,value_lower) VALUES('q','météo paris','météo paris');"
  printf '{}' >"$profile/Preferences"
  printf '{"roots":{"bookmark_bar":{"type":"folder","children":[{"type":"url","name":"Banque","url":"https://www.banque.example/"}]}},"version":1}' >"$profile/Bookmarks"
  plant "$profile/Cache/Cache_Data" 8 "f_00000"
fi
mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
printf 'vieux brouillon\n' >"$XDG_DATA_HOME/Trash/files/brouillon.txt"
printf '[Trash Info]\nPath=/tmp/brouillon.txt\nDeletionDate=2024-01-01T10:00:00\n' >"$XDG_DATA_HOME/Trash/info/brouillon.txt.trashinfo"
echo "  $(find "$cache" "$cookies" -type f | wc -l) files in the browser's cache and cookies, $(find "$temp" -type f | wc -l) in the temporary folder, and traces in every other target"

if [ "$virtual" = 1 ]; then
  # No window manager on a virtual display: the program draws its own title bars there.
  wine reg add 'HKCU\Software\Wine\AppDefaults\TarmVeilon.exe\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi

# A whole cleaning run driven with the mouse and keyboard, as a user would on this display.
run_cleaning() {
  local window border top WINDOW X Y WIDTH HEIGHT SCREEN
  window=$(xdotool search --onlyvisible --name '^Tarmel veilo 2' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The frame Wine draws around the 586 x 422 client area.
  border=$(((WIDTH - 586) / 2)) top=$((HEIGHT - 422 - (WIDTH - 586) / 2))
  at() { xdotool mousemove $((X + border + $1)) $((Y + top + $2)) click 1; sleep 0.3; }
  at 36 297  # the Internet group's "Nettoyage complet"
  at 320 300 # the desktop group's
  at 537 370 # Start
  answer_yes 'full-wipe question'
  sleep 3
  import -window root "${screenshot%.png}-run-during.png"
  answer_yes 'start-page offer' 120
  for _ in $(seq 40); do xdotool search --onlyvisible --name '^Page de d' >/dev/null 2>&1 && break; sleep 0.5; done
  sleep 2 # the closing pause and the summary
  import -window root "${screenshot%.png}-run-after.png"
  echo "A whole cleaning run: $(dirname "$screenshot")/$(basename "${screenshot%.png}")-run-during.png and -run-after.png"
}
# Waits for a "Confirm" box and answers Yes, its default button.
answer_yes() {
  local box
  for _ in $(seq $((${2:-30} * 2))); do
    box=$(xdotool search --onlyvisible --name '^Confirm$' 2>/dev/null | head -n 1) && [ -n "$box" ] && break
    sleep 0.5
  done
  [ -n "$box" ] || { echo "no $1 came up" >&2; return 1; }
  sleep 0.5
  xdotool key Return
  sleep 0.5
}

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
  run_cleaning
else
  wait "$pid" || true
fi
