#!/usr/bin/env bash
# Runs inside Xvfb: start a game with the start control, pause, look at the pause menu, continue,
# pause again, choose "Quit", type a name, and leave from the title screen.
set -euo pipefail
work=$1
out=$2
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
# shellcheck source=game_driver.sh
source "$(dirname "$0")/game_driver.sh"

start_program "$out/pause_stdout.txt"

key() { xdotool key --window "$wid" --delay 100 "$@"; }
# The menu reads held keys once a frame; a press of a fifth of a second is never missed.
hold() { xdotool keydown --window "$wid" "$1"; sleep 0.2; xdotool keyup --window "$wid" "$1"; }
shot() { import -window "$wid" "$out/$1.png"; }
# Pixels that differ between two pictures (fuzz 10% so filtering noise does not count).
differing() { /usr/bin/compare -fuzz 10% -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 || true; }
# Pixels of a region (WxH+X+Y) in a colour range, as fx tests on r, g, b (0..1).
count() { /usr/bin/convert "$out/$1.png" -crop "$2" -fx "$3" -format '%[fx:mean*w*h]' info:; }
# Distinct colours of a picture; a blank window has one.
colours() { /usr/bin/convert "$out/$1.png" -format '%k' info:; }

key z                     # player 1's start control
sleep 1.0
shot play
[ "$(colours play)" -gt 20 ] || fail "the game picture looks blank"

# Escape opens the pause menu over the frozen game.
hold Escape
sleep 0.8
shot pause
[ "$(colours pause)" -gt 100 ] || fail "the pause menu looks blank ($(colours pause) colours)"
changed=$(differing play pause)
[ "${changed%%.*}" -gt 50000 ] || fail "the pause menu looks like the game ($changed pixels differ)"
# "Continue" is highlighted in yellow inside the dark box (x 10%, y 37.5% of the window).
yellow=$(count pause 140x40+85+255 'r>0.8&&g>0.8&&b<0.3')
[ "${yellow%%.*}" -gt 40 ] || fail "no yellow \"Continue\" in the menu box ($yellow pixels)"
white=$(count pause 140x40+80+292 'r>0.85&&g>0.85&&b>0.85')
[ "${white%%.*}" -gt 40 ] || fail "no white \"Quit\" under it ($white pixels)"
# The picture keeps turning: half a second later it has moved.
sleep 0.5
shot pause_later
moved=$(differing pause pause_later)
[ "${moved%%.*}" -gt 5000 ] || fail "the pause picture stands still ($moved pixels differ)"

# Space chooses "Continue": the game runs again, and the menu is gone.
hold space
sleep 1.0
shot resumed
yellow=$(count resumed 140x40+85+255 'r>0.8&&g>0.8&&b<0.3')
[ "${yellow%%.*}" -lt 40 ] || fail "the menu is still shown after Continue"
kill -0 "$pid" || fail "the program ended after Continue"

# Pause again, move down to "Quit", choose it: "Game Over", then name entry.
hold Escape
sleep 0.5
hold Down
sleep 0.3
shot pause_quit
yellow=$(count pause_quit 140x40+80+292 'r>0.8&&g>0.8&&b<0.3')
[ "${yellow%%.*}" -gt 20 ] || fail "\"Quit\" is not highlighted after Down ($yellow pixels)"
hold space
sleep 3.0                 # "Game Over" stays 1.5 s
shot name_entry
green=$(count name_entry 400x60+200+220 'r<0.3&&g>0.7&&b<0.3')
[ "${green%%.*}" -gt 100 ] || fail "no \"Enter Your Name\" after Quit ($green green pixels)"

xdotool type --window "$wid" --delay 80 "Pia"
key Return
sleep 1.5
shot title_again
# The striped blue background above the results panel, which now lists the game.
case "$(/usr/bin/convert "$out/title_again.png" -format '%[pixel:p{700,100}]' info:)" in
    srgb\(0,0,*) ;;
    *) fail "not back on the title screen" ;;
esac

# Leaving saves the scores on the way out.
quit_from_title_screen
record=$(head -1 "$work/Files/042/scores.dat" | tr -d '\r')
# The name entry starts from the last name used ("Player"), so the typed letters are added to it.
[[ "$(echo "$record" | cut -d'|' -f2)" == *Pia ]] || fail "no record for the quit game: '$record'"
[ "$(echo "$record" | cut -d'|' -f8)" = "1" ] || fail "the quit game is not marked as quit: '$record'"
echo "pause menu e2e: passed"
