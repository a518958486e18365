#!/usr/bin/env bash
# Runs the gallery under Wine: gallery.sh <gallery.exe> <folder>. On a virtual display
# there is no window manager: Wine is asked to draw the frames itself and to manage the
# windows alone (otherwise every hide waits two seconds for a manager that never answers).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
for value in Decorated Managed; do
  "$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v $value /d N /f >/dev/null 2>&1
done
exec "$here/scripts/wine-run.sh" "$1" "$2"
