#!/usr/bin/env bash
# The program in a real window (Xvfb) in its two languages and at a scale its screen is too small
# for: under an English and a Chinese locale it starts and shows its symbol, and the two windows
# differ; with QT_SCALE_FACTOR=2 on a 1280 x 1024 screen the window steps down to a scale at which
# it fits (1.5: 1200 x 900). The pictures are left in OUT_DIR.
#   interface_window_test.sh SOURCE_DIR BUILD_DIR OUT_DIR
set -euo pipefail
source_dir=$1
build=$2
out=$3
mkdir -p "$out"
credit="本软件由Kestrawin出品"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d %d\n", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'; }

# Runs the program with the given environment and takes its picture.
shot() {
  local name=$1
  shift
  env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u QT_SCALE_FACTOR "$@" \
    "$source_dir/scripts/screenshot" --build "$build" --out "$out/$name.png" --expect "$credit" --timeout 60 \
    "${screen_args[@]}" > "$out/$name.log" 2>&1 || { cat "$out/$name.log" >&2; fail "$name: the window did not show its symbol"; }
}

screen_args=()
shot english LANG=en_US.UTF-8
shot chinese LANG=zh_CN.UTF-8
if [ -s "$out/english.png" ] && [ -s "$out/chinese.png" ]; then
  read -r w h < <(png_size "$out/english.png")
  [ "$w $h" = "800 600" ] || fail "the English window is ${w}x${h}, not 800x600"
  if cmp -s "$out/english.png" "$out/chinese.png"; then fail "the English window looks like the Chinese one"; fi
fi

screen_args=(--screen 1280x1024)
shot scale-2 LANG=en_US.UTF-8 QT_SCALE_FACTOR=2
if [ -s "$out/scale-2.png" ]; then
  read -r w h < <(png_size "$out/scale-2.png")
  { [ "$w" -le 1280 ] && [ "$h" -le 1024 ]; } || fail "at scale 2 the window (${w}x${h}) does not fit a 1280x1024 screen"
  [ "$w $h" = "1200 900" ] || fail "at scale 2 on 1280x1024 the window is ${w}x${h}, not 1200x900 (scale 1.5)"
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS: English and Chinese windows, and the window within a 1280x1024 screen at scale 2"
