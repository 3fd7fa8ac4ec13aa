#!/usr/bin/env bash
# Creates and first paints every shipped window with the desktop at 96 dpi, then at 192
# (200 %), in a Wine prefix of its own whose wineserver is restarted for each, and prints
# both sets of figures and their ratio.
#   bench/dpi/run.sh
# Needs a Windows build (build/windows). Everything started here is ended here.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${MORAVEL_BUILD_DIR:-$ROOT/build/windows}
BENCH=$BUILD/bin/dpi_bench.exe
STATE=$BUILD/bench/dpi
[ -f "$BENCH" ] || { echo "benchmark missing: $BENCH (cmake --build --preset windows)" >&2; exit 1; }
mkdir -p "$STATE"

export WINEPREFIX=${MORAVEL_BENCH_PREFIX:-$STATE/wineprefix}
source "$ROOT/scripts/wine-env.sh"
trap stop_wine_and_xvfb EXIT INT TERM
start_xvfb
boot_wine_prefix

for dpi in 96 192; do
  wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  start_desktop
  echo "==> desktop at $dpi dpi"
  wine "$BENCH" 2>&1 >/dev/null | tr -d '\r' | tee "$STATE/figures-$dpi.txt"
done
a=$(sed -n 's/^all five windows at 96 dpi: \([0-9.]*\) ms$/\1/p' "$STATE/figures-96.txt")
b=$(sed -n 's/^all five windows at 192 dpi: \([0-9.]*\) ms$/\1/p' "$STATE/figures-192.txt")
[ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" 'BEGIN { printf "200 %% / 100 %%: %.2f\n", b / a }'
