# Sourced by scripts/run: a scripted session on the private display, played as a person
# would, with the mouse and keyboard (xdotool) on Wine's virtual desktop (1280 × 1024).
# The windows are centred, so their places follow from the layouts' sizes.

PHONE=13800138000

shot() {
  import -window root "$RUN/shots/$1.png"
  echo "    screenshot $RUN/shots/$1.png"
}

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }

buyer_fields() {
  (cd "$RUN/app" && wine invoicing_dump.exe 2>/dev/null) | tr -d '\r'
}

play_demo_session() {
  sleep 6
  echo "==> 1. the login window (no user stored yet)"
  shot 01-login
  # Login window 500 × 338 at (390, 343): mobile edit, code edit, fetch-code and login buttons.
  click 651 458; xdotool type --delay 60 "$PHONE"
  click 766 547 1.5
  shot 02-code-requested
  local code
  code=$(curl -s "http://127.0.0.1:8765/_control/last-sms?phone=$PHONE")
  echo "    the service sent SMS code $code (see $RUN/service/log.txt)"
  click 602 547; xdotool type --delay 60 "$code"
  shot 03-code-typed
  click 651 637 6
  echo "==> 2. logged in: the main window follows in the same process"
  shot 04-main-window
  grep -a -A1 '^\[User\]' "$RUN/Moravel/ops.dat" 2>/dev/null | tr -d '\r' | sed 's/^/    ops.dat: /' || true

  echo "==> 3. search a buyer"
  # Main window 462 × 730 at (409, 147): search box under the caption.
  click 640 230; xdotool type --delay 150 "abc"
  sleep 2.5
  shot 05-search-hits
  echo "==> 4. import the first hit into the issuing window"
  click 809 277 4
  shot 06-imported
  echo "    buyer fields now: $(buyer_fields)"

  echo "==> 5. import a history row again"
  click 640 230; xdotool key ctrl+a BackSpace; sleep 0.5
  click 640 600 0.5
  click 791 302 4
  shot 07-history-import
  echo "    buyer fields now: $(buyer_fields)"

  echo "==> done: screenshots in $RUN/shots/, service log in $RUN/service/log.txt"
}
