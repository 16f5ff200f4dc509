#!/usr/bin/env bash
# Runs inside Xvfb: start the game in folder $1, wait on the title screen, press M, N and B a few
# seconds apart, and leave. Prints the size of the recording $2 as each key goes down and at the
# end: "M <bytes>", "N <bytes>", "B <bytes>", "end <bytes>".
set -euo pipefail
work=$1
recording=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
# shellcheck source=game_driver.sh
source "$(dirname "$0")/game_driver.sh"

start_program "$work/stdout.txt"
sleep 1.5  # the jingle dies away: the recording must be silent until M
for key in M N B; do
    echo "$key $(stat -c %s "$recording")"
    xdotool key --window "$wid" --delay 100 "${key,,}"
    sleep 4.5
done
echo "end $(stat -c %s "$recording")"
quit_from_title_screen
