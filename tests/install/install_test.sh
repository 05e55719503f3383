#!/usr/bin/env bash
# Installs the build tree into a fresh prefix and checks that the programs, the desktop entry,
# the AppStream metainfo and the icons land where desktops look for them, all under one id.
#   install_test.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
id=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/merovask-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1 || { cat "$prefix.log" >&2; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"

for program in merovask merovask-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done
# The installed tool runs from its new place.
"$prefix/bin/merovask-cli" --version > /dev/null || fail "the installed merovask-cli does not run"

entry="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -f "$entry" ] || fail "share/applications/$id.desktop is not installed"
[ -f "$metainfo" ] || fail "share/metainfo/$id.metainfo.xml is not installed"
if [ -f "$entry" ]; then
  grep -qx "Icon=$id" "$entry" || fail "the desktop entry does not name the icon $id"
  grep -qx "Exec=merovask" "$entry" || fail "the desktop entry does not start merovask"
fi
if [ -f "$metainfo" ]; then
  grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
fi

# Each icon is a PNG of its folder's size: the signature, then the IHDR width and height.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'; }
for size in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  if [ ! -f "$icon" ]; then fail "no ${size}x${size} icon"; continue; fi
  [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || { fail "the ${size}x${size} icon is not a PNG"; continue; }
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $(png_size "$icon")"
done

[ "$failures" -eq 0 ] || exit 1
echo "installed and checked under $prefix"
