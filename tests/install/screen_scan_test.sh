#!/usr/bin/env bash
# Reading the screen in a real X session: another X client (ImageMagick's display) shows a
# symbol beside the program's window, and merovask-cli decode --screen must print its text.
#   screen_scan_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build=$2
command -v display > /dev/null || { echo "FAIL: display is missing (apt-get install imagemagick)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-screen-scan.XXXXXX")
trap 'rm -rf "$work"' EXIT

text="https://merovask.example/屏幕?n=7"
"$build/cli/merovask-cli" encode -l M -s 4 -o "$work/symbol.png" "$text"

cat > "$work/steps.sh" << 'STEPS'
set -euo pipefail
work=$1 text=$2
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
STEPS

"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" --timeout 60 \
  --then "bash '$work/steps.sh' '$work' '$text'"
