#!/usr/bin/env bash
# ctest fixture installer_variants: the released setup and copies of it that the upgrade
# must refuse, in DEST: pinned.exe (as released), unsigned.exe (signature removed),
# other.exe (signed by a certificate of its own).
#   installer-variants.sh SETUP DEST
set -euo pipefail
setup=$1
dest=$2
rm -rf "$dest"
mkdir -p "$dest"
cp "$setup" "$dest/pinned.exe"
osslsigncode remove-signature -in "$setup" -out "$dest/unsigned.exe" >/dev/null
openssl req -x509 -newkey rsa:2048 -sha256 -nodes -days 30 -subj "/CN=Someone else" \
  -keyout "$dest/other-key.pem" -out "$dest/other-cert.pem" 2>/dev/null
osslsigncode sign -certs "$dest/other-cert.pem" -key "$dest/other-key.pem" -h sha256 \
  -in "$dest/unsigned.exe" -out "$dest/other.exe" >/dev/null
ls -l "$dest"
