#!/usr/bin/env bash
# The program natively on Wayland: a headless weston (software rendering, 1280 x 1024) is the
# compositor. The program started on Qt's wayland platform shows its window with its start-up
# symbol, which reads back from a picture of the compositor's screen; then the program's own
# window tests (make, save, read, paste, drop, second start, tray) run on the same platform.
# Skipped (exit 77) with the reason when weston cannot start here.
#   wayland_test.sh SOURCE_DIR BUILD_DIR [SCREENSHOT.png]
set -euo pipefail
source_dir=$1
build=$2
picture=${3:-}
app="$build/app/merovask"
cli="$build/cli/merovask-cli"
app_tests="$build/tests/app/app_tests"
limit=60

command -v weston > /dev/null || { echo "SKIP: weston is not installed (apt-get install weston)"; exit 77; }
command -v weston-screenshooter > /dev/null || { echo "SKIP: weston-screenshooter is missing"; exit 77; }
for tool in "$app" "$cli"; do
  [ -x "$tool" ] || { echo "FAIL: $tool is missing; build first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-wayland.XXXXXX")
mkdir -m 0700 "$work/runtime"
weston_pid=""
app_pid=""
running() { [ -n "$1" ] && kill -0 "$1" 2> /dev/null; }
stop() {
  running "$1" || return 0
  kill -TERM "$1" 2> /dev/null || true
  for _ in $(seq 50); do running "$1" || return 0; sleep 0.1; done
  kill -KILL "$1" 2> /dev/null || true
}
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop "$app_pid"
  stop "$weston_pid"
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    [ -s "$work/app.log" ] && { echo "--- merovask said:" >&2; head -n 40 "$work/app.log" >&2; }
    [ -s "$work/weston.log" ] && { echo "--- weston said:" >&2; tail -n 20 "$work/weston.log" >&2; }
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Everything of this run talks to this compositor only: no X display, a runtime folder of its own.
export XDG_RUNTIME_DIR="$work/runtime"
export WAYLAND_DISPLAY=merovask-test
unset DISPLAY
timeout -k 5 $((limit * 5)) weston --backend=headless-backend.so --use-pixman --debug --width=1280 --height=1024 \
  --socket="$WAYLAND_DISPLAY" --idle-time=0 > "$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
  running "$weston_pid" || break
  sleep 0.1
done
if [ ! -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; then
  echo "SKIP: weston could not start in this environment:"
  tail -n 5 "$work/weston.log"
  exit 77
fi
echo "weston on $WAYLAND_DISPLAY (process $weston_pid)"

# In a sanitizer build the desktop libraries keep some memory to the end.
export LSAN_OPTIONS="suppressions=$source_dir/scripts/lsan-desktop.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
QT_QPA_PLATFORM=wayland timeout -k 5 $((limit + 30)) "$app" > "$work/app.log" 2>&1 &
app_pid=$!

# The start-up symbol on the compositor's screen reads back.
decoded=""
deadline=$((SECONDS + limit))
while [ $SECONDS -lt $deadline ] && running "$app_pid"; do
  rm -f "$work"/shot/*.png
  mkdir -p "$work/shot"
  if (cd "$work/shot" && timeout 10 weston-screenshooter > /dev/null 2>&1); then
    shot=$(ls "$work"/shot/*.png 2> /dev/null | head -n 1)
    if [ -n "$shot" ] && decoded=$("$cli" decode "$shot" 2> /dev/null); then break; fi
  fi
  sleep 0.5
done
running "$app_pid" || { echo "FAIL: merovask ended on Wayland" >&2; exit 1; }
[[ "$decoded" == *"本软件由Kestrawin出品"* ]] || { echo "FAIL: the window's symbol never showed on Wayland" >&2; exit 1; }
echo "the window shows its symbol on Wayland"
grep -qi "xcb\|could not connect to display" "$work/app.log" &&
  { echo "FAIL: merovask did not run on Wayland" >&2; exit 1; }
[ -n "$picture" ] && cp "$shot" "$picture"
stop "$app_pid"
app_pid=""

# The program's windows, driven as in the offscreen tests, on the wayland platform.
if [ -x "$app_tests" ]; then
  # The tests make a runtime folder of their own: the compositor's socket is named by its path.
  # The headless compositor has no seat: Qt's Wayland text input would crash on the tests'
  # synthetic keys without one, so no input method. The tests run here are those of the
  # program's own work (make, save, read, paste and drop as pictures reach the page, the second
  # start's box, the tray menu, both languages); what only a seat or a shown frame gives (the
  # real clipboard, activation, a minimised state, which xdg-shell never reports, the pixels of
  # a first frame) is left to the X11 and offscreen runs.
  # In a sanitizer build, the options scripts/screenshot gives the program (xkbcommon's
  # unterminated strndup strings, the desktop libraries' kept memory), and full stacks for the
  # memory Qt's Wayland client and Mesa keep to the end, which scripts/lsan-desktop.supp names by
  # their functions (those libraries keep no frame pointers); that is slower, hence the bound.
  # (A normal build ignores these options.)
  tests='Language.*:MakePage.EncodesTheTextWithItsZeroInTheChosenCodePage:MakePage.SavedFiles*:MakePage.AFailedSave*:ReadPage.ShowsTextVersionAndLevelOfTheSymbol:ReadPage.PastedAndDropped*:Shell.SecondStartShowsTheBoxAndEndsWithZero:Shell.TrayMenuOffers*'
  env WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland QT_IM_MODULE=none \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0:fast_unwind_on_malloc=0" \
    LSAN_OPTIONS="suppressions=$source_dir/scripts/lsan-desktop.supp" \
    timeout -k 5 $((limit * 3)) "$app_tests" \
    --gtest_filter="$tests" \
    > "$work/app_tests.log" 2>&1 || {
    grep -E "FAILED|Failure|Sanitizer" -A3 "$work/app_tests.log" | grep -v grabbing >&2
    echo "FAIL: the window tests failed on Wayland" >&2
    exit 1
  }
  grep -E '^\[  PASSED  \]' "$work/app_tests.log"
fi
echo "PASS"
