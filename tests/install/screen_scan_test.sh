#!/usr/bin/env bash
# Reading the screen in a real X session: another X client (ImageMagick's display) shows a
# symbol beside the program's window; merovask-cli decode --screen must print its text, and
# merovask --scan-screen (a second start, handing the request to the running program without the
# "already running" box) must bring the running program back on the read page with that text,
# not its own start-up symbol's. A picture of the read page after the scan is kept.
#   screen_scan_test.sh SOURCE_DIR BUILD_DIR PICTURE.png
set -euo pipefail
source_dir=$1
build=$2
picture=$3
for tool in xclip xdotool; do
  command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing (apt-get install $tool)" >&2; exit 1; }
done
command -v display > /dev/null || { echo "FAIL: display is missing (apt-get install imagemagick)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-screen-scan.XXXXXX")
trap 'rm -rf "$work"' EXIT

text="https://merovask.example/屏幕?n=7"
"$build/cli/merovask-cli" encode -l M -s 4 -o "$work/symbol.png" "$text"

cat > "$work/steps.sh" << 'STEPS'
set -euo pipefail
work=$1 text=$2 app=$3 supp=$4 picture=$5
# waits_for TRIES COMMAND...: runs COMMAND every 0.2 s until it succeeds.
waits_for() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.2; done
  return 1
}

# With nothing but the program on the screen, its own start-up symbol is all there is to read.
"$MEROVASK_CLI" decode --screen > "$work/before.txt" 2> /dev/null || true
if grep -qxF "$text" "$work/before.txt"; then echo "FAIL: the symbol is read before it is shown" >&2; exit 1; fi

# Bottom right, clear of the program's window.
display -geometry -0-0 "$work/symbol.png" &
viewer=$!
trap 'kill "$viewer" 2> /dev/null || true' EXIT
cli_reads_it() {
  "$MEROVASK_CLI" decode --screen > "$work/screen.txt" 2> "$work/screen.err" && grep -qxF "$text" "$work/screen.txt"
}
waits_for 100 cli_reads_it || { echo "FAIL: merovask-cli decode --screen does not print the shown symbol's text" >&2;
  cat "$work/screen.txt" "$work/screen.err" >&2; exit 1; }
echo "merovask-cli decode --screen printed:"; sed 's/^/  /' "$work/screen.txt"

"$MEROVASK_CLI" decode --json --screen > "$work/screen.json"
grep -F '"screen":true' "$work/screen.json" | grep -qF "\"text\":\"$text\"" ||
  { echo "FAIL: --json does not give the shown symbol's text" >&2; cat "$work/screen.json" >&2; exit 1; }

# A second start with --scan-screen ends at once, without the box, and the first one scans.
second_start() {
  env ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"} LSAN_OPTIONS="suppressions=$supp" \
    timeout 20 "$app" --scan-screen > "$work/second.log" 2>&1
}
begun=$SECONDS
second_start || { echo "FAIL: merovask --scan-screen (a second start) failed" >&2; cat "$work/second.log" >&2; exit 1; }
[ $((SECONDS - begun)) -le 10 ] || { echo "FAIL: the second start took $((SECONDS - begun)) s to end" >&2; exit 1; }

# The read page then holds the shown symbol's text: 复制内容 puts it on the clipboard. The
# program's own start-up symbol, larger than the shown one, would be the one shown had the grab
# seen the program's window.
window_back() { geometry=$("$MEROVASK_XSHOT" geometry --pid "$MEROVASK_PID" 2> /dev/null); }
waits_for 100 window_back || { echo "FAIL: the program's window did not come back" >&2; exit 1; }
copied() { [ "$(xclip -selection clipboard -o 2> /dev/null)" = "$text" ]; }
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  sleep 0.5
  geometry=$("$MEROVASK_XSHOT" geometry --pid "$MEROVASK_PID") || continue
  read -r x y _ _ <<< "$geometry"
  xdotool mousemove $((x + 501)) $((y + 180)) click 1  # 复制内容
  if waits_for 10 copied; then
    echo "merovask --scan-screen: the read page shows the shown symbol's text (attempt $attempt)"
    "$MEROVASK_XSHOT" grab --pid "$MEROVASK_PID" "$picture"
    exit 0
  fi
done
echo "FAIL: after merovask --scan-screen the read page does not hold the shown symbol's text" >&2
echo "clipboard: $(xclip -selection clipboard -o 2> /dev/null || true)" >&2
exit 1
STEPS

"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" --timeout 90 \
  --then "bash '$work/steps.sh' '$work' '$text' '$build/app/merovask' '$source_dir/scripts/lsan-desktop.supp' '$picture'"
echo "picture of the read page after the scan: $picture"
