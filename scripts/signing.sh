# Sourced by scripts/release and scripts/test (ROOT set): the certificate the release is
# signed with and what the build pins.
#   SIGN_CERT, SIGN_KEY   the publisher's certificate and key (PEM) named by MORAVEL_SIGN_CERT and
#                         MORAVEL_SIGN_KEY; without them a throwaway test certificate, made once
#                         under build/signing/ (SIGN_THROWAWAY=1)
#   SIGNER_SHA256         SHA-256 of that certificate (DER), the build's MORAVEL_SIGNER_SHA256
SIGN_THROWAWAY=0
if [ -n "${MORAVEL_SIGN_CERT:-}" ] || [ -n "${MORAVEL_SIGN_KEY:-}" ]; then
  SIGN_CERT=${MORAVEL_SIGN_CERT:?MORAVEL_SIGN_KEY is set, MORAVEL_SIGN_CERT is not}
  SIGN_KEY=${MORAVEL_SIGN_KEY:?MORAVEL_SIGN_CERT is set, MORAVEL_SIGN_KEY is not}
else
  SIGN_CERT=$ROOT/build/signing/test-cert.pem SIGN_KEY=$ROOT/build/signing/test-key.pem SIGN_THROWAWAY=1
  if [ ! -f "$SIGN_CERT" ] || [ ! -f "$SIGN_KEY" ]; then
    mkdir -p "$ROOT/build/signing"
    openssl req -x509 -newkey rsa:2048 -sha256 -nodes -days 3650 -subj "/CN=Lumora test signing" \
      -keyout "$SIGN_KEY" -out "$SIGN_CERT" 2>/dev/null
  fi
fi
SIGNER_SHA256=$(openssl x509 -in "$SIGN_CERT" -outform DER | sha256sum | cut -d' ' -f1)
