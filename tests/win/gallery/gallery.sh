#!/usr/bin/env bash
# Runs the gallery under Wine: gallery.sh <gallery.exe> <folder>. On a virtual display
# there is no window manager to draw the frames, so Wine is asked to draw them itself.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
"$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
exec "$here/scripts/wine-run.sh" "$1" "$2"
