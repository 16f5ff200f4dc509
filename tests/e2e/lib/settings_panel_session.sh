#!/usr/bin/env bash
# Runs inside Xvfb: title screen, Tab, the open panel, then the renderer row and Apply twice
# (renderer 0 -> 1 -> 2), each time waiting for the display to come back, checking the log and
# comparing the title screen with the one drawn by OpenGL.
set -euo pipefail
[ -n "${E2E_TRACE:-}" ] && set -x
work=$1
out=$2
fail() { echo "FAIL: $*"; echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
title='^#42 : Vantor 42$'
log() { tr -d '\r' < "$work/Files/Debug.txt"; }
# Rule lines of the log: a display setup writes one when it starts and one when it has finished.
rules() { log | grep -c -- '^-=-=-=-=-=-=-=-=-=-=-=-=-=-$' || true; }
pixel() { /usr/bin/convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
# Root-mean-square difference of two pictures, 0 to 1, after a slight blur: the back-ends place
# anti-aliased glyph edges a pixel apart, which must not count, while a missing or moved element
# must. (The open panel over the same title screen measures about 0.11.)
difference() {
    /usr/bin/convert "$1" -blur 0x2 "$work/a.png"
    /usr/bin/convert "$2" -blur 0x2 "$work/b.png"
    /usr/bin/compare -metric RMSE "$work/a.png" "$work/b.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true
}

# shellcheck source=game_driver.sh
source "$(dirname "$0")/game_driver.sh"
start_program "$out/settings_stdout.txt"
# The pointer rests in the empty right-hand part of the title screen for the comparisons.
xdotool mousemove --window "$wid" 700 560
sleep 0.3
import -window "$wid" "$out/settings_title_opengl.png"

# Tab slides the panel down in ten frames; at rest it darkens the top 320 of 960 rows (200 of
# 600 here) above a bright green line. Waits until the panel rests there.
open_panel() {
    xdotool key --window "$wid" --delay 100 Tab
    for _ in $(seq 50); do
        import -window "$wid" "$work/probe.png"
        case "$(pixel "$work/probe.png" 400 199)" in
            srgb\(1[0-9][0-9],2[0-9][0-9],1[0-9][0-9]\)) return 0 ;;
        esac
        sleep 0.1
    done
    fail "the panel did not open: $(pixel "$work/probe.png" 400 199) at 400,199"
}

open_panel
xdotool mousemove --window "$wid" 25 137  # over the renderer row: it glows
sleep 0.3
import -window "$wid" "$out/settings_panel.png"
lit=$(/usr/bin/convert "$out/settings_panel.png" -crop 800x195+0+0 -fx 'g>0.6 && r<0.5 ? 1 : 0' \
    -format '%[fx:mean*w*h]' info:)
[ "${lit%.*}" -gt 2000 ] || fail "the panel shows too little green text and icons ($lit pixels)"

# Clicks the renderer row, then Apply, and waits until the display is back.
apply_next_renderer() {
    local before
    before=$(rules)
    xdotool mousemove --window "$wid" 25 137
    sleep 0.3
    xdotool click --window "$wid" 1
    sleep 0.3
    xdotool mousemove --window "$wid" 15 180
    sleep 0.2
    xdotool click --window "$wid" 1
    # The engine test of the software renderer takes several seconds on a busy machine.
    for _ in $(seq 1200); do
        [ "$(rules)" -ge $((before + 2)) ] && break
        kill -0 "$pid" 2>/dev/null || fail "the program ended during Apply"
        sleep 0.1
    done
    [ "$(rules)" -ge $((before + 2)) ] || fail "the display did not come back after Apply"
    wid=$(timeout 10 xdotool search --sync --name "$title" | head -1) || fail "no window after Apply"
    xdotool mousemove --window "$wid" 700 560
    sleep 1.2  # the panel slides away
    kill -0 "$pid" 2>/dev/null || fail "the program ended after Apply"
}

apply_next_renderer
import -window "$wid" "$out/settings_title_accelerated.png"
open_panel
apply_next_renderer
import -window "$wid" "$out/settings_title_software.png"

tab=$'\t'
log > "$out/settings_log.txt"
text=$(log)
expect_in_order() {
    local rest=$text line
    for line in "$@"; do
        case "$rest" in
            *"$line"*) rest=${rest#*"$line"} ;;
            *) fail "log line missing or out of order: '$line'" ;;
        esac
    done
}
expect_in_order "${tab}Using OpenGL Driver" "${tab}Renderer in use : " "Finished Loading" \
    "Applying Graphical Settings" "${tab}Changed Graphics Mode ingame." "${tab}Using DirectX 9 Driver" \
    "${tab}Renderer in use : " "Loading : Common Objects" "Starting Engine Test" \
    "Applying Graphical Settings" "${tab}Changed Graphics Mode ingame." "${tab}Using DirectX 7 Driver" \
    "${tab}Renderer in use : software" "Loading : Common Objects" "Starting Engine Test"
names=$(log | sed -n "s/^${tab}Renderer in use : //p" | tr '\n' '|')
[ "$(echo "$names" | tr '|' '\n' | sort -u | grep -c .)" -eq 3 ] || fail "three renderers expected, got '$names'"
[ "$(log | grep -c "Switching to Default Folder")" -eq 3 ] || fail "common assets not loaded three times"
grep -q "^GFX Engine = DX7" <(tr -d '\r' < "$work/Files/Setup.ini") || fail "Setup.ini does not keep the renderer"

# The title screen looks the same on all three back-ends.
for shot in accelerated software; do
    rmse=$(difference "$out/settings_title_opengl.png" "$out/settings_title_$shot.png")
    awk -v d="$rmse" 'BEGIN { exit !(d < 0.05) }' || fail "the $shot title screen differs (RMSE $rmse)"
    echo "title screen, OpenGL against $shot: RMSE $rmse"
done
echo "renderers: $names"

# Escape opens the thanks page in a new window, which waits for any input. The key is held for a
# while: the software renderer on a busy machine draws few frames a second, and the title screen
# reads the key once a frame.
xdotool keydown --window "$wid" Escape 2>/dev/null || true
sleep 0.6
xdotool keyup --window "$wid" Escape 2>/dev/null || true
page=""
for _ in $(seq 600); do   # up to a minute: the engine test is slow on a loaded machine
    kill -0 "$pid" 2>/dev/null || break
    page=$(xdotool search --name "$title" 2>/dev/null | grep -vx "$wid" | head -1 || true)
    [ -n "$page" ] && break
    sleep 0.1
done
[ -n "$page" ] && { xdotool keydown --window "$page" a 2>/dev/null || true; }
timeout 10 tail --pid="$pid" -f /dev/null || fail "still running after Escape"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "settings panel e2e: passed"
