# Sourced by scripts/run: a scripted session on the private display, played as a person
# would, with the mouse and keyboard (xdotool) on Wine's virtual desktop (1280 × 1024).
# The windows are centred, so their places follow from the layouts' sizes.

PHONE=13800138000

shot() {
  import -window root "$RUN/shots/$1.png"
  echo "    screenshot $RUN/shots/$1.png"
}

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }

# Chinese text goes in through the clipboard: typed key by key, Wine drops characters.
paste_text() {
  printf '%s' "$1" | xclip -selection clipboard
  xdotool key ctrl+v
  sleep 0.3
  # xclip stays to serve the selection; it is not needed after the paste.
  pkill -x xclip 2>/dev/null || true
}

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
  click 651 637 5
  echo "==> 2. logged in; the main window asks for the merchant's own company once"
  shot 04-company-input
  # Input window 550 × 320 at (365, 352): name, tax code, confirm; then the 380 × 210 question.
  click 690 477; paste_text "福州路明信息技术有限公司"
  click 690 532; xdotool type --delay 50 "91350100M000100Y43"
  shot 05-company-typed
  click 836 627 1
  xdotool key Return; sleep 4
  echo "==> 3. the main window with the merchant's history"
  shot 06-main-window
  # The profile is text in code page 936, as on a Chinese Windows.
  iconv -f GBK -t UTF-8 "$RUN/Moravel/ops.dat" | tr -d '\r' | sed 's/^/    ops.dat: /'

  echo "==> 4. search a buyer"
  # Main window 462 × 730 at (409, 147): search box under the caption.
  click 640 230; xdotool type --delay 150 "abc"
  sleep 2.5
  shot 07-search-hits
  echo "==> 5. import the first hit into the issuing window"
  click 809 277 4
  shot 08-imported
  echo "    buyer fields now: $(buyer_fields)"

  echo "==> 6. import a history row again"
  click 640 230; xdotool key ctrl+a BackSpace; sleep 0.5
  click 640 600 0.5
  click 791 302 4
  shot 09-history-import
  echo "    buyer fields now: $(buyer_fields)"

  echo "==> 7. the business card, saved as a PNG"
  click 510 837 4
  shot 10-business-card
  # Card window 750 × 320 at (265, 352): "下载名片" at its bottom right, then the save dialog.
  click 935 627 3
  shot 11-save-dialog
  xdotool key ctrl+a; xdotool type --delay 20 'Z:'"${RUN//\//\\}"'\card.png'; xdotool key Return
  sleep 2
  shot 12-saved
  xdotool key Return; sleep 1
  click 977 388 1
  if [ -f "$RUN/card.png" ]; then
    echo "    card saved: $RUN/card.png ($(identify -format '%w x %h' "$RUN/card.png" 2>/dev/null))"
  else
    echo "    the card was not saved"
  fi

  echo "==> done: screenshots in $RUN/shots/, service log in $RUN/service/log.txt"
}
