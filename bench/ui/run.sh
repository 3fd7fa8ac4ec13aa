#!/usr/bin/env bash
# Runs the main-window benchmark under Wine against the substitute service on loopback.
#   bench/ui/run.sh [MODE...]    MODE: service, lists, growth (default: all three)
# Wine (its own prefix, its own wineserver, its own Xvfb and virtual desktop) and the
# benchmark run on CPU 0 only; the service runs unpinned. Everything started here is
# ended here, by pid (wineserver -k ends only this prefix's server).
# Needs a Windows build (build/windows) and the service (build/native/service).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${MORAVEL_BUILD_DIR:-$ROOT/build/windows}
SERVICE=${MORAVEL_SERVICE_BINARY:-$ROOT/build/native/service/invoice-service}
STATE=$BUILD/bench/ui/state
BENCH=$BUILD/bin/ui_bench.exe
[ -x "$SERVICE" ] || { echo "service missing: $SERVICE" >&2; exit 1; }
[ -f "$BENCH" ] || { echo "benchmark missing: $BENCH (cmake --build --preset windows)" >&2; exit 1; }

rm -rf "$STATE"
mkdir -p "$STATE"
"$SERVICE" --port 0 --port-file "$STATE/port" --db "$STATE/service.db" --seed \
  </dev/null >"$STATE/service.log" 2>&1 &
SERVICE_PID=$!

export WINEPREFIX=${MORAVEL_BENCH_PREFIX:-$BUILD/bench/ui/wineprefix}
source "$ROOT/scripts/wine-env.sh"
cleanup() {
  stop_wine_and_xvfb
  kill "$SERVICE_PID" 2>/dev/null || true
  wait "$SERVICE_PID" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

for _ in $(seq 1 50); do
  [ -s "$STATE/port" ] && break
  sleep 0.1
done
[ -s "$STATE/port" ] || { echo "the service did not start; see $STATE/service.log" >&2; exit 1; }
export MORAVEL_SERVICE_URL="http://127.0.0.1:$(cat "$STATE/port")/"

# From here on this shell and all it starts (Xvfb, wineserver, the desktop, the bench) stay on CPU 0.
taskset -pc 0 $$ >/dev/null
start_xvfb
wineserver -k >/dev/null 2>&1 || true   # a server of this prefix left over would keep its own affinity
taskset -c 0 wineserver -p >/dev/null 2>&1 || true
boot_wine_prefix
start_desktop

echo "Wine (wineserver, desktop, benchmark) pinned to CPU 0 with taskset -c 0; service unpinned."
echo "service: $MORAVEL_SERVICE_URL"
# Figures on stderr; the transport's trace lines go to a file.
for mode in "${@:-service lists growth}"; do
  for m in $mode; do
    taskset -c 0 wine "$BENCH" "$m" 2>&1 >"$STATE/bench-stdout-$m.txt"
  done
done
