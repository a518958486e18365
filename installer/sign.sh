#!/usr/bin/env bash
# Signs the Windows program or setup it is given, in place, with the code-signing certificate
# that TV_SIGN_PKCS12 names (a PKCS#12 file; its password in TV_SIGN_PASSWORD). A timestamp
# server is asked only when TV_SIGN_TIMESTAMP_URL names one; without it the signing time is
# SOURCE_DATE_EPOCH, so that the same sources still give the same bytes.
set -euo pipefail
file=$1
: "${TV_SIGN_PKCS12:?names the PKCS#12 file to sign with}"
# The password goes through a file of our own, never the command line others can read.
secret=$(mktemp)
trap 'rm -f "$secret" "$file.signing"' EXIT
chmod 600 "$secret"
printf '%s' "${TV_SIGN_PASSWORD:-}" >"$secret"
args=(sign -pkcs12 "$TV_SIGN_PKCS12" -readpass "$secret" -h sha256 -n "Tarmel Veilo")
if [ -n "${TV_SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$TV_SIGN_TIMESTAMP_URL")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  args+=(-time "$SOURCE_DATE_EPOCH")
fi
osslsigncode "${args[@]}" -in "$file" -out "$file.signing" >/dev/null
mv "$file.signing" "$file"
