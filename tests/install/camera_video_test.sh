#!/usr/bin/env bash
# The camera's path in a real window, fed from a video in place of a camera (merovask
# --camera-video): 摄像头 on the read page shows the frames live, and the first verified read
# stops it and puts the symbol's text on the page (复制内容 must copy it). Pictures of the page
# while the video runs and after the read are kept.
#   camera_video_test.sh SOURCE_DIR BUILD_DIR VIDEO TEXT LIVE.png READ.png
set -euo pipefail
source_dir=$1 build=$2 video=$3 text=$4 live=$5 read=$6
for tool in xclip xdotool; do
  command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing (apt-get install $tool)" >&2; exit 1; }
done
[ -s "$video" ] || { echo "FAIL: no video $video" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/merovask-camera.XXXXXX")
trap 'rm -rf "$work"' EXIT

cat > "$work/steps.sh" << 'STEPS'
set -euo pipefail
work=$1 text=$2 live=$3 read=$4
waits_for() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.2; done
  return 1
}
geometry=$("$MEROVASK_XSHOT" geometry --pid "$MEROVASK_PID") || { echo "FAIL: no window to click into" >&2; exit 1; }
read -r x y _ _ <<< "$geometry"
xdotool mousemove $((x + 118)) $((y + 60)) click 1  # the 解码 tab
sleep 0.5
xdotool mousemove $((x + 729)) $((y + 180)) click 1  # 摄像头
sleep 0.3
"$MEROVASK_XSHOT" grab --pid "$MEROVASK_PID" "$live"
copied() { [ "$(xclip -selection clipboard -o 2> /dev/null)" = "$text" ]; }
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  sleep 0.5
  xdotool mousemove $((x + 501)) $((y + 180)) click 1  # 复制内容
  if waits_for 5 copied; then
    echo "the camera's read put the video's symbol on the page (attempt $attempt)"
    "$MEROVASK_XSHOT" grab --pid "$MEROVASK_PID" "$read"
    exit 0
  fi
done
echo "FAIL: the read page does not hold the video's symbol's text" >&2
exit 1
STEPS

"$source_dir/scripts/screenshot" --build "$build" --out "$work/window.png" --timeout 90 \
  --then "bash '$work/steps.sh' '$work' '$text' '$live' '$read'" -- --camera-video "$video"
echo "pictures of the camera page: $live (live), $read (after the read)"
