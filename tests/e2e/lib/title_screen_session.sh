#!/usr/bin/env bash
# Runs inside Xvfb: start the game from another folder, wait for the title screen, check the log
# and the picture, press Escape, check the exit status.
set -euo pipefail
work=$1
out=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }

# shellcheck source=game_driver.sh
source "$(dirname "$0")/game_driver.sh"
start_program "$out/stdout.txt"   # started from "/": it must find its folder tree itself
import -window "$wid" "$out/title.png"

log=$(tr -d '\r' < "$work/Files/Debug.txt")
expect_in_order() {
    local rest=$log line
    for line in "$@"; do
        case "$rest" in
            *"$line"*) rest=${rest#*"$line"} ;;
            *) fail "log line missing or out of order: '$line'" ;;
        esac
    done
}
tab=$'\t'
expect_in_order "Halvik's Brisklow Engine" "Week #42" "#42 : Vantor 42" "Loading" \
    "Set Audio Driver" "${tab}Requested Resolution : 800x600" "${tab}Setup Loaded" \
    "Grabbing Previous Scores" "Applying Graphical Settings" "${tab}Using OpenGL Driver" \
    "${tab}Resolution : 800x600,0" "Loading : Common Objects" "${tab}Default Fonts" \
    "${tab}Default Icons" "${tab}Logos" "${tab}BadgeGet" "Switching to Game Folder" \
    "Loading Sound effects" "Sounds loaded" "Finished Loading"
[ ! -e "$work/Files/042/crash.dat" ] || fail "crash marker left behind"

# The striped background is blue, the credits panel darkens the left, the title text is white.
pixel() { /usr/bin/convert "$out/title.png" -format "%[pixel:p{$1,$2}]" info:; }
size=$(/usr/bin/convert "$out/title.png" -format '%wx%h' info:)
[ "$size" = "800x600" ] || fail "window is $size"
case "$(pixel 780 300)" in srgb\(0,0,*) ;; *) fail "no blue background at 780,300: $(pixel 780 300)" ;; esac
whites=$(/usr/bin/convert "$out/title.png" -crop 400x110+200+120 -threshold 90% -format '%[fx:mean*w*h]' info:)
[ "${whites%.*}" -gt 200 ] || fail "no title text near the top ($whites white pixels)"

# Escape opens the exit screen in a new window, so the release may find the old one gone.
xdotool key --window "$wid" --delay 100 Escape 2>/dev/null || true
status=0
timeout 10 tail --pid="$pid" -f /dev/null || fail "still running after Escape"
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "title screen e2e: passed"
