#!/usr/bin/env bash
# The test command: installs what is missing, builds both presets, and runs every test:
# the host unit tests (with sanitizers), then the Windows tests under Wine on a virtual
# display, in a throw-away Wine prefix inside the build folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/scratch-folder.sh
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's recycle bin is the Unix user's trash: the sandbox keeps one of its own.
export XDG_DATA_HOME="$root/build/xdg-data"
scratch_folder "$WINEPREFIX"
scratch_folder "$XDG_DATA_HOME"
scripts/install-deps.sh
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${TV_XVFB_PID:-}" ] && kill "$TV_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

cmake --preset host
cmake --build --preset host
ctest --preset host --timeout 120

cmake --preset windows
cmake --build --preset windows

# The program starts on Windows 7 and later: what only later systems have is looked up at run
# time, so the import table must not name it.
for program in TarmVeilon.exe TarmVeilonCmd.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "build/windows/$program")
  grep -q "DLL Name: KERNEL32.dll" <<<"$imports" || { echo "no import table read from $program" >&2; exit 1; }
  for name in SetProcessDpiAwarenessContext GetDpiForWindow AdjustWindowRectExForDpi; do
    if grep -qw "$name" <<<"$imports"; then
      echo "$program imports $name, which Windows before 10 does not have" >&2
      exit 1
    fi
  done
done
# The console twin is a console program that never opens a window nor a box of its own.
imports=$(x86_64-w64-mingw32-objdump -p build/windows/TarmVeilonCmd.exe)
grep -q "^Subsystem.*(Windows CUI)" <<<"$imports" || { echo "TarmVeilonCmd.exe is not a console program" >&2; exit 1; }
for name in CreateWindowExW CreateWindowExA MessageBoxW MessageBoxA MessageBoxIndirectW DialogBoxParamW; do
  if grep -qw "$name" <<<"$imports"; then
    echo "TarmVeilonCmd.exe imports $name: it must never show a window" >&2
    exit 1
  fi
done

source scripts/virtual-display.sh
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
# A virtual display has no window manager: Wine draws the frames itself, and does not wait
# for one (two seconds on every hidden window otherwise).
for value in Decorated Managed; do
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /d N /f >/dev/null 2>&1
done
# The tests start from a prefix at rest: with the server of those calls still running, the
# first creation of the browser's history store was seen to hang in a new prefix.
wineserver -w
ctest --preset windows --timeout 600
