#!/usr/bin/env bash
# Signs the stand-in upgrade installer in place as the release signs (scripts/signing.sh),
# so the program built to pin that key opens it.
#   sign-fake-installer.sh SOURCE_DIR INSTALLER
set -euo pipefail
ROOT=$1
source "$ROOT/scripts/signing.sh"
sign_file "$2"
