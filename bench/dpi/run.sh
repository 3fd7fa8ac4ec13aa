#!/usr/bin/env bash
# Creates and first paints every shipped window with the desktop at 96 dpi, then at 192
# (200 %), in a Wine prefix of its own whose wineserver is restarted for each, and prints
# both sets of figures and their ratio, ours and a bare layered window's of the same sizes.
# Three rounds, 96 and 192 taking turns so that a busy spell hits both; the ratio of the
# medians over rounds. Wine, its server and the benchmark run on CPU 0 (taskset -c 0).
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

taskset -pc 0 $$ >/dev/null
ROUNDS=${MORAVEL_DPI_ROUNDS:-3}
rm -f "$STATE"/figures-*.txt
for round in $(seq 1 "$ROUNDS"); do
for dpi in 96 192; do
  wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true
  taskset -c 0 wineserver -p >/dev/null 2>&1 || true
  start_desktop
  echo "==> round $round, desktop at $dpi dpi"
  taskset -c 0 wine "$BENCH" 2>&1 >/dev/null | tr -d '\r' | tee "$STATE/figures-$dpi-$round.txt"
done
done
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
pick() { cat "$STATE"/figures-"$2"-*.txt | sed -n "s/^$1 at $2 dpi: \([0-9.]*\) ms\$/\1/p" | median; }
a=$(pick 'all five windows' 96); b=$(pick 'all five windows' 192)
c=$(pick 'bare layered windows of the same sizes' 96); d=$(pick 'bare layered windows of the same sizes' 192)
echo "==> medians of $ROUNDS rounds"
[ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" -v c="$c" -v d="$d" 'BEGIN {
  printf "all five windows: %.2f ms at 96 dpi, %.2f ms at 192 dpi\n", a, b
  printf "bare layered windows of the same sizes: %.2f ms at 96 dpi, %.2f ms at 192 dpi (%.2f)\n", c, d, d / c
  printf "200 %% / 100 %%: %.2f\n", b / a }'
