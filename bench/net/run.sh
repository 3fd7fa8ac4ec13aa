#!/usr/bin/env bash
# Runs the service-client benchmark under Wine against the substitute service.
#   bench/net/run.sh [--pin]    --pin: Wine and the benchmark on CPU 0 only (steadier figures)
# Needs a Windows build (build/windows) and the service (build/native/service).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${MORAVEL_BUILD_DIR:-$ROOT/build/windows}
SERVICE=${MORAVEL_SERVICE_BINARY:-$ROOT/build/native/service/invoice-service}
STATE=$BUILD/bench/net/service
PIN=()
[ "${1:-}" = "--pin" ] && PIN=(taskset -c 0)

export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
source "$ROOT/scripts/wine-env.sh"

bash "$ROOT/tests/support/service-fixture.sh" start "$STATE" "$SERVICE" >/dev/null
trap 'bash "$ROOT/tests/support/service-fixture.sh" stop "$STATE"' EXIT
# Figures on stderr; the transport's trace lines go to a file: Wine reports /dev/null
# as a character device, which the C runtime writes unbuffered (~0.7 ms a request).
"${PIN[@]}" wine "$BUILD/bench/net/net_bench.exe" "$(cat "$STATE/url")" >"$STATE/bench-stdout.txt"
