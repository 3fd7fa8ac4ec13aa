#!/usr/bin/env bash
# Profiles one row of bench/ui with perf (user-space CPU clock samples, 1 kHz): the
# benchmark process and this prefix's wineserver, each summed by module and function
# (bench/support/perfpe.py).
#   bench/profile.sh ROW [RUNS]
# ROW as bench/ui names it: keystroke, import, fill, fetchfill, refresh (against the
# service), refresh-N, repaint-N, tick-N (N = 10, 1000, 10000; in-process server);
# check: bench/bridge's IsIssuingWindowOpen among 100 other titled windows;
# or records-N: bench/net's GetInvoiceRecordList on N records (in-process server), and
# bare-records-N: its bare side (the bare fetch and jsoncpp on the same answer).
# Only the measured side of that row runs, RUNS times (default 300), with its preparation;
# bare-ROW runs that row's bare side instead.
# Output in build/windows/bench/profile/profile-ROW.*. Same Wine set-up as bench/ui/run.sh.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROW=${1:?usage: bench/profile.sh ROW [RUNS]}
export MORAVEL_BENCH_PROFILE=$ROW MORAVEL_BENCH_PROFILE_RUNS=${2:-300}
BUILD=${MORAVEL_BUILD_DIR:-$ROOT/build/windows}
SERVICE=${MORAVEL_SERVICE_BINARY:-$ROOT/build/native/service/invoice-service}
STATE=$BUILD/bench/profile
BENCH=$BUILD/bin/ui_bench.exe
OUTP=$STATE/profile-$ROW
MODE=service
case ${ROW#bare-} in *-*) MODE=lists ;; esac
command -v perf >/dev/null || { echo "perf missing (linux-perf)" >&2; exit 1; }

mkdir -p "$STATE"
"$SERVICE" --port 0 --port-file "$STATE/port.profile" --db "$STATE/profile.db" --seed \
  </dev/null >"$STATE/profile-service.log" 2>&1 &
SERVICE_PID=$!
export WINEPREFIX=${MORAVEL_BENCH_PREFIX:-$BUILD/bench/ui/wineprefix}
source "$ROOT/scripts/wine-env.sh"
PERF_PID=
cleanup() {
  [ -n "$PERF_PID" ] && kill -INT "$PERF_PID" 2>/dev/null || true
  stop_wine_and_xvfb
  kill "$SERVICE_PID" 2>/dev/null || true
  wait "$SERVICE_PID" 2>/dev/null || true
  rm -f "$STATE/port.profile"
}
trap cleanup EXIT INT TERM
for _ in $(seq 1 50); do
  [ -s "$STATE/port.profile" ] && break
  sleep 0.1
done
export MORAVEL_SERVICE_URL="http://127.0.0.1:$(cat "$STATE/port.profile")/"

taskset -pc 0 $$ >/dev/null
start_xvfb
wineserver -k >/dev/null 2>&1 || true
taskset -c 0 wineserver -p >/dev/null 2>&1 || true
boot_wine_prefix
start_desktop
id=$(printf 'server-%s-%x' "$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
SERVER=
for p in $(pgrep wineserver); do
  [ "$(basename "$(readlink "/proc/$p/cwd" 2>/dev/null)")" = "$id" ] && SERVER=$p
done
[ -n "$SERVER" ] || { echo "this prefix's wineserver not found" >&2; exit 1; }

# Both recorders start paused; the benchmark enables them around the row's runs only.
rm -f "$OUTP.ctl" "$OUTP.server.ctl"
mkfifo "$OUTP.ctl" "$OUTP.server.ctl"
export MORAVEL_BENCH_PROFILE_CTL="Z:${OUTP//\//\\}.ctl;Z:${OUTP//\//\\}.server.ctl"
perf record -q -F 1000 -e cpu-clock:u -D -1 --control "fifo:$OUTP.server.ctl" -o "$OUTP.server.data" -p "$SERVER" \
  2>/dev/null &
PERF_PID=$!
if [ "$ROW" = check ]; then
  (cd "$BUILD/bench/bridge" && perf record -q -F 1000 -e cpu-clock:u -D -1 --control "fifo:$OUTP.ctl" -o "$OUTP.data" -- taskset -c 0 wine bridge_bench.exe \
    >"$OUTP.txt" 2>&1) || true
elif [[ $ROW == records-* || $ROW == bare-records-* ]]; then
  perf record -q -F 1000 -e cpu-clock:u -D -1 --control "fifo:$OUTP.ctl" -o "$OUTP.data" -- taskset -c 0 wine "$BUILD/bench/net/net_bench.exe" \
    2>"$OUTP.txt" >"$OUTP.stdout.txt" || true
else
  perf record -q -F 1000 -e cpu-clock:u -D -1 --control "fifo:$OUTP.ctl" -o "$OUTP.data" -- taskset -c 0 wine "$BENCH" "$MODE" \
    2>"$OUTP.txt" >"$OUTP.stdout.txt" || true
fi
kill -INT "$PERF_PID" 2>/dev/null || true
wait "$PERF_PID" 2>/dev/null || true
PERF_PID=

MODULES=()
while read -r _ name _ base; do
  for dir in "$BUILD/bin" "$BUILD/bench/bridge" "$BUILD/bench/net"; do
    [ -f "$dir/$name" ] && MODULES+=(--module "$dir/$name=$base") && break
  done
done < <(grep '^module ' "$OUTP.txt")
{
  grep '^profiled' "$OUTP.txt" || echo "row $ROW did not run; see $OUTP.txt"
  echo "(samples at 1 kHz of user-space CPU clock: one sample is about 1 ms on the CPU, kernel time
  counted at the system call that entered it; only while the row ran)"
  echo "== the benchmark process"
  python3 "$ROOT/bench/support/perfpe.py" "$OUTP.data" "${MODULES[@]}"
  echo "== wineserver"
  python3 "$ROOT/bench/support/perfpe.py" "$OUTP.server.data" --top 12
} | tee "$OUTP.report.txt"
