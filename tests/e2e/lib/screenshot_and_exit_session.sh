#!/usr/bin/env bash
# Runs inside Xvfb: title screen, F11, the screenshot file and its log lines, then the close
# request, the thanks page, a key, and what the program left behind.
set -euo pipefail
work=$1
out=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }

# shellcheck source=game_driver.sh
source "$(dirname "$0")/game_driver.sh"
start_program "$out/exit_stdout.txt"

# F11: one PNG named after the game and the date and time, at the window's size.
xdotool key --window "$wid" --delay 100 F11
shot=""
for _ in $(seq 50); do
    shot=$(ls "$work/Files/"Vantor\ 42\ \(Screenshot_*\).png 2>/dev/null | head -1 || true)
    [ -n "$shot" ] && break
    sleep 0.1
done
[ -n "$shot" ] || fail "no screenshot in Files/: $(ls "$work/Files")"
name=$(basename "$shot")
[[ "$name" =~ ^Vantor\ 42\ \(Screenshot_[0-9]{2}\ [A-Z][a-z]{2}\ [0-9]{4}_[0-9]{6}\)\.png$ ]] \
    || fail "unexpected screenshot name '$name'"
cp "$shot" "$out/screenshot.png"
size=$(/usr/bin/convert "$shot" -format '%wx%h' info:)
[ "$size" = "800x600" ] || fail "screenshot is $size"
case "$(/usr/bin/convert "$shot" -format '%[pixel:p{780,300}]' info:)" in
    srgb\(0,0,*|srgba\(0,0,*) ;;
    *) fail "screenshot has no blue background at 780,300" ;;
esac
tab=$'\t'
log=$(tr -d '\r' < "$work/Files/Debug.txt")
case "$log" in
    *"${tab}Saving Screenshot : $name"$'\n'"${tab}Saved Screenshot 1"*) ;;
    *) fail "screenshot log lines missing" ;;
esac

# The close request opens the thanks page in a 640 x 480 window; a key ends the program.
kill -TERM "$pid"
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the program ended without waiting on the thanks page"
page=$(timeout 10 xdotool search --sync --name '^#42 : Vantor 42$' | head -1) || fail "no thanks page"
import -window "$page" "$out/thanks.png"
size=$(/usr/bin/convert "$out/thanks.png" -format '%wx%h' info:)
[ "$size" = "640x480" ] || fail "thanks page is $size"
case "$(/usr/bin/convert "$out/thanks.png" -format '%[pixel:p{630,470}]' info:)" in
    srgb\(0,0,80\)) ;;
    *) fail "thanks page background is $(/usr/bin/convert "$out/thanks.png" -format '%[pixel:p{630,470}]' info:)" ;;
esac
# The program may end and close the window before the key is released.
xdotool keydown --window "$page" a 2>/dev/null || true
status=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "still running after a key on the thanks page"
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"

closing=$(tr -d '\r' < "$work/Files/Debug.txt" | tail -n 5)
[ "$closing" = $'Closing Up\n\nBye!\n\nPlay again, soon!!' ] || fail "log does not end with the closing lines"
[ -s "$work/Files/Setup.ini" ] || fail "Setup.ini not written"
[ -e "$work/Files/042/scores.dat" ] || fail "scores.dat not written"
grep -q "tamblin.net\|favourite games." "$out/exit_stdout.txt" || fail "no farewell on standard output"
echo "screenshot and exit e2e: passed"
