#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's throw-away prefix (never the user's own).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$here/scripts/scratch-folder.sh"
export WINEPREFIX=${TV_WINEPREFIX:-$here/build/wineprefix}
scratch_folder "$WINEPREFIX"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
