#!/usr/bin/env bash
# The read page and the message box in a real window (Xvfb, xclip, xdotool), one fault a mode:
#   failed-paste  after a good paste, a picture without a symbol: the window must show the new
#                 picture (no symbol on screen any more) and 复制内容 must give an empty text
#   busy-read     while an 8000 x 8000 picture of noise is read, the window must switch pages and
#                 repaint at once
#   box-keys      a second start's box ("already running") must close on Return, and on Escape
#   read_page_manners_test.sh SOURCE_DIR BUILD_DIR MODE [PICTURE.png]
set -euo pipefail
source_dir=$1
build=$2
mode=$3
picture=${4:-}
for tool in xclip xdotool python3; do
  command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-manners.XXXXXX")
trap 'rm -rf "$work"' EXIT

text="https://merovask.example/读?n=7"
"$build/cli/merovask-cli" encode -l M -s 6 -o "$work/symbol.png" "$text"
case "$mode" in
  failed-paste)
    python3 -c "import sys, zlib, struct
w, h = 200, 150
raw = b''.join(b'\0' + b'\xff' * (3 * w) for _ in range(h))
chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))" "$work/white.png" ;;
  busy-read)
    # Black and white noise, 8000 x 8000 pixels in tiles of 256 x 256 so that the file stays small.
    python3 -c "import sys, zlib, struct, random
random.seed(7)
w = h = 8000
tile = [b''.join(bytes((v, v, v)) for v in (random.choice((0, 255)) for _ in range(256))) for _ in range(256)]
comp = zlib.compressobj(6)
idat = b''.join(comp.compress(b'\0' + (tile[y % 256] * (w // 256 + 1))[:3 * w]) for y in range(h)) + comp.flush()
chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', idat) + chunk(b'IEND', b''))" "$work/noise.png" ;;
  box-keys) ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac

cat > "$work/steps.sh" << 'STEPS'
set -euo pipefail
work=$1 text=$2 mode=$3 picture=$4 supp=$5
geometry=$("$MEROVASK_XSHOT" geometry --pid "$MEROVASK_PID") || { echo "FAIL: no window to click into" >&2; exit 1; }
read -r x y _ _ <<< "$geometry"

# waits_for TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds.
waits_for() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
shows() {  # shows TEXT: the window's picture reads as TEXT ("" = no symbol at all)
  rm -f "$work/shot.png"
  "$MEROVASK_XSHOT" grab --pid "$MEROVASK_PID" "$work/shot.png" || return 1
  [ "$("$MEROVASK_CLI" decode "$work/shot.png" 2> /dev/null | tr -d '\r')" = "$1" ]
}
clip_png() {
  [ -n "${clip:-}" ] && kill "$clip" 2> /dev/null || true
  xclip -quiet -selection clipboard -t image/png -i "$1" > /dev/null 2>&1 &
  clip=$!
  waits_for 100 sh -c 'xclip -selection clipboard -t TARGETS -o 2> /dev/null | grep -qx image/png'
}
trap 'kill "${clip:-}" 2> /dev/null || true' EXIT
read_tab() { xdotool mousemove $((x + 118)) $((y + 60)) click 1; sleep 0.3; }
make_tab() { xdotool mousemove $((x + 40)) $((y + 60)) click 1; }

case "$mode" in
failed-paste)
  clip_png "$work/symbol.png" || { echo "FAIL: xclip did not take the clipboard" >&2; exit 1; }
  pasted=""
  for attempt in 1 2 3 4 5; do
    read_tab
    xdotool key ctrl+v
    if waits_for 40 shows "$text"; then pasted=$attempt; break; fi
  done
  [ -n "$pasted" ] || { echo "FAIL: the read page does not show the pasted symbol" >&2; exit 1; }
  clip_png "$work/white.png" || { echo "FAIL: xclip did not take the clipboard" >&2; exit 1; }
  xdotool key ctrl+v
  waits_for 50 shows "" || { echo "FAIL: the old symbol is still on show after a failed paste" >&2; exit 1; }
  [ -z "$picture" ] || cp "$work/shot.png" "$picture"
  kill "$clip" 2> /dev/null || true
  copied_empty() {
    xdotool mousemove $((x + 516)) $((y + 180)) click 1  # 复制内容
    sleep 0.3
    xclip -selection clipboard -t TARGETS -o 2> /dev/null | grep -q UTF8_STRING &&
      [ -z "$(xclip -selection clipboard -o 2> /dev/null)" ]
  }
  waits_for 20 copied_empty || { echo "FAIL: 复制内容 after a failed paste does not give an empty text" >&2; exit 1; }
  echo "a failed paste replaced the picture and cleared the text"
  ;;
busy-read)
  read_tab
  # The file dialog is the program's second visible window: type only once it is there, and
  # switch pages only once it has gone (a loaded machine takes its time to open and close it).
  app=$(cat /proc/"$MEROVASK_PID"/task/*/children | awk '{print $1}')
  windows() { xdotool search --onlyvisible --pid "$app" 2> /dev/null | wc -l; }
  dialog_open() { [ "$(windows)" -ge 2 ]; }
  dialog_gone() { [ "$(windows)" -le 1 ]; }
  xdotool key ctrl+o
  waits_for 100 dialog_open || { echo "FAIL: ctrl+o showed no file dialog" >&2; exit 1; }
  sleep 0.5  # its name field takes the keyboard
  xdotool type --delay 5 "$work/noise.png"
  xdotool key Return
  waits_for 100 dialog_gone || { echo "FAIL: the file dialog did not close on Return" >&2; exit 1; }
  started=$(date +%s%N)
  make_tab
  # The make page shows its start-up symbol while the picture is still being read: the
  # program still uses a core's worth of time after the switch is seen.
  waits_for 30 shows $'本软件由Kestrawin出品\nhttps://merovask.org' ||
    { echo "FAIL: the window did not switch pages while a picture was read" >&2; exit 1; }
  echo "the page switched after $((($(date +%s%N) - started) / 1000000)) ms"
  cpu() { awk '{print $14 + $15}' /proc/"$app"/stat; }
  before=$(cpu)
  sleep 0.5
  busy=$(($(cpu) - before))
  echo "the program used $((busy * 10)) ms of processor time in the next 500 ms"
  [ "$busy" -ge 5 ] || { echo "FAIL: the read was over before the page switch showed" >&2; exit 1; }
  # Let the read end (a close would otherwise wait for its current step).
  for ((i = 0; i < 120; i++)); do
    before=$(cpu)
    sleep 0.5
    [ $(($(cpu) - before)) -ge 5 ] || break
  done
  ;;
box-keys)
  runtime=$(tr '\0' '\n' < /proc/"$MEROVASK_PID"/environ | sed -n 's/^XDG_RUNTIME_DIR=//p')
  app=$(dirname "$MEROVASK_CLI")/../app/merovask
  for key in Return Escape; do
    # In a sanitizer build the second start gets the options scripts/screenshot gives the first
    # (libxkbcommon-x11's unterminated strndup strings, the desktop libraries' kept memory).
    env XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
      ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"} LSAN_OPTIONS="suppressions=$supp" \
      "$app" > "$work/second.log" 2>&1 &
    second=$!
    box=""
    for ((i = 0; i < 100; i++)); do
      box=$("$MEROVASK_XSHOT" geometry --pid "$second" 2> /dev/null) && break
      sleep 0.1
    done
    [ -n "$box" ] || { echo "FAIL: the second start showed no box" >&2; cat "$work/second.log" >&2; exit 1; }
    read -r bx by bw bh <<< "$box"
    ended=""
    for attempt in 1 2 3 4 5; do
      xdotool mousemove $((bx + bw / 2)) $((by + 40)) click 1  # the box's text, not a button
      sleep 0.2
      xdotool key "$key"
      for ((i = 0; i < 20; i++)); do kill -0 "$second" 2> /dev/null || { ended=1; break; }; sleep 0.1; done
      [ -z "$ended" ] || break
    done
    [ -n "$ended" ] || { echo "FAIL: $key did not close the box" >&2; kill "$second"; exit 1; }
    wait "$second" || true
    echo "$key closed the box (attempt $attempt)"
  done
  ;;
esac
STEPS

"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" --timeout 90 \
  --then "bash '$work/steps.sh' '$work' '$text' '$mode' '$picture' '$source_dir/scripts/lsan-desktop.supp'"
