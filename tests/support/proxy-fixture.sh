#!/usr/bin/env bash
# Test fixture for the latency proxy (runs natively, not under Wine), put in front of a
# service started by service-fixture.sh.
#   proxy-fixture.sh start STATE_DIR PROXY_BINARY TARGET_URL_FILE [RTT_MS [PORT]]
#                                   TARGET_URL_FILE is the service fixture's url file;
#                                   writes STATE_DIR/url (the service's scheme and host, the
#                                   proxy's port: "https://localhost:PORT/" stays localhost,
#                                   WinINet checks the name) and STATE_DIR/control (the control
#                                   base URL, "http://127.0.0.1:PORT/"); RTT_MS defaults to 0,
#                                   PORT (where it listens) to 0, any free port
#   proxy-fixture.sh stop STATE_DIR ends the proxy started there, by its pid
set -u
command=${1:-}
state=${2:-}
[ -n "$command" ] && [ -n "$state" ] || { echo "usage: $0 start|stop STATE_DIR [PROXY_BINARY TARGET_URL_FILE [RTT_MS [PORT]]]" >&2; exit 2; }

stop_proxy() {
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
  url_file=${4:-}
  rtt=${5:-0}
  listen=${6:-0}
  if [ ! -x "$binary" ]; then
    echo "proxy binary missing: $binary (build tools/latencyproxy first, see scripts/test)" >&2
    exit 1
  fi
  target_url=$(cat "$url_file" 2>/dev/null || true)
  if [[ ! "$target_url" =~ ^(https?)://([^/:]+):([0-9]+)/?$ ]]; then
    echo "no service URL in $url_file (start the service fixture first): '$target_url'" >&2
    exit 1
  fi
  scheme=${BASH_REMATCH[1]}
  host=${BASH_REMATCH[2]}
  target_port=${BASH_REMATCH[3]}
  stop_proxy
  rm -rf "$state"
  mkdir -p "$state"
  # Own output and no inherited pipes, or ctest would wait for the proxy to end.
  "$binary" --listen-port "$listen" --port-file "$state/port" --control-port-file "$state/control-port" \
    --target "$host:$target_port" --rtt-ms "$rtt" </dev/null >"$state/proxy.log" 2>&1 &
  pid=$!
  echo "$pid" >"$state/pid"
  for _ in $(seq 1 150); do
    port=$(cat "$state/port" 2>/dev/null || true)
    if [[ "$port" =~ ^[0-9]+$ ]] && [ "$port" -gt 0 ]; then
      # The proxy writes the control port's file before this one.
      echo "http://127.0.0.1:$(cat "$state/control-port")/" >"$state/control"
      echo "$scheme://$host:$port/" >"$state/url"
      echo "proxy pid $pid at $scheme://$host:$port/ to port $target_port, round trip $rtt ms (log $state/proxy.log)"
      exit 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "proxy exited during start-up:" >&2
      cat "$state/proxy.log" >&2
      rm -f "$state/pid"
      exit 1
    fi
    sleep 0.1
  done
  echo "proxy did not report its port within 15 s" >&2
  stop_proxy
  exit 1
  ;;
stop)
  stop_proxy
  ;;
*)
  echo "unknown command: $command" >&2
  exit 2
  ;;
esac
