#!/usr/bin/env bash
# Packs a built TarmVeilon.exe and its console twin TarmVeilonCmd.exe (built beside it) for
# Windows users, into the output folder:
#   TarmVeilon-<version>-setup.exe     the per-user setup (installer/TarmVeilon.nsi)
#   TarmVeilon-<version>-portable.zip  the stripped programs and LISEZMOI.txt
#   SHA256SUMS                         for both, and for the two programs they hold
# The version is the program's own, read from its version record. The same inputs give the
# same bytes: every date inside is SOURCE_DATE_EPOCH (the last commit's time when unset).
# With TV_SIGN_PKCS12 set, the programs, the setup and its uninstaller are signed (sign.sh).
#
# Usage: installer/package.sh <TarmVeilon.exe> <output folder>
# The output folder must be new, empty or one this script filled before: it never writes over
# files it did not make.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
source "$root/scripts/scratch-folder.sh"
program=$(realpath "$1")
console="$(dirname "$program")/TarmVeilonCmd.exe"
[ -f "$console" ] || { echo "no TarmVeilonCmd.exe beside $program" >&2; exit 1; }
scratch_folder "$2"
out=$(realpath "$2")

file_version() { sed -n 's/^[[:space:]]*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$1"; }
version=$(file_version "$root/resources/TarmVeilon.rc")
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no FileVersion in resources/TarmVeilon.rc" >&2; exit 1; }
[ "$(file_version "$root/console/TarmVeilonCmd.rc")" = "$version" ] ||
  { echo "console/TarmVeilonCmd.rc does not carry the version $version of resources/TarmVeilon.rc" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || stat -c %Y "$root/resources/TarmVeilon.rc")}
setup="TarmVeilon-$version-setup.exe" portable="TarmVeilon-$version-portable.zip"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
rm -f "$out/$setup" "$out/$portable" "$out/SHA256SUMS" # the last packing's, of this version
x86_64-w64-mingw32-strip -o "$stage/TarmVeilon.exe" "$program"
x86_64-w64-mingw32-strip -o "$stage/TarmVeilonCmd.exe" "$console"
# Read by Notepad on every Windows it runs on: UTF-8 with its mark, CRLF line ends.
{ printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$here/LISEZMOI.txt"; } >"$stage/LISEZMOI.txt"

sign=()
if [ -n "${TV_SIGN_PKCS12:-}" ]; then
  "$here/sign.sh" "$stage/TarmVeilon.exe"
  "$here/sign.sh" "$stage/TarmVeilonCmd.exe"
  sign=("-DSIGN=$here/sign.sh")
  echo "Signing with $TV_SIGN_PKCS12"
else
  echo "No TV_SIGN_PKCS12: the programs and their setup are not signed"
fi
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

makensis -V2 -NOCD -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSTAGE=$stage" "-DICON=$root/resources/artwork/TarmVeilon.ico" \
  "-DOUTFILE=$out/$setup" "${sign[@]}" "$here/TarmVeilon.nsi" >/dev/null
# Dates in a zip are local times: UTC makes them SOURCE_DATE_EPOCH everywhere; -X leaves out
# the Unix owners and times.
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$portable" TarmVeilon.exe TarmVeilonCmd.exe LISEZMOI.txt)
touch -d "@$SOURCE_DATE_EPOCH" "$out/$setup" "$out/$portable"
# The downloads, then the programs as both of them ship them: a copy taken out of the zip or
# the installation folder (a fleet's deployment) is checked against the same list.
(cd "$out" && sha256sum "$setup" "$portable" >SHA256SUMS)
(cd "$stage" && sha256sum TarmVeilon.exe TarmVeilonCmd.exe >>"$out/SHA256SUMS")
for f in "$setup" "$portable" SHA256SUMS; do printf '%10d  %s\n' "$(stat -c %s "$out/$f")" "$out/$f"; done
