#!/usr/bin/env bash
# Runs a test executable under Wine with the desktop at each DPI given (E2E_DPI tells it
# which). A prefix's DPI is read when its wineserver starts, so these runs use a prefix of
# their own (a copy of the run's, made once) whose wineserver is restarted per DPI; the
# run's prefix, its wineserver and the tests in it are not disturbed.
set -uo pipefail
exe=$1
shift
base=${WINEPREFIX:?WINEPREFIX is the run prefix}
export WINEPREFIX=$base-dpi
export WINEDEBUG=${WINEDEBUG:--all}

stop_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
trap stop_server EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  cp -a --reflink=auto "$base" "$WINEPREFIX" || exit 1
fi

status=0
for dpi in "$@"; do
  started=$(date +%s%N)
  stop_server
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # Saved when the server ends; the next one starts at the new DPI.
  stop_server
  wineserver -p >/dev/null 2>&1
  wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 &
  sleep 1
  echo "==> $exe at $dpi dpi (prefix ready in $(( ($(date +%s%N) - started) / 1000000 )) ms)"
  E2E_DPI=$dpi wine "$exe" || status=1
done
exit $status
