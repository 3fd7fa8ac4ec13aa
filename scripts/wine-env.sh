# Sourced by scripts/test and scripts/run: a private Wine prefix, a Chinese locale
# (ANSI code page 936, as on a merchant's Windows) and, when asked, a private Xvfb.
# The caller sets WINEPREFIX first if it wants another prefix.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder would copy every shortcut a setup makes into the host's menus.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEARCH=win64

MORAVEL_XVFB_PID=
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    MORAVEL_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e /tmp/.X11-unix/X$n ] && break
      sleep 0.1
    done
    if kill -0 "$MORAVEL_XVFB_PID" 2>/dev/null && [ -e /tmp/.X11-unix/X$n ]; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_wine_and_xvfb() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$MORAVEL_XVFB_PID" ]; then
    kill "$MORAVEL_XVFB_PID" 2>/dev/null || true
    wait "$MORAVEL_XVFB_PID" 2>/dev/null || true
    MORAVEL_XVFB_PID=
  fi
}

# Wine's first boot of a prefix takes a while; it is done once and kept.
boot_wine_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "==> preparing the Wine prefix (first time only)"
  fi
  wineboot -i >/dev/null 2>&1 || true
  # A virtual desktop: on a bare X server destroying a shown window blocks about 2 s,
  # inside Wine's own desktop it takes a few ms. Read when wineserver starts.
  if ! wine reg query 'HKCU\Software\Wine\Explorer' /v Desktop >/dev/null 2>&1; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
  fi
  # Wine links the Desktop folder to the host's home: shortcuts that tests make stay in the prefix.
  local desktop
  desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
  if [ -L "$desktop" ]; then
    rm -f "$desktop" && mkdir -p "$desktop"
  fi
  # One wineserver for the whole run: test programs that exchange window messages need it.
  wineserver -p >/dev/null 2>&1 || true
}

# The desktop process is started by the first program that needs it and inherits its
# output; started here, with output going nowhere, no test waits for it.
start_desktop() {
  wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 &
  if [ -n "${1:-}" ] && [ -f "$1" ]; then
    wine "$1" >/dev/null 2>&1 &
  fi
  sleep 1
}
