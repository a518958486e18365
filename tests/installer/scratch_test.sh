#!/usr/bin/env bash
# The scripts pointed at a folder they did not make, one holding files of the user's: each
# refuses it, and every file stays as it was.
#
# Usage: scratch_test.sh <TarmVeilon.exe>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
program=$(realpath "$1")
theirs=$(mktemp -d)
trap 'rm -rf "$theirs"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$theirs/stage" "$theirs/Documents"
echo "à garder" >"$theirs/notes.txt"
echo "mes comptes" >"$theirs/Documents/comptes.txt"
echo "le mien" >"$theirs/stage/brouillon.txt"
snapshot() { (cd "$theirs" && find . -printf '%p %s %T@\n' | sort && find . -type f -exec sha256sum {} + | sort); }
before=$(snapshot)

refused() { # what, command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then fail "$what took a folder of the user's"; fi
  [ "$(snapshot)" = "$before" ] || fail "$what changed a folder of the user's"
}
refused "the packing" "$root/installer/package.sh" "$program" "$theirs"
refused "the setup test" "$root/tests/installer/install_test.sh" "$program" "$theirs"
refused "the Wine runner" env TV_WINEPREFIX="$theirs" "$root/scripts/wine-run.sh" cmd /c exit
refused "the sample run" env TV_WINEPREFIX="$theirs" "$root/scripts/run.sh"
refused "the benchmark" env TV_WINEPREFIX="$theirs" "$root/bench/run.sh" "$theirs"
echo "Every script refused $theirs and left it as it was"
