#!/usr/bin/env bash
# The program in a real window: started on a virtual screen by scripts/screenshot, it shows its
# start-up symbol, whose text reads back from the picture, and ends with 0 when its window is
# closed; afterwards neither the program nor the screen is left running.
#   real_window_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-window.XXXXXX")
trap 'rm -rf "$work"' EXIT

status=0
"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" \
  --expect "本软件由Kestrawin出品" --timeout 60 | tee "$work/log" || status=$?

grep -q '^window painted after' "$work/log" || { echo "FAIL: the window was never painted" >&2; status=1; }
[ -s "$work/window.png" ] || { echo "FAIL: no screenshot was saved" >&2; status=1; }
# Closing the window ends the program normally, with nothing left for the sanitizers to report.
grep -q 'close request [0-9]* (exit status 0)$' "$work/log" || { echo "FAIL: the program did not end cleanly on close" >&2; status=1; }

# Nothing of the run is left: neither process, nor a server still holding its display's lock.
for pid in $(sed -n 's/.*(process \([0-9]*\)).*/\1/p' "$work/log"); do
  if kill -0 "$pid" 2> /dev/null; then
    echo "FAIL: process $pid outlived the run" >&2
    kill -KILL "$pid" 2> /dev/null || true
    status=1
  fi
done
display=$(sed -n 's/^virtual screen :\([0-9]*\).*/\1/p' "$work/log")
if [ -n "$display" ] && [ -f "/tmp/.X$display-lock" ]; then
  holder=$(tr -cd '0-9' < "/tmp/.X$display-lock")
  if [ -n "$holder" ] && kill -0 "$holder" 2> /dev/null; then
    echo "FAIL: the X server of display :$display (process $holder) outlived the run" >&2
    status=1
  fi
fi
exit "$status"
