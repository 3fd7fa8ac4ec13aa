#!/usr/bin/env bash
# Test fixture for the substitute web service (runs natively, not under Wine).
#   service-fixture.sh start STATE_DIR SERVICE_BINARY [PORT [SERVICE_ARGS...]]
#                                                        fresh seeded database, PORT or a free loopback port,
#                                                        STATE_DIR/files served under /download/;
#                                                        writes STATE_DIR/url ("http://127.0.0.1:PORT/",
#                                                        "https://localhost:PORT/" with --cert among the
#                                                        SERVICE_ARGS: WinINet checks the name, never an IP)
#   service-fixture.sh stop STATE_DIR                    ends the service started there, by its pid
set -u
command=${1:-}
state=${2:-}
[ -n "$command" ] && [ -n "$state" ] || { echo "usage: $0 start|stop STATE_DIR [SERVICE_BINARY]" >&2; exit 2; }

stop_service() {
  [ -f "$state/pid" ] || return 0
  local pid
  pid=$(cat "$state/pid")
  rm -f "$state/pid"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

case $command in
start)
  binary=${3:-}
  fixed_port=${4:-0}
  if [ ! -x "$binary" ]; then
    echo "service binary missing: $binary (build tools/service first, see scripts/test)" >&2
    exit 1
  fi
  stop_service
  origin=http://127.0.0.1
  for arg in "${@:5}"; do
    [ "$arg" = --cert ] && origin=https://localhost
  done
  rm -rf "$state"
  mkdir -p "$state/files"
  # Stands in for the installer the seeded version record points at.
  printf 'MZ substitute installer\n' >"$state/files/MoravelUpgrade_1.1.exe"
  # Own output and no inherited pipes, or ctest would wait for the service to end.
  "$binary" --port "$fixed_port" --port-file "$state/port" --db "$state/service.db" --seed --files "$state/files" "${@:5}" \
    </dev/null >"$state/service.log" 2>&1 &
  pid=$!
  echo "$pid" >"$state/pid"
  for _ in $(seq 1 150); do
    port=$(cat "$state/port" 2>/dev/null || true)
    if [[ "$port" =~ ^[0-9]+$ ]] && [ "$port" -gt 0 ]; then
      echo "$origin:$port/" >"$state/url"
      echo "service pid $pid at $origin:$port/ (log $state/service.log)"
      exit 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "service exited during start-up:" >&2
      cat "$state/service.log" >&2
      rm -f "$state/pid"
      exit 1
    fi
    sleep 0.1
  done
  echo "service did not report its port within 15 s" >&2
  stop_service
  exit 1
  ;;
stop)
  stop_service
  ;;
*)
  echo "unknown command: $command" >&2
  exit 2
  ;;
esac
