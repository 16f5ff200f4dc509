#!/usr/bin/env bash
# Runs inside Xvfb: a whole session of the real program from the title screen through a game,
# name entry, the results table, a screenshot and the thanks page to the end of the process.
set -euo pipefail
work=$1
out=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
source "$(dirname "$0")/game_driver.sh"

start_program "$out/whole_game_stdout.txt"
import -window "$wid" "$out/whole_game_title_before.png"
[ "$(table_row_pixels "$out/whole_game_title_before.png" 1)" -lt 5 ] || fail "the results table is not empty at first"

play_until_name_entry 60
import -window "$wid" "$out/whole_game_name_entry.png"
enter_name "Tess Quigley"

# The game is in the table's first row and in the score file, saved as soon as it ended.
import -window "$wid" "$out/whole_game_title_after.png"
[ "$(table_row_pixels "$out/whole_game_title_after.png" 1)" -gt 20 ] || fail "no row in the results table"
[ "$(table_row_pixels "$out/whole_game_title_after.png" 2)" -lt 5 ] || fail "a second row in the results table"
scores="$work/Files/042/scores.dat"
check_score_file_whole "$scores"
[ "$(grep -c '|' "$scores")" -eq 2 ] || fail "scores.dat does not hold exactly one game"
record=$(head -n 1 "$scores" | tr -d '\r')
[[ "$record" =~ ^[0-9]+\|Tess\ Quigley\|0\|[0-9]+\|0\|0\|0\|0$ ]] || fail "unexpected record '$record'"

# F11: a PNG named after the game and the date and time appears in Files/.
xdotool key --window "$wid" --delay 100 F11
shot=""
for _ in $(seq 50); do
    shot=$(ls "$work/Files/"Vantor\ 42\ \(Screenshot_*\).png 2>/dev/null | head -1 || true)
    [ -n "$shot" ] && break
    sleep 0.1
done
[ -n "$shot" ] || fail "no screenshot in Files/"
sleep 0.5
[ "$(/usr/bin/convert "$shot" -format '%wx%h' info:)" = "800x600" ] || fail "screenshot is not 800x600"
cp "$shot" "$out/whole_game_screenshot.png"

# A short Escape opens the thanks page, which waits for a key of its own. The key goes through
# the X server's keyboard, not to the window: its release must reach the program even when the
# title screen's window is already gone.
# A title screen busy with a long frame can miss so short a press; then it is pressed again.
for _ in 1 2 3; do
    xdotool keydown Escape
    sleep 0.05
    xdotool keyup Escape
    for _ in $(seq 20); do
        xdotool getwindowname "$wid" > /dev/null 2>&1 || break
        sleep 0.1
    done
    xdotool getwindowname "$wid" > /dev/null 2>&1 || break
done
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the program ended without waiting on the thanks page"
page=$(timeout 10 xdotool search --sync --name "$WINDOW_NAME" | head -1) || fail "no thanks page"
import -window "$page" "$out/whole_game_thanks.png"
[ "$(/usr/bin/convert "$out/whole_game_thanks.png" -format '%wx%h' info:)" = "640x480" ] || fail "thanks page size"
xdotool keydown --window "$page" a 2>/dev/null || true
status=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "still running after a key on the thanks page"
wait "$pid" || status=$?
xdotool keyup a 2>/dev/null || true
[ "$status" -eq 0 ] || fail "exit status $status"

grep -q "tamblin.net\|favourite games." "$out/whole_game_stdout.txt" || fail "no farewell on standard output"
closing=$(tr -d '\r' < "$work/Files/Debug.txt" | tail -n 5)
[ "$closing" = $'Closing Up\n\nBye!\n\nPlay again, soon!!' ] || fail "log does not end with the closing lines"
[ -s "$work/Files/Setup.ini" ] || fail "Setup.ini not written"
check_score_file_whole "$scores"
[ "$(head -n 1 "$scores" | tr -d '\r')" = "$record" ] || fail "the exit changed the game's record"
echo "whole game e2e: passed"
