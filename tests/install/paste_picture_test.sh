#!/usr/bin/env bash
# Pasting a picture in a real window: a symbol's PNG is put on the X clipboard (xclip), the read
# page is chosen and Ctrl+V pressed (xdotool); the page must show the symbol's text, and 复制内容
# must put that text back on the clipboard. A picture of the read page after the paste is kept.
#   paste_picture_test.sh SOURCE_DIR BUILD_DIR PICTURE.png
set -euo pipefail
source_dir=$1
build=$2
picture=$3
for tool in xclip xdotool; do
  command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing (apt-get install $tool)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-paste.XXXXXX")
trap 'rm -rf "$work"' EXIT

text="https://merovask.example/粘贴?n=42"
"$build/cli/merovask-cli" encode -l M -s 6 -o "$work/symbol.png" "$text"

# Run on the virtual screen once the program shows its window. Every wait is bounded, and keys
# and clicks are repeated now and then: a starved X client can miss one.
cat > "$work/steps.sh" << 'STEPS'
set -euo pipefail
work=$1 text=$2 picture=$3
geometry=$("$MEROVASK_XSHOT" geometry --pid "$MEROVASK_PID") || { echo "FAIL: no window to click into" >&2; exit 1; }
read -r x y _ _ <<< "$geometry"
xclip -quiet -selection clipboard -t image/png -i "$work/symbol.png" > /dev/null 2>&1 &
clip=$!
trap 'kill "$clip" 2> /dev/null || true' EXIT

# waits_for TRIES COMMAND...: runs COMMAND every 0.2 s until it succeeds.
waits_for() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.2; done
  return 1
}
clipboard_has_png() { xclip -selection clipboard -t TARGETS -o 2> /dev/null | grep -qx image/png; }
waits_for 100 clipboard_has_png || { echo "FAIL: xclip did not take the clipboard" >&2; exit 1; }

shows_text() {
  rm -f "$work/shot.png"
  "$MEROVASK_XSHOT" grab --pid "$MEROVASK_PID" "$work/shot.png" &&
    [ "$("$MEROVASK_CLI" decode "$work/shot.png" 2> /dev/null)" = "$text" ]
}
pasted=""
for attempt in 1 2 3 4 5; do
  xdotool mousemove $((x + 118)) $((y + 60)) click 1  # the 解码 tab
  sleep 0.3
  xdotool key ctrl+v
  if waits_for 20 shows_text; then pasted=$attempt; break; fi
done
[ -n "$pasted" ] || { echo "FAIL: the read page does not show the pasted symbol" >&2; exit 1; }
echo "the read page shows the pasted symbol (attempt $pasted)"
cp "$work/shot.png" "$picture"

copied() { [ "$(xclip -selection clipboard -o 2> /dev/null)" = "$text" ]; }
for attempt in 1 2 3 4 5; do
  xdotool mousemove $((x + 516)) $((y + 180)) click 1  # 复制内容
  if waits_for 20 copied; then
    echo "复制内容 put the text on the clipboard (attempt $attempt)"
    exit 0
  fi
done
echo "FAIL: the clipboard does not hold the symbol's text after 复制内容" >&2
exit 1
STEPS

"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" --timeout 60 \
  --then "bash '$work/steps.sh' '$work' '$text' '$picture'"
echo "picture of the read page: $picture"
