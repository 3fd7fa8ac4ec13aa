#!/usr/bin/env bash
# Signs the stand-in upgrade installer in place as the release signs (scripts/signing.sh),
# so the program built to pin that certificate opens it.
#   sign-fake-installer.sh SOURCE_DIR INSTALLER
set -euo pipefail
ROOT=$1
source "$ROOT/scripts/signing.sh"
osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -in "$2" -out "$2.signed" >/dev/null
mv "$2.signed" "$2"
