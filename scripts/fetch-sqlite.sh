#!/usr/bin/env bash
# The SQLite that the Windows build compiles in: the amalgamation made from Debian's own
# source package (Debian's fixes applied), fetched with a sources list of the build's own so
# that the machine's apt set-up is never changed. Does nothing when it is already there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/deps/sqlite"
[ -s "$out/sqlite3.c" ] && [ -s "$out/sqlite3.h" ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
cat >"$work/sources.list" <<LIST
deb-src http://deb.debian.org/debian $suite main
deb-src http://deb.debian.org/debian-security $suite-security main
LIST
apt_own=(-q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User=root)
echo "Fetching Debian's sqlite3 source package"
apt-get "${apt_own[@]}" update >/dev/null
(cd "$work" && apt-get "${apt_own[@]}" source sqlite3 >/dev/null 2>&1)
source_dir=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
[ -n "$source_dir" ] || { echo "no sqlite3 source tree was unpacked" >&2; exit 1; }

echo "Making the SQLite amalgamation"
mkdir -p "$work/make"
(cd "$work/make" && "$source_dir/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
mkdir -p "$out.partial"
cp "$work/make/sqlite3.c" "$work/make/sqlite3.h" "$out.partial/"
cp "$source_dir/VERSION" "$out.partial/VERSION"
rm -rf "$out" && mv "$out.partial" "$out"
echo "SQLite $(cat "$out/VERSION") ready in $out"
