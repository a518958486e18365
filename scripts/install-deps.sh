#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and the machine
# lacks. Safe to run again: it installs nothing that is already there.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev googletest g++-mingw-w64-x86-64-posix
          wine wine64 xvfb x11-utils xdotool imagemagick
          nsis osslsigncode openssl zip unzip
          libsqlite3-dev sqlite3 nlohmann-json3-dev dpkg-dev tcl xz-utils make gcc)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Windows build's SQLite, made from Debian's source package (needs the tools above).
"$(dirname "${BASH_SOURCE[0]}")/fetch-sqlite.sh"
