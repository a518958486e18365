#!/usr/bin/env bash
# Builds what a Windows user downloads, into build/release/: the per-user setup, the portable
# zip and their SHA256SUMS (see installer/package.sh). The program is built from the windows
# preset in a folder of its own, without the link time or the source folder in it, so that the
# same sources give the same bytes.
#
# To sign the program, the setup and its uninstaller: TV_SIGN_PKCS12 names a PKCS#12 file,
# TV_SIGN_PASSWORD holds its password, and TV_SIGN_TIMESTAMP_URL a timestamp server if one
# is to be asked. Without TV_SIGN_PKCS12 everything is built unsigned, and it says so.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh

build="$root/build/release-obj"
cmake --preset windows -B "$build" -DTV_BUILD_TESTS=OFF \
  "-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$root/=" "-DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp" >/dev/null
cmake --build "$build" --target TarmVeilon TarmVeilonCmd
installer/package.sh "$build/TarmVeilon.exe" "$root/build/release"
