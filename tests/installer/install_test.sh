#!/usr/bin/env bash
# The packed program as a Windows user gets it, under Wine in a prefix made afresh: packs it
# signed with a throw-away certificate, installs silently, checks the files (the console twin
# too, which lists its tasks, and the scheduled task that the uninstaller removes), the shortcut and
# the uninstall entry, installs again over it, refuses a second installation elsewhere, keeps
# everything while the program runs, starts the program from its shortcut, removes it silently
# and finds nothing left; then installs into folders of the user's, never over a file of theirs,
# and starts the portable program.
#
# Usage: install_test.sh <TarmVeilon.exe> <work folder>   (needs a display, as the other tests)
# The work folder must be new, empty or this test's own from an earlier run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/scratch-folder.sh"
program=$(realpath "$1")
scratch_folder "$2"
work=$(realpath "$2")
# What an earlier run left, by name: nothing else in the folder is touched.
rm -rf "${work:?}"/{prefix,xdg-data,release,portable} "$work"/{key.pem,cert.pem,cert.p12,task.xml} "$work"/*.png
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# Wine's recycle bin is the Unix user's trash, and its menu builder writes to the user's own
# menus: the test keeps both to itself.
export XDG_DATA_HOME="$work/xdg-data" WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The prefix is made while the packing runs: it is most of the test's time.
(
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  for value in Decorated Managed; do # no window manager on the virtual display
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >/dev/null 2>&1
  done
  wineserver -w
) &
prefix_made=$!

echo "[${SECONDS}s] Packing, signed with a throw-away certificate"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarmel Veilo essai" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:essai
TV_SIGN_PKCS12="$work/cert.p12" TV_SIGN_PASSWORD=essai "$root/installer/package.sh" "$program" "$work/release" >/dev/null
(cd "$work/release" && sha256sum --quiet -c --ignore-missing SHA256SUMS) || fail "SHA256SUMS does not match"
for f in TarmVeilon.exe TarmVeilonCmd.exe; do grep -q "  $f\$" "$work/release/SHA256SUMS" || fail "SHA256SUMS does not list $f"; done
setup=$(echo "$work"/release/TarmVeilon-*-setup.exe)
version=${setup##*/TarmVeilon-}; version=${version%-setup.exe}
signed() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1 | grep -q "Signature verification: ok" || fail "$2 is not signed"; }
signed "$setup" "the setup"
unzip -q "$work"/release/TarmVeilon-*-portable.zip -d "$work/portable"
signed "$work/portable/TarmVeilon.exe" "the portable program"
signed "$work/portable/TarmVeilonCmd.exe" "the portable console program"
(cd "$work/portable" && sha256sum --quiet -c --ignore-missing "$work/release/SHA256SUMS") ||
  fail "the programs in the zip are not the ones SHA256SUMS lists"

wait "$prefix_made"
{ read -r local_appdata; read -r appdata; read -r profile; } < <(wine cmd /c 'echo %LOCALAPPDATA%&echo %APPDATA%&echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
dir="$local_appdata\\Programs\\Tarmel Veilo"
dir_unix=$(winepath -u "$dir" 2>/dev/null)
shortcut=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Tarmel Veilo.lnk" 2>/dev/null)
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarmelVeilo'
declare -A entry
read_entry() {
  entry=()
  local line re='^ +([A-Za-z]+) +REG_[A-Z_]+ +(.*)$'
  while IFS= read -r line; do
    if [[ "$line" =~ $re ]]; then entry[${BASH_REMATCH[1]}]=${BASH_REMATCH[2]}; fi
  done < <(wine reg query "$key" 2>/dev/null | tr -d '\r')
}
install() { wine "$setup" /S || fail "the silent setup failed"; wineserver -w; }

echo "[${SECONDS}s] Installing"
install
for f in TarmVeilon.exe TarmVeilonCmd.exe LISEZMOI.txt uninstall.exe; do [ -f "$dir_unix/$f" ] || fail "$f not installed"; done
for f in TarmVeilon.exe TarmVeilonCmd.exe; do
  cmp -s "$dir_unix/$f" "$work/portable/$f" || fail "the installed $f is not the packed one"
done
listed=$(wine "$dir_unix/TarmVeilonCmd.exe" list 2>&1) || fail "the installed TarmVeilonCmd.exe list failed: $listed"
grep -q "^temp  *Dossier temporaire" <<<"${listed//$'\r'/}" || fail "TarmVeilonCmd.exe list does not list its tasks: $listed"
signed "$dir_unix/uninstall.exe" "the uninstaller"
[ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut"
# The link keeps its target's path as text.
grep -aqF "$dir\\TarmVeilon.exe" "$shortcut" || fail "the shortcut does not lead to $dir\\TarmVeilon.exe"
read_entry
expect() { local got=${entry[$1]:-}; [ "$got" = "$2" ] || fail "uninstall entry $1 is '$got', not '$2'"; }
expect DisplayName "Tarmel Veilo"
expect DisplayVersion "$version"
expect Publisher "Tarmel Veilo"
expect DisplayIcon "$dir\\TarmVeilon.exe,0"
expect InstallLocation "$dir"
expect UninstallString "\"$dir\\uninstall.exe\""
expect QuietUninstallString "\"$dir\\uninstall.exe\" /S"
size=$((entry[EstimatedSize]))
(( size > 100 && size < 10000 )) || fail "EstimatedSize is $size KB"

echo "[${SECONDS}s] Installing over it"
touch -d 2001-01-01 "$dir_unix/TarmVeilon.exe"
install
[ "$(stat -c %Y "$dir_unix/TarmVeilon.exe")" != "$(date -d 2001-01-01 +%s)" ] || fail "the second install left the old program"
read_entry
[ "${entry[InstallLocation]:-}" = "$dir" ] || fail "the second install lost the uninstall entry"

echo "[${SECONDS}s] A second installation into another folder"
elsewhere=$(winepath -u "$profile\\Ailleurs" 2>/dev/null)
if wine "$setup" /S "/D=$profile\\Ailleurs"; then fail "a second installation into another folder reported success"; fi
wineserver -w
[ ! -e "$elsewhere/TarmVeilon.exe" ] || fail "a second installation put the program into another folder"
read_entry
[ "${entry[InstallLocation]:-}" = "$dir" ] || fail "a second installation elsewhere took the uninstall entry"

# Starts a program the way given, waits for its main window and keeps a picture of the screen.
starts() {
  local picture=$1; shift
  "$@" >/dev/null 2>&1 &
  # The first search that finds it is the answer: a second one, made just after, was seen
  # to fail while windows came and went.
  local shown=0
  for _ in $(seq 120); do
    if xdotool search --onlyvisible --name '^Tarmel veilo 2' >/dev/null 2>&1; then shown=1; break; fi
    sleep 0.5
  done
  [ "$shown" = 1 ] || fail "no main window from $*"
  sleep 1 # let it paint
  import -window root "$work/$picture"
}
stop_all() { wineserver -k; wineserver -w; }
echo "[${SECONDS}s] Starting it from its shortcut"
starts installed.png wine start /unix "$shortcut"
stop_all


echo "[${SECONDS}s] Removing it, and its scheduled task"
# A task of the program's name, made with schtasks (Wine's Task Scheduler keeps no command of a
# task registered through its interface, and TarmVeilonCmd schedule takes such a task away).
task_file="$WINEPREFIX/drive_c/windows/system32/tasks/Tarmel Veilo"
printf '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Actions Context="Author"><Exec><Command>"%s"</Command><Arguments>clean temp</Arguments></Exec></Actions></Task>' \
  "$dir\TarmVeilonCmd.exe" | { printf '\xff\xfe'; iconv -f utf-8 -t utf-16le; } >"$work/task.xml"
wine schtasks /create /tn "Tarmel Veilo" /xml "$(winepath -w "$work/task.xml" 2>/dev/null)" >/dev/null 2>&1 ||
  fail "schtasks could not make the task to remove"
[ -f "$task_file" ] || fail "schtasks made no task file at $task_file"
wine "$dir_unix/uninstall.exe" /S || fail "the silent uninstall failed"
wineserver -w # it goes on from a copy of itself
[ ! -e "$dir_unix" ] || fail "left behind: $(find "$dir_unix")"
[ ! -e "$task_file" ] || fail "the uninstaller left the scheduled task"
[ ! -e "$shortcut" ] || fail "the shortcut is left"
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is left"

echo "[${SECONDS}s] Removing it from a folder the user already had"
mine=$(winepath -u "$profile\\MesOutils" 2>/dev/null)
mkdir -p "$mine" && echo "à garder" >"$mine/notes.txt"
mine_windows=$(winepath -w "$mine" 2>/dev/null)
wine "$setup" /S "/D=$mine_windows" || fail "the setup into an existing folder failed"
wineserver -w
[ -f "$mine/TarmVeilon.exe" ] || fail "not installed into the folder chosen"

echo "[${SECONDS}s] Removing it while it runs"
starts running.png wine "$mine/TarmVeilon.exe"
# "_?=" runs the uninstaller where it is, not from a copy, so its answer is the one awaited;
# it takes no quotes, so no blank in the folder's name.
[[ "$mine_windows" != *" "* ]] || fail "the profile folder $profile has a blank in its name"
if wine "$mine/uninstall.exe" /S "_?=$mine_windows"; then fail "the silent uninstall while the program runs reported success"; fi
wine "$mine/uninstall.exe" "_?=$mine_windows" >/dev/null 2>&1 &
uninstaller=$!
box=
for _ in $(seq 60); do
  box=$(xdotool search --onlyvisible --name 'sinstallation de Tarmel Veilo' 2>/dev/null | head -n 1) && [ -n "$box" ] && break
  sleep 0.5
done
[ -n "$box" ] || fail "the uninstall while the program runs said nothing"
sleep 0.5
import -window root "$work/uninstall-refused.png"
xdotool key Return
wait "$uninstaller" && fail "the uninstall while the program runs reported success"
for f in TarmVeilon.exe TarmVeilonCmd.exe LISEZMOI.txt uninstall.exe; do [ -f "$mine/$f" ] || fail "$f removed while the program ran"; done
[ -f "$shortcut" ] || fail "the shortcut removed while the program ran"
wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry removed while the program ran"
stop_all
wine "$mine/uninstall.exe" /S || fail "the silent uninstall failed"
wineserver -w
[ "$(ls "$mine")" = notes.txt ] || fail "the uninstall from the user's folder left $(ls "$mine"), not only notes.txt"

echo "[${SECONDS}s] Installing into a folder that holds a LISEZMOI.txt of the user's"
theirs=$(winepath -u "$profile\\Perso" 2>/dev/null)
mkdir -p "$theirs" && echo "mes notes" >"$theirs/LISEZMOI.txt"
if wine "$setup" /S "/D=$profile\\Perso"; then fail "the setup over the user's LISEZMOI.txt reported success"; fi
wineserver -w
[ "$(cat "$theirs/LISEZMOI.txt")" = "mes notes" ] || fail "the user's LISEZMOI.txt was replaced"
[ "$(ls "$theirs")" = LISEZMOI.txt ] || fail "the refused setup left $(ls "$theirs")"
wine reg query "$key" >/dev/null 2>&1 && fail "the refused setup wrote an uninstall entry"

echo "[${SECONDS}s] Starting the portable program"
starts portable.png wine "$work/portable/TarmVeilon.exe"
stop_all
echo "[${SECONDS}s] The program's main window, installed and portable: $work/installed.png $work/portable.png"
