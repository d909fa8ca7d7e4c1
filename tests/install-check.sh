#!/usr/bin/env bash
# `cmake --install` into an empty folder: the program, a menu entry and a
# software-centre description that the desktop's own validators accept, and
# icons of every size, the smallest being the window icon itself.
set -euo pipefail
BUILD=${1:?usage: install-check.sh BUILD-DIR TIBO-BINARY}
BIN=${2:?usage: install-check.sh BUILD-DIR TIBO-BINARY}
for tool in desktop-file-validate appstreamcli identify compare convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
DESTDIR=$root cmake --install "$BUILD" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; exit 1; }
share=$root/usr/share
fail() { echo "FAIL: $*"; exit 1; }

[ -x "$root/usr/bin/tibo" ] || fail "no bin/tibo"
"$root/usr/bin/tibo" --version | grep -q '^Tibo v4.0$' || fail "the installed program does not run"

desktop=$(ls "$share"/applications/*.desktop)
[ "$(echo "$desktop" | wc -l)" -eq 1 ] || fail "expected one desktop entry: $desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
grep -Eq '^Categories=(.*;)?Game;(.*;)?ArcadeGame;' "$desktop" || fail "the entry is not in Game and ArcadeGame"
grep -q '^Exec=tibo$' "$desktop" || fail "the entry does not start tibo"
# The window's class (tests/window-play.sh checks the real window's).
grep -q '^StartupWMClass=tibo$' "$desktop" || fail "the entry's StartupWMClass is not the window's class, tibo"
id=$(basename "$desktop" .desktop)

metainfo=$share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo for $id"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch $id.desktop"
for control in keyboard pointing gamepad; do
  grep -q "<control>$control</control>" "$metainfo" || fail "the metainfo does not say the game supports the $control"
done

icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  [ "$(identify -format '%m %w %h' "$png")" = "PNG $size $size" ] || fail "$png is $(identify -format '%m %wx%h' "$png")"
  # Clear corners, opaque middle: a rounded icon on any background.
  [ "$(convert "$png" -format '%[fx:int(255*p{0,0}.a)] %[fx:int(255*p{w/2,h/2}.a)]' info:)" = "0 255" ] ||
    fail "$png: the corners must be clear and the middle opaque"
done

# The 32-pixel icon is the window icon, pixel for pixel (its corners black there).
"$BIN" --export-assets "$work/assets" >/dev/null
flat=$work/icon32.png
convert "$share/icons/hicolor/32x32/apps/$icon.png" -background black -flatten "$flat"
diff=$(compare -metric AE "$flat" "$work/assets/Tibo.bmp" null: 2>&1 || true)
[ "$diff" = "0" ] || fail "the 32-pixel icon differs from the window icon in $diff pixels"
echo "install check passed"
