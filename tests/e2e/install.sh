#!/usr/bin/env bash
# A clean install: `cmake --install` into a fresh folder gives the executable beside its Files/
# tree (the generated assets only, nothing a run left behind), the desktop entry naming the
# installed files and the icons at their sizes; the installed game, started from another folder
# under Xvfb, reaches the title screen and ends with status 0 on Escape.
set -euo pipefail
build=$(cd "${1:?usage: install.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/Vantor Game"   # a space in the path, as in many home folders
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || fail "install failed"

[ -x "$prefix/vantor" ] || fail "no executable in the prefix"
for file in "Common/SVBasicManual.ttf" "Common/Blue Highway.ttf" "Common/Acknowledge TT Vell.ttf" \
    "Common/icons.png" "Common/logo.png" "042/vantor.png" "042/ShinyTech2.ogg" "042/music/ShinyTech2.ini"; do
    [ -s "$prefix/Files/$file" ] || fail "Files/$file not installed"
done
# Only what the build generates: copies of the build's files, none of the files a run writes.
while IFS= read -r -d '' file; do
    cmp -s "$prefix/Files/$file" "$build/Files/$file" || fail "Files/$file is no copy of the build's"
    case "$file" in
        *Debug.txt | *Setup.ini* | *.dat | *.tmp | *Screenshot* | *.part*) fail "run file Files/$file installed" ;;
    esac
done < <(cd "$prefix/Files" && find . -type f -print0)

desktop="$prefix/share/applications/vantor.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx '\[Desktop Entry\]' "$desktop" || fail "desktop entry has no group header"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is no application"
grep -qx "Exec=\"$prefix/vantor\"" "$desktop" || fail "Exec does not name the installed game: $(grep Exec "$desktop")"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$icon" ] || fail "Icon names no installed file: $icon"
for size in 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/vantor.png"
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    [ "$(/usr/bin/convert "$png" -format '%wx%h' info:)" = "${size}x${size}" ] || fail "icon $png has the wrong size"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/vantor.svg" ] || fail "no scalable icon"
# The icon is opaque in the middle (the tile) and transparent in the corner (its rounding).
png="$prefix/share/icons/hicolor/64x64/apps/vantor.png"
[ "$(/usr/bin/convert "$png" -format '%[fx:p{32,32}.a]' info:)" = "1" ] || fail "icon centre not opaque"
[ "$(/usr/bin/convert "$png" -format '%[fx:p{0,0}.a]' info:)" = "0" ] || fail "icon corner not transparent"

mkdir -p "$build/e2e/install"
root_had_files=$([ -e /Files ] && echo yes || echo no)
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
xvfb-run -a -s "-screen 0 1600x1200x24" bash "$here/lib/title_screen_session.sh" "$prefix" "$build/e2e/install" \
    || fail "the installed game did not reach the title screen"
[ -s "$prefix/Files/Debug.txt" ] || fail "the installed game wrote no log beside itself"
[ "$root_had_files" = yes ] || [ ! -e /Files ] || fail "the game made Files/ in the folder it was started from"
echo "install e2e: passed"
