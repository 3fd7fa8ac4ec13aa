#!/usr/bin/env bash
# ctest fixture installer_variants: the released setup and copies of it signed otherwise,
# in DEST, each named after what the upgrade must do with it:
#   pinned.exe            as released (the publisher's key, timestamped)
#   unsigned.exe          signature removed
#   other-key.exe         a code-signing certificate of the test CA on another key
#   renewed.exe           a new certificate on the publisher's key
#   next-key.exe          a certificate on the next key, announced in the build's key set
#   not-code-signing.exe  the publisher's key in a certificate for TLS servers only
#   expired-stamped.exe   the publisher's key in a certificate of 2020 only, signed and
#                         timestamped in 2020 (faketime around the signing and the
#                         timestamping service; never around the program)
#   expired-unstamped.exe the same certificate, signed in 2020 without a timestamp
#   untrusted-ca.exe      the publisher's key, issued by a CA the system does not trust
#   installer-variants.sh SOURCE_DIR SETUP DEST
set -euo pipefail
ROOT=$1
setup=$2
dest=$3
source "$ROOT/scripts/signing.sh"
rm -rf "$dest"
mkdir -p "$dest"
cp "$setup" "$dest/pinned.exe"
osslsigncode remove-signature -in "$setup" -out "$dest/unsigned.exe" >/dev/null

# cert KEY NAME EXTENSIONS [CA CA_KEY]: a certificate for KEY issued now (or at the faked
# time) for a year by the test CA, or by CA.
cert() {
  local key=$1 name=$2 ext=$3 ca=${4:-$SIGN_CHAIN} cakey=${5:-$SIGN_DIR/test-ca-key.pem}
  openssl req -new -key "$key" -subj "/CN=Lumora test signing ($name)" -out "$dest/$name.csr" 2>/dev/null
  printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$ext" \
    >"$dest/$name.ext"
  openssl x509 -req -in "$dest/$name.csr" -CA "$ca" -CAkey "$cakey" -set_serial "0x$(openssl rand -hex 8)" \
    -days 365 -sha256 -extfile "$dest/$name.ext" -out "$dest/$name.pem" 2>/dev/null
  rm -f "$dest/$name.csr" "$dest/$name.ext"
}
# variant NAME CERT KEY [TIMESTAMP_URL [PREFIX...]]: the unsigned setup signed so, with
# the test CA (or VARIANT_CHAIN) as its chain, the signing run through PREFIX.
variant() {
  local name=$1 certfile=$2 key=$3 tsa=${4:-}
  shift $(($# < 4 ? $# : 4))
  local args=(-certs "$certfile" -key "$key" -h sha256 -ac "${VARIANT_CHAIN:-$SIGN_CHAIN}")
  [ -n "$tsa" ] && args+=(-ts "$tsa")
  "$@" osslsigncode sign "${args[@]}" -in "$dest/unsigned.exe" -out "$dest/$name.exe" >/dev/null
}

openssl genrsa -out "$dest/other.key" 2048 2>/dev/null
cert "$dest/other.key" other-key codeSigning
variant other-key "$dest/other-key.pem" "$dest/other.key"
cert "$SIGN_KEY" renewed codeSigning
variant renewed "$dest/renewed.pem" "$SIGN_KEY"
cert "$SIGN_DIR/next-key.pem" next-key codeSigning
variant next-key "$dest/next-key.pem" "$SIGN_DIR/next-key.pem"
cert "$SIGN_KEY" not-code-signing serverAuth
variant not-code-signing "$dest/not-code-signing.pem" "$SIGN_KEY"

# A CA of its own, trusted by nobody.
openssl req -x509 -newkey rsa:2048 -sha256 -nodes -days 3650 -subj "/CN=Untrusted code-signing CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
  -keyout "$dest/foreign-ca-key.pem" -out "$dest/foreign-ca.pem" 2>/dev/null
cert "$SIGN_KEY" untrusted-ca codeSigning "$dest/foreign-ca.pem" "$dest/foreign-ca-key.pem"
VARIANT_CHAIN=$dest/foreign-ca.pem variant untrusted-ca "$dest/untrusted-ca.pem" "$SIGN_KEY"

# Valid through 2020 only; signed in June 2020, with and without a timestamp of then.
faketime "2020-01-01 00:00:00" bash -c "$(declare -f cert); dest='$dest' SIGN_CHAIN='$SIGN_CHAIN' SIGN_DIR='$SIGN_DIR'; cert '$SIGN_KEY' expired codeSigning"
start_timestamp_service faketime "2020-06-01 12:00:00"
trap stop_timestamp_service EXIT
variant expired-stamped "$dest/expired.pem" "$SIGN_KEY" "$TSA_URL" faketime "2020-06-01 12:00:00"
variant expired-unstamped "$dest/expired.pem" "$SIGN_KEY" "" faketime "2020-06-01 12:00:00"
stop_timestamp_service
osslsigncode verify -CAfile "$SIGN_CHAIN" -TSA-CAfile "$SIGN_CHAIN" -in "$dest/expired-stamped.exe" 2>&1 |
  grep -E 'Timestamp time|Succeeded|Failed' || true
ls -l "$dest"
