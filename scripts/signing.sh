# Sourced by scripts/release and scripts/test (ROOT set): what the release is signed with
# and what the build pins.
#   SIGN_CERT, SIGN_KEY   the publisher's code-signing certificate and key (PEM) named by
#                         MORAVEL_SIGN_CERT and MORAVEL_SIGN_KEY; without them a throwaway test
#                         chain, made once under build/signing/ (SIGN_THROWAWAY=1): a test CA and
#                         a code-signing certificate it issued
#   SIGN_CHAIN            the certificates between the signer and its root (PEM, may be empty):
#                         MORAVEL_SIGN_CHAIN, or the throwaway CA
#   SIGN_NEXT_PUBKEY      the publisher's next key, announced before it signs anything (PEM
#                         public key): MORAVEL_SIGN_NEXT_PUBKEY, or a throwaway one
#   SIGNER_SHA256         the build's MORAVEL_SIGNER_SHA256: SHA-256 of the signer's public key
#                         (DER SubjectPublicKeyInfo), then of the next key, separated by ','
SIGN_THROWAWAY=0
SIGN_DIR=$ROOT/build/signing
if [ -n "${MORAVEL_SIGN_CERT:-}" ] || [ -n "${MORAVEL_SIGN_KEY:-}" ]; then
  SIGN_CERT=${MORAVEL_SIGN_CERT:?MORAVEL_SIGN_KEY is set, MORAVEL_SIGN_CERT is not}
  SIGN_KEY=${MORAVEL_SIGN_KEY:?MORAVEL_SIGN_CERT is set, MORAVEL_SIGN_KEY is not}
  SIGN_CHAIN=${MORAVEL_SIGN_CHAIN:-}
  SIGN_NEXT_PUBKEY=${MORAVEL_SIGN_NEXT_PUBKEY:-}
else
  SIGN_CERT=$SIGN_DIR/test-cert.pem SIGN_KEY=$SIGN_DIR/test-key.pem SIGN_CHAIN=$SIGN_DIR/test-ca.pem
  SIGN_NEXT_PUBKEY=$SIGN_DIR/next-pub.pem SIGN_THROWAWAY=1
  if [ ! -f "$SIGN_DIR/complete" ]; then
    rm -rf "$SIGN_DIR"
    mkdir -p "$SIGN_DIR"
    # make_code_signing_cert KEY CERT SUBJECT DAYS [openssl x509 -req options...]: a
    # certificate the test CA issues for KEY, meant for code signing only.
    make_code_signing_cert() {
      local key=$1 cert=$2 subject=$3 days=$4; shift 4
      openssl req -new -key "$key" -subj "$subject" -out "$cert.csr" 2>/dev/null
      printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
        >"$cert.ext"
      openssl x509 -req -in "$cert.csr" -CA "$SIGN_DIR/test-ca.pem" -CAkey "$SIGN_DIR/test-ca-key.pem" \
        -CAcreateserial -days "$days" -sha256 -extfile "$cert.ext" "$@" -out "$cert" 2>/dev/null
      rm -f "$cert.csr" "$cert.ext"
    }
    # The CA and the timestamping certificate date from 2019 (faketime), so the tests can
    # date a signature of 2020 by a certificate long expired since.
    dated=()
    command -v faketime >/dev/null && dated=(faketime "2019-01-01 00:00:00")
    "${dated[@]}" openssl req -x509 -newkey rsa:2048 -sha256 -nodes -days 9000 -subj "/CN=Lumora test code-signing CA $(openssl rand -hex 4)" \
      -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
      -keyout "$SIGN_DIR/test-ca-key.pem" -out "$SIGN_DIR/test-ca.pem" 2>/dev/null
    openssl genrsa -out "$SIGN_KEY" 2048 2>/dev/null
    make_code_signing_cert "$SIGN_KEY" "$SIGN_CERT" "/CN=Lumora test signing" 3650
    openssl genrsa -out "$SIGN_DIR/next-key.pem" 2048 2>/dev/null
    openssl pkey -in "$SIGN_DIR/next-key.pem" -pubout -out "$SIGN_NEXT_PUBKEY" 2>/dev/null
    # The local timestamping service's own certificate, from the same CA.
    mkdir -p "$SIGN_DIR/tsa"
    openssl genrsa -out "$SIGN_DIR/tsa/key.pem" 2048 2>/dev/null
    openssl req -new -key "$SIGN_DIR/tsa/key.pem" -subj "/CN=Lumora test timestamping" -out "$SIGN_DIR/tsa/csr" 2>/dev/null
    printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n' \
      >"$SIGN_DIR/tsa/ext"
    "${dated[@]}" openssl x509 -req -in "$SIGN_DIR/tsa/csr" -CA "$SIGN_DIR/test-ca.pem" -CAkey "$SIGN_DIR/test-ca-key.pem" \
      -CAcreateserial -days 9000 -sha256 -extfile "$SIGN_DIR/tsa/ext" -out "$SIGN_DIR/tsa/cert.pem" 2>/dev/null
    # The TSA certificate must be valid at the (faked) times the tests date signatures.
    cat >"$SIGN_DIR/tsa/tsa.cnf" <<CNF
[ tsa ]
default_tsa = local
[ local ]
dir = $SIGN_DIR/tsa
serial = \$dir/serial
crypto_device = builtin
signer_cert = \$dir/cert.pem
certs = $SIGN_DIR/test-ca.pem
signer_key = \$dir/key.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
    echo 01 >"$SIGN_DIR/tsa/serial"
    touch "$SIGN_DIR/complete"
  fi
fi
# spki_sha256 PEM: SHA-256 of the public key of a certificate or of a PEM public key.
spki_sha256() {
  if grep -q 'BEGIN CERTIFICATE' "$1"; then
    openssl x509 -in "$1" -noout -pubkey | openssl pkey -pubin -outform DER | sha256sum | cut -d' ' -f1
  else
    openssl pkey -pubin -in "$1" -outform DER | sha256sum | cut -d' ' -f1
  fi
}
SIGNER_SHA256=$(spki_sha256 "$SIGN_CERT")
if [ -n "$SIGN_NEXT_PUBKEY" ]; then
  SIGNER_SHA256=$SIGNER_SHA256,$(spki_sha256 "$SIGN_NEXT_PUBKEY")
fi

# start_timestamp_service [PREFIX...]: starts the local timestamping service (scripts/
# timestamp-service), run through PREFIX (for example faketime DATE) if given; sets
# TSA_URL, TSA_PID and TSA_SERVICE_PID. stop_timestamp_service ends it.
start_timestamp_service() {
  local portfile
  portfile=$(mktemp -u "${TMPDIR:-/tmp}/lumora-tsa.XXXXXX")
  "$@" python3 "$ROOT/scripts/timestamp-service" "$SIGN_DIR/tsa" "$portfile" &
  TSA_PID=$!
  for _ in $(seq 100); do
    [ -s "$portfile" ] && break
    sleep 0.1
  done
  [ -s "$portfile" ] || { echo "the timestamping service did not start" >&2; return 1; }
  local port pid
  read -r port pid <"$portfile"
  rm -f "$portfile"
  TSA_URL=http://127.0.0.1:$port/
  # The service itself: a PREFIX such as faketime runs it as a child of its own.
  TSA_SERVICE_PID=$pid
}
stop_timestamp_service() {
  [ -n "${TSA_SERVICE_PID:-}" ] && kill "$TSA_SERVICE_PID" 2>/dev/null
  if [ -n "${TSA_PID:-}" ]; then
    kill "$TSA_PID" 2>/dev/null || true
    wait "$TSA_PID" 2>/dev/null || true
  fi
  TSA_PID= TSA_SERVICE_PID=
}

# sign_file FILE [TIMESTAMP_URL]: Authenticode signature (SHA-256) in place, with the chain,
# timestamped (RFC 3161) when a URL is given. SIGN_CERT/SIGN_KEY/SIGN_CHAIN may be
# overridden for one call.
sign_file() {
  local args=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n "Lumora开票助手")
  [ -n "${SIGN_CHAIN:-}" ] && args+=(-ac "$SIGN_CHAIN")
  [ -n "${2:-}" ] && args+=(-ts "$2")
  osslsigncode sign "${args[@]}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}
